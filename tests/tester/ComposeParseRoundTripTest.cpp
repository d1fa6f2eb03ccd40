#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "preview/LabelScriptParser.h"
#include "tester/CommandComposers.h"

// Every builder's composer against the one parser: what a builder writes is
// read back as the fields it was given, with defaults and with edge values
// (quotes and backslashes in text, fractions, zero and negative positions,
// multi-line 2D data, every block mode).
namespace qm {
namespace {

namespace p = preview;

struct Row {
  std::string name;
  std::vector<std::string> commands;
  // Checks the parsed commands, in order.
  std::function<void(const std::vector<p::ParsedCommand>&)> check;
};

template <typename T>
const T& As(const std::vector<p::ParsedCommand>& parsed, size_t i) {
  static const T none{};
  if (i >= parsed.size() || !std::holds_alternative<T>(parsed[i].command)) {
    ADD_FAILURE() << "command " << i << " is not the expected kind";
    return none;
  }
  return std::get<T>(parsed[i].command);
}

BitmapText EdgeBitmapText() {
  BitmapText t;
  t.x = 0.9f;
  t.y = 999;
  t.font = "a";
  t.hMulti = 4;
  t.vMulti = 4;
  t.spaceRight = 3;
  t.rotation = 3;
  t.reverse = "R";
  t.bold = "B";
  t.text = R"(It's a \ back'slash\)";
  return t;
}

VectorText EdgeVectorText() {
  VectorText t;
  t.x = 12.7f;
  t.width = 1;
  t.height = 400;
  t.fontSpace = -5;
  t.bold = t.reverse = t.italic = 1;
  t.rotation = 2;
  t.justification = 1;
  t.direction = 1;
  t.text = "''";
  return t;
}

Barcode2d Pdf417() {
  Barcode2d b;
  b.symbology = int(Symbology2d::Pdf417);
  b.maxRows = 90;
  b.maxCols = 30;
  b.errorCorrection = 8;
  b.compression = 1;
  b.hri = 0;
  b.origin = 0;
  b.rotation = 3;
  b.data = std::string(Barcode2dSample(Symbology2d::Pdf417));
  return b;
}

Barcode2d QrOverLines() {
  Barcode2d b;
  b.symbology = int(Symbology2d::Qr);
  b.mode = 1;
  b.errorCorrection = 3;
  b.barHeight = 7;
  b.data = "first line\r\nit's 'quoted'\r\nlast";
  return b;
}

std::vector<Row> Rows() {
  std::vector<Row> rows;
  {
    PrintingSetting s;
    rows.push_back({"printing setting defaults", PrintingSettingCommands(s), [](const auto& c) {
                      EXPECT_EQ(As<p::SpeedCommand>(c, 0).speed, 3);
                      EXPECT_EQ(As<p::DensityCommand>(c, 1).density, 20);
                      EXPECT_FALSE(As<p::DirectionCommand>(c, 2).bottom);
                    }});
    s.speed = 0;
    s.densityPosition = 20;
    s.direction = 1;
    rows.push_back({"printing setting edges", PrintingSettingCommands(s), [](const auto& c) {
                      EXPECT_EQ(As<p::SpeedCommand>(c, 0).speed, 0);
                      EXPECT_EQ(As<p::DensityCommand>(c, 1).density, 0);
                      EXPECT_TRUE(As<p::DirectionCommand>(c, 2).bottom);
                    }});
  }
  {
    LabelSetting s;
    rows.push_back({"label setting in inches", LabelSettingCommands(s), [](const auto& c) {
                      EXPECT_EQ(As<p::WidthCommand>(c, 0).dots, 812);
                      const auto& l = As<p::LengthCommand>(c, 1);
                      EXPECT_EQ(std::tie(l.dots, l.gap, l.continuous), std::tuple(1219, 15, false));
                      const auto& m = As<p::MarginCommand>(c, 2);
                      EXPECT_EQ(std::tie(m.x, m.y), std::tuple(40, 40));
                    }});
    s.unit = int(LabelUnit::Dots);
    s.mediaType = 1;
    s.width = 1;
    s.length = 9999.9f;
    s.xMargin = 0;
    s.yMargin = 3;
    rows.push_back(
        {"label setting in dots, continuous", LabelSettingCommands(s), [](const auto& c) {
           EXPECT_EQ(As<p::WidthCommand>(c, 0).dots, 1);
           const auto& l = As<p::LengthCommand>(c, 1);
           EXPECT_EQ(std::tie(l.dots, l.gap, l.continuous), std::tuple(9999, 0, true));
           const auto& m = As<p::MarginCommand>(c, 2);
           EXPECT_EQ(std::tie(m.x, m.y), std::tuple(0, 3));
         }});
  }
  rows.push_back({"copies", {CopiesCommand(1, 1), CopiesCommand(250, 9999)}, [](const auto& c) {
                    const auto& a = As<p::PrintCommand>(c, 0);
                    const auto& b = As<p::PrintCommand>(c, 1);
                    EXPECT_EQ(std::tie(a.sets, a.copies), std::tuple(1, 1));
                    EXPECT_EQ(std::tie(b.sets, b.copies), std::tuple(250, 9999));
                  }});
  rows.push_back({"bitmap text",
                  {BitmapTextCommand({}), BitmapTextCommand(EdgeBitmapText())},
                  [](const auto& c) {
                    const auto& d = As<p::TextCommand>(c, 0);
                    EXPECT_EQ(std::tie(d.x, d.y, d.font, d.hMulti, d.vMulti, d.rightSpace),
                              std::tuple(20, 20, '3', 1, 1, 0));
                    EXPECT_FALSE(d.reverse || d.bold);
                    EXPECT_EQ(d.text, kSampleText);
                    const auto& e = As<p::TextCommand>(c, 1);
                    EXPECT_EQ(
                        std::tie(e.x, e.y, e.font, e.hMulti, e.vMulti, e.rightSpace, e.rotation),
                        std::tuple(0, 999, 'a', 4, 4, 3, 3));
                    EXPECT_TRUE(e.reverse && e.bold);
                    EXPECT_EQ(e.text, EdgeBitmapText().text);
                  }});
  rows.push_back({"vector text",
                  {VectorTextCommand({}), VectorTextCommand(EdgeVectorText())},
                  [](const auto& c) {
                    const auto& d = As<p::VectorTextCommand>(c, 0);
                    EXPECT_EQ(std::tie(d.x, d.y, d.width, d.height, d.space, d.rotation),
                              std::tuple(20, 20, 35, 35, 1, 0));
                    EXPECT_FALSE(d.bold || d.reverse || d.italic || d.rightToLeft);
                    EXPECT_EQ(d.justify, p::Justify::Left);
                    EXPECT_EQ(d.text, kSampleText);
                    const auto& e = As<p::VectorTextCommand>(c, 1);
                    EXPECT_EQ(std::tie(e.x, e.width, e.height, e.space, e.rotation),
                              std::tuple(12, 1, 400, -5, 2));
                    EXPECT_TRUE(e.bold && e.reverse && e.italic && e.rightToLeft);
                    EXPECT_EQ(e.justify, p::Justify::Center);
                    EXPECT_EQ(e.text, "''");
                  }});
  {
    Barcode1d quiet;
    quiet.symbology = 9;
    quiet.quietZoneOn = 1;
    quiet.quietZone = 0;
    quiet.hri = 0;
    quiet.rotation = 1;
    quiet.data = R"(A'B\C)";
    rows.push_back(
        {"1D barcode", {Barcode1dCommand({}), Barcode1dCommand(quiet)}, [](const auto& c) {
           const auto& d = As<p::Barcode1dCommand>(c, 0);
           EXPECT_EQ(std::tie(d.x, d.y, d.symbology, d.narrow, d.wide, d.height),
                     std::tuple(100, 100, 0, 2, 7, 100));
           EXPECT_TRUE(d.hri);
           EXPECT_FALSE(d.quietZone.has_value());
           EXPECT_EQ(d.data, "123456789");
           const auto& q = As<p::Barcode1dCommand>(c, 1);
           EXPECT_EQ(std::tie(q.symbology, q.rotation), std::tuple(9, 1));
           EXPECT_FALSE(q.hri);
           EXPECT_EQ(q.quietZone, 0);
           EXPECT_EQ(q.data, R"(A'B\C)");
         }});
  }
  {
    Barcode2d maxi;
    maxi.mode = 3;
    maxi.data = std::string(Barcode2dSample(Symbology2d::MaxiCode, 3));
    rows.push_back({"2D barcodes",
                    {Barcode2dCommand({}), Barcode2dCommand(maxi), Barcode2dCommand(Pdf417()),
                     Barcode2dCommand(QrOverLines())},
                    [](const auto& c) {
                      const auto& d = As<p::Barcode2dCommand>(c, 0);
                      EXPECT_EQ(std::tie(d.type, d.mode), std::tuple('M', 0));
                      EXPECT_EQ(d.data, Barcode2dSample(Symbology2d::MaxiCode));
                      EXPECT_EQ(As<p::Barcode2dCommand>(c, 1).mode, 4);
                      const auto& pdf = As<p::Barcode2dCommand>(c, 2);
                      EXPECT_EQ(std::tie(pdf.type, pdf.rows, pdf.columns, pdf.ecl, pdf.compression,
                                         pdf.moduleWidth, pdf.barHeight, pdf.rotation),
                                std::tuple('P', 90, 30, 8, 1, 3, 10, 3));
                      EXPECT_FALSE(pdf.hri || pdf.centered);
                      EXPECT_EQ(pdf.data, Barcode2dSample(Symbology2d::Pdf417));
                      const auto& qr = As<p::Barcode2dCommand>(c, 3);
                      EXPECT_EQ(std::tie(qr.type, qr.mode, qr.ecc, qr.size, qr.rotation),
                                std::tuple('Q', 2, 'H', 7, 0));
                      EXPECT_EQ(qr.data, QrOverLines().data);
                    }});
  }
  {
    std::vector<std::string> blocks;
    for (int mode = 0; mode < 5; ++mode) {
      BlockDraw b;
      b.mode = mode;
      b.startX = -0.5f;
      b.endY = 120.99f;
      b.optional = 1 + mode;
      blocks.push_back(BlockDrawCommand(b));
    }
    rows.push_back({"block draw, every mode", blocks, [](const auto& c) {
                      const char modes[] = {'O', 'E', 'D', 'S', 'B'};
                      for (size_t i = 0; i < 5; ++i) {
                        const auto& b = As<p::BlockDrawCommand>(c, i);
                        EXPECT_EQ(std::tie(b.x1, b.y1, b.x2, b.y2, b.mode),
                                  std::tuple(0, 100, 800, 120, modes[i]));
                        EXPECT_EQ(b.optional, BlockModeTakesOptional(int(i)) ? int(i) + 1 : 0);
                      }
                    }});
  }
  return rows;
}

TEST(ComposeParseRoundTrip, EveryBuilderIsReadBackAsItsFields) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    std::string script;
    for (const std::string& command : row.commands) script += command + "\r\n";
    const p::ParsedScript parsed = p::ParseScript(script);
    for (const p::ScriptError& error : parsed.errors)
      ADD_FAILURE() << "line " << error.line << ": " << error.message << "\n" << script;
    ASSERT_EQ(parsed.commands.size(), row.commands.size()) << script;
    row.check(parsed.commands);
  }
}

}  // namespace
}  // namespace qm
