#include "preview/LabelRenderer.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <QRect>
#include <random>

#include "preview/Glyphs.h"

namespace qm::preview {
namespace {

// The ink of a label: how many dots and the rectangle around them.
struct Ink {
  int count = 0;
  QRect box;
};

Ink InkIn(const QImage& label, QRect area = {}) {
  const QImage image = label.convertToFormat(QImage::Format_Indexed8);
  if (area.isNull()) area = image.rect();
  Ink ink;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const uchar* row = image.constScanLine(y);
    for (int x = area.left(); x <= area.right(); ++x) {
      if (!row[x]) continue;
      ++ink.count;
      ink.box |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

class Rendering : public testing::Test {
 protected:
  RenderedLabel One(const std::string& script) {
    const RenderResult result = renderer.Render(script);
    EXPECT_TRUE(result.errors.empty()) << script << ": " << result.errors[0].message;
    EXPECT_EQ(result.labels.size(), 1u) << script;
    return result.labels.empty() ? RenderedLabel{} : result.labels[0];
  }
  LabelRenderer renderer;
};

TEST_F(Rendering, BlockDrawModesFillExactlyTheirDots) {
  struct Row {
    const char* commands;
    int count;
    QRect box;
  };
  const Row rows[] = {
      {"BD10,20,30,25,O", 100, {10, 20, 20, 5}},
      // Corners in any order name the same rectangle.
      {"BD30,25,10,20,O", 100, {10, 20, 20, 5}},
      {"SM5,7\rBD10,20,30,25,O", 100, {15, 27, 20, 5}},
      // Turned 180 degrees on a 100 x 50 label.
      {"SOB\rBD10,20,30,25,O", 100, {70, 25, 20, 5}},
      {"BD10,10,30,30,O\rBD15,15,25,25,E", 400 - 100, {10, 10, 20, 20}},
      {"BD10,10,30,30,O\rBD20,0,40,20,D", 400 - 100 + 300, {10, 0, 30, 30}},
      {"BD10,10,30,30,B,3", 400 - 14 * 14, {10, 10, 20, 20}},
      {"BD10,10,30,30,B,10", 400, {10, 10, 20, 20}},
      // A slanted stroke: one row of 4 dots per dot of height.
      {"BD10,10,20,20,S,4", 40, {10, 10, 13, 10}},
      // Far off the label: clipped, not drawn elsewhere.
      {"BD-999999,40,999999,60,O", 100 * 10, {0, 40, 100, 10}},
      // The last dots of a row, which do not fill a byte, either way round.
      {"BD90,0,100,1,O", 10, {90, 0, 10, 1}},
      {"SOB\rBD0,0,3,1,O", 3, {97, 49, 3, 1}},
  };
  for (const Row& row : rows) {
    const std::string script = std::string("SW100\rSL50,0,C\r") + row.commands + "\rP1\r";
    const Ink ink = InkIn(One(script).image);
    EXPECT_EQ(ink.count, row.count) << row.commands;
    EXPECT_EQ(ink.box, row.box) << row.commands;
  }
}

TEST_F(Rendering, BitmapTextLandsInItsCellsTimesTheMultipliers) {
  struct Row {
    const char* text;
    QRect cells;  // where the cells of "HH" stand
  };
  const FontCell f3 = CellOfFont('3');
  ASSERT_EQ(f3.width, 17);
  ASSERT_EQ(f3.height, 26);
  const Row rows[] = {
      {"T100,50,3,1,1,0,0,R,N,'HH'", {100, 50, 34, 26}},
      {"T100,50,3,2,3,0,0,R,N,'HH'", {100, 50, 68, 78}},
      {"T100,50,3,1,1,5,0,R,N,'HH'", {100, 50, 44, 26}},
      // A quarter turn clockwise about the start point.
      {"T100,50,3,1,1,0,1,R,N,'HH'", {74, 50, 26, 34}},
      {"T100,50,3,1,1,0,2,R,N,'HH'", {66, 24, 34, 26}},
      {"T100,50,3,1,1,0,3,R,N,'HH'", {100, 16, 26, 34}},
      {"SM7,9\rT100,50,3,1,1,0,0,R,N,'HH'", {107, 59, 34, 26}},
      {"SOB\rT100,50,3,1,1,0,0,R,N,'HH'", {200 - 134, 200 - 76, 34, 26}},
  };
  for (const Row& row : rows) {
    const RenderedLabel label = One(std::string("SW200\rSL200,0,C\r") + row.text + "\rP\r");
    // Reversed, the cells are solid ink but for the letters.
    const Ink ink = InkIn(label.image);
    EXPECT_EQ(ink.box, row.cells) << row.text;
    EXPECT_LT(ink.count, row.cells.width() * row.cells.height()) << row.text;
    EXPECT_GT(ink.count, row.cells.width() * row.cells.height() / 2) << row.text;
  }
  // Not reversed, the letters stay inside the cells; bold adds ink.
  const Ink plain = InkIn(One("T100,50,3,2,2,0,0,N,N,'HH'\rP").image);
  EXPECT_TRUE(QRect(100, 50, 68, 52).contains(plain.box)) << plain.box.x() << "," << plain.box.y();
  EXPECT_GT(InkIn(One("T100,50,3,2,2,0,0,N,B,'HH'\rP").image).count, plain.count);
}

TEST_F(Rendering, VectorTextIsSizedJustifiedAndTurned) {
  auto boxOf = [&](const std::string& v) { return InkIn(One(v + "\rP1").image).box; };
  const QRect left = boxOf("V300,100,U,40,60,1,N,N,N,0,L,0,'HHHH'");
  EXPECT_NEAR(left.left(), 300, 6);
  EXPECT_NEAR(left.height(), 60 * 0.73, 6);  // a capital is about 0.73 em high
  EXPECT_GT(left.top(), 100);
  const QRect right = boxOf("V300,100,U,40,60,1,N,N,N,0,R,0,'HHHH'");
  EXPECT_NEAR(right.right(), 300, 6);
  const QRect center = boxOf("V300,100,U,40,60,1,N,N,N,0,C,0,'HHHH'");
  EXPECT_NEAR(center.center().x(), 300, 4);
  const QRect turned = boxOf("V300,100,U,40,60,1,N,N,N,1,L,0,'HHHH'");
  EXPECT_EQ(std::pair(turned.width(), turned.height()), std::pair(left.height(), left.width()));
  EXPECT_LT(turned.right(), 300);
  // More font space, wider text.
  EXPECT_GT(boxOf("V300,100,U,40,60,9,N,N,N,0,L,0,'HHHH'").width(), left.width() + 20);
  // Italic leans: same height, wider.
  EXPECT_GT(boxOf("V300,100,U,40,60,1,N,N,I,0,L,0,'HHHH'").width(), left.width());
}

TEST_F(Rendering, CharacterSetsMapNationalVariantsAndCodeTables) {
  auto inkOf = [&](const std::string& s) { return One(s + "\rP1").image; };
  // Germany's "[" is PC1252's C4h, Ä.
  EXPECT_EQ(inkOf("CS2,0\rT10,10,3,1,1,0,0,N,N,'['"), inkOf("CS0,6\rT10,10,3,1,1,0,0,N,N,'\xC4'"));
  EXPECT_NE(inkOf("CS0,0\rT10,10,3,1,1,0,0,N,N,'['"), inkOf("CS0,6\rT10,10,3,1,1,0,0,N,N,'\xC4'"));
  // A two-byte font with no installed glyphs draws an empty box per
  // character, one cell wide.
  const Ink boxes = InkIn(inkOf("T10,10,d,1,1,0,0,N,N,'\xB0\xA1\xB0\xA2'"));
  EXPECT_TRUE(QRect(10, 10, 48, 24).contains(boxes.box));
  EXPECT_GT(boxes.box.width(), 40);
  // KS5601's Greek row has glyphs in the installed fonts: Alpha (A5h C1h) is
  // drawn, not boxed; a BIG5 trail byte of 5Ch keeps its pair together.
  EXPECT_NE(inkOf("T10,10,d,1,1,0,0,N,N,'\xA5\xC1'"), inkOf("T10,10,d,1,1,0,0,N,N,'\xA1\x20'"));
  EXPECT_EQ(InkIn(inkOf("T10,10,n,1,1,0,0,N,N,'\xA4\\\xA4\x40'")).box.width(), boxes.box.width());
}

std::string Decode(const QImage& label, ZXing::BarcodeFormat format, bool pure = false) {
  const QImage grey = label.convertToFormat(QImage::Format_Grayscale8);
  ZXing::DecodeHints hints;
  hints.setFormats(format);
  hints.setTryHarder(true);
  hints.setIsPure(pure);
  const ZXing::Result result =
      ZXing::ReadBarcode({grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(grey.bytesPerLine())},
                         hints);
  return result.isValid() ? result.text() : "(unread)";
}

TEST_F(Rendering, EveryBarcodeDecodesBackToItsData) {
  using F = ZXing::BarcodeFormat;
  struct Row {
    const char* command;
    F format;
    const char* text;
  };
  const Row rows[] = {
      {"B1100,100,0,2,5,100,0,1,'CODE39'", F::Code39, "CODE39"},
      {"B1100,100,1,2,7,100,0,1,'Code 128!'", F::Code128, "Code 128!"},
      {"B1100,100,2,2,6,100,0,1,'12345678'", F::ITF, "12345678"},
      {"B1100,100,3,2,6,100,0,1,'A123456B'", F::Codabar, "123456"},
      {"B1100,100,4,2,7,100,0,1,'CODE93'", F::Code93, "CODE93"},
      {"B1100,100,5,3,7,100,0,1,'01234567890'", F::UPCA, "012345678905"},
      {"B1100,100,6,3,7,100,0,1,'0123456'", F::UPCE, "01234565"},
      {"B1100,100,7,3,7,100,0,1,'123456789012'", F::EAN13, "1234567890128"},
      {"B1100,100,8,3,7,100,0,1,'1234567'", F::EAN8, "12345670"},
      // Given with its check digit, or shorter: still an EAN-8.
      {"B1100,80,8,2,5,100,0,1,'96385074'", F::EAN8, "96385074"},
      {"B1100,100,8,3,7,100,0,1,'123'", F::EAN8, "00001236"},
      {"B1100,100,9,2,7,100,0,1,'0112345678901231'", F::Code128, "0112345678901231"},
      // The same symbols turned, quiet zone or not.
      {"B1300,100,1,2,7,100,1,0,12,'TURNED'", F::Code128, "TURNED"},
      {"B1600,400,0,3,8,80,2,1,'UPSIDE'", F::Code39, "UPSIDE"},
      {"B2100,100,Q,2,M,4,0,'ABCDEFGHIJKLMN1234567890'", F::QRCode, "ABCDEFGHIJKLMN1234567890"},
      {"B2300,300,Q,2,H,6,3,'line one\r\nline two'", F::QRCode, "line one\r\nline two"},
      {"B2100,100,P,30,5,2,0,0,0,3,10,0,'TORVALE Label Printer LTR420, This is Test Printing.'",
       F::PDF417, "TORVALE Label Printer LTR420, This is Test Printing."},
      {"B2400,300,P,30,4,0,0,1,1,3,12,1,'centred and turned'", F::PDF417, "centred and turned"},
  };
  for (const Row& row : rows) {
    const RenderedLabel label = One(std::string(row.command) + "\rP1\r");
    EXPECT_EQ(Decode(label.image, row.format), row.text) << row.command;
  }
}

TEST_F(Rendering, AWrongCheckDigitIsRefused) {
  struct Row {
    const char* command;
    const char* error;
  };
  const Row rows[] = {
      {"B1100,100,7,3,7,100,0,1,'5901234123458'", "Invalid check digit '8', expecting '7'"},
      {"B1100,100,8,3,7,100,0,1,'96385075'", "Invalid check digit '5', expecting '4'"},
  };
  for (const Row& row : rows) {
    const RenderResult result = renderer.Render(std::string(row.command) + "\rP1\r");
    ASSERT_EQ(result.errors.size(), 1u) << row.command;
    EXPECT_NE(result.errors[0].message.find(row.error), std::string::npos)
        << result.errors[0].message;
    EXPECT_EQ(InkIn(result.labels[0].image).count, 0) << row.command;
  }
}

TEST_F(Rendering, Pdf417TextSitsWholeUnderItsSymbolInEitherOrigin) {
  // The symbol's rows end where the first blank row below its top is; the
  // text starts below that.
  auto split = [](const QImage& image) {
    const QRect all = InkIn(image).box;
    int y = all.top();
    while (InkIn(image, {0, y, image.width(), 1}).count > 0) ++y;
    return std::pair(InkIn(image, {0, all.top(), image.width(), y - all.top()}).box,
                     InkIn(image, {0, y, image.width(), all.bottom() + 1 - y}).box);
  };
  const std::string data = "TORVALE Label Printer LTR420, This is Test Printing.";
  for (const char* origin : {"0", "1"}) {
    const std::string command =
        std::string("B2400,300,P,30,5,0,0,1,") + origin + ",3,10,0,'" + data + "'\rP1\r";
    const auto [symbol, text] = split(One(command).image);
    ASSERT_FALSE(text.isNull()) << origin;
    EXPECT_GT(text.top(), symbol.bottom()) << origin;
    EXPECT_NEAR(text.center().x(), symbol.center().x(), 10) << origin;
    EXPECT_GE(text.left(), symbol.left()) << origin;
    EXPECT_LE(text.right(), symbol.right()) << origin;
  }
  // Long data is drawn to its last character, over several lines, not cut.
  auto textOf = [&](char last) {
    const QImage image =
        One("B2400,300,P,90,3,0,0,1,1,3,10,0,'" + data + data + last + "'\rP1\r").image;
    const QRect text = split(image).second;
    EXPECT_GT(text.height(), 2 * CellOfFont('1').height);
    return image.copy(text);
  };
  EXPECT_NE(textOf('X'), textOf('Y'));
}

TEST_F(Rendering, MaxiCodeDecodesInEveryMode) {
  const std::string carrier = "999,840,06810,7317,";
  struct Row {
    std::string command;
    std::string text;  // contained in what the decoder reads
  };
  const Row rows[] = {
      {"B2100,100,M,4,'THIS IS A 93 CHARACTER CODE SET A MESSAGE'", "THIS IS A 93 CHARACTER"},
      {"B2100,100,M,2,'" + carrier + "MODE 2 TEST'", "MODE 2 TEST"},
      {"B2100,100,M,3,'999,840,AB12C,,MODE 3'", "MODE 3"},
      {"B2100,100,M,0,'" + carrier + "MODE 0 MESSAGE'", "MODE 0 MESSAGE"},
  };
  for (const Row& row : rows) {
    const RenderedLabel label = One(row.command + "\rP1\r");
    const Ink ink = InkIn(label.image);
    // The symbol alone, as the decoder reads MaxiCode only from a pure image.
    const QImage symbol = label.image.copy(ink.box.adjusted(-4, -4, 4, 4));
    EXPECT_NE(Decode(symbol, ZXing::BarcodeFormat::MaxiCode, true).find(row.text),
              std::string::npos)
        << row.command;
  }
}

// A PCX file in the form the image downloader sends: 8 x 2 dots.
std::vector<uint8_t> Pcx(int bits, std::vector<uint8_t> data, bool palette) {
  std::vector<uint8_t> file;
  file.reserve(128 + data.size() + 769);
  file.resize(128);
  file[0] = 0x0A;
  file[1] = 5;
  file[2] = 1;
  file[3] = static_cast<uint8_t>(bits);
  file[8] = 7;   // xmax
  file[10] = 1;  // ymax
  file[65] = 1;
  file[66] = static_cast<uint8_t>(bits == 1 ? 1 : 8);
  for (uint8_t byte : data) file.push_back(byte);
  if (palette) {
    file.push_back(0x0C);
    for (int i = 0; i < 3 * 256; ++i) file.push_back(static_cast<uint8_t>(i / 3));
  }
  return file;
}

TEST_F(Rendering, StoredPcxImagesRecallWhereAsked) {
  // 1 bit: a clear bit prints. Row 0: 0F -> 4 dots; row 1: run of one FF.
  const auto mono = Pcx(1, {0x0F, 0xC1, 0xFF}, false);
  // 8 bits: grey levels by the palette; a run of 8 black dots, then 8 white.
  const auto grey = Pcx(8, {0xC8, 0x00, 0xC8, 0xFF}, true);
  ASSERT_TRUE(renderer.AddImage("mono", mono));
  std::string script(grey.begin(), grey.end());
  script = "IS" + std::to_string(grey.size()) + ",'grey'" + script +
           "\r\nIR10,20,'mono'\r\nIR50,60,'grey'\r\nP1\r\n";
  const RenderResult result = renderer.Render(script);
  ASSERT_TRUE(result.errors.empty()) << result.errors[0].message;
  EXPECT_EQ(InkIn(result.labels[0].image).count, 4 + 8);
  EXPECT_EQ(InkIn(result.labels[0].image, {10, 20, 8, 2}).box, QRect(10, 20, 4, 1));
  EXPECT_EQ(InkIn(result.labels[0].image, {50, 60, 8, 2}).box, QRect(50, 60, 8, 1));

  struct Bad {
    std::vector<uint8_t> file;
    const char* why;
  };
  std::vector<uint8_t> cut(mono.begin(), mono.end() - 1);
  std::vector<uint8_t> huge = mono;
  huge[9] = 0xFF;
  std::vector<uint8_t> planes = mono;
  planes[65] = 3;
  const Bad bad[] = {{{}, "shorter than its header"},
                     {cut, "ends early"},
                     {huge, "bad size"},
                     {planes, "single-plane"},
                     {Pcx(8, {0xC8, 0x00, 0xC8, 0xFF}, false), "palette missing"}};
  for (const Bad& b : bad) {
    std::string why;
    EXPECT_FALSE(renderer.AddImage("bad", b.file, &why));
    EXPECT_NE(why.find(b.why), std::string::npos) << why;
  }
  const RenderResult missing = renderer.Render("BD0,0,1,1,O\r\nIR1,1,'none'\r\nP1\r\n");
  ASSERT_EQ(missing.errors.size(), 1u);
  EXPECT_EQ(missing.errors[0].line, 2);
  EXPECT_EQ(missing.labels.size(), 1u);
}

TEST_F(Rendering, LabelsCountsAndErrorsOfAWholeScript) {
  const RenderResult result = renderer.Render(
      "SW400\r\nSL300,15,G\r\nSD10\r\nBD0,0,10,10,O\r\nP3,2\r\nB1100,100,8,2,7,100,0,1,'123456789'"
      "\r\n"
      "T1,1,3,1,1,0,0,N,N,'bad\r\nBD0,0,10,10,O\r\nP\r\nBD0,0,1,1,O\r\n"
      "B2100,100,P,3,1,0,0,0,0,3,10,0,'more than three rows of one column hold'");
  ASSERT_EQ(result.labels.size(), 3u);
  EXPECT_EQ(std::tuple(result.labels[0].sets, result.labels[0].copies, result.labels[0].line),
            std::tuple(3, 2, 5));
  EXPECT_EQ(result.labels[0].image.size(), QSize(400, 300));
  // Density 10 prints a lighter ink.
  EXPECT_EQ(result.labels[0].image.color(1), qRgb(80, 80, 80));
  EXPECT_FALSE(result.labels[2].printed);
  ASSERT_EQ(result.errors.size(), 3u);
  EXPECT_NE(result.errors[2].message.find("more than the maximum of 3"), std::string::npos);
  EXPECT_EQ(result.errors[0].line, 6);
  EXPECT_NE(result.errors[0].message.find("Barcode Error"), std::string::npos);
  EXPECT_EQ(result.errors[1].line, 7);
}

// With a focus, the label it lies in and its neighbours are drawn exactly as
// a whole rendering draws them (a character set chosen in an undrawn label
// still holds), and every other label is listed with its copies, undrawn.
TEST_F(Rendering, AFocusDrawsTheLabelsAroundIt) {
  std::string script = "SW200\r\nSL100,0,C\r\n";
  std::vector<size_t> starts;
  for (int i = 0; i < 150; ++i) {
    starts.push_back(script.size());
    if (i == 3) script += "CS2,0\r\n";
    script += "T10,10,3,1,1,0,0,N,N,'[" + std::to_string(i) + "'\r\nP" + std::to_string(i % 4 + 1) +
              "\r\n";
  }
  script += "BD0,0,5,5,O\r\n";  // a last label, not printed
  const RenderResult whole = renderer.Render(script);
  ASSERT_EQ(whole.labels.size(), LabelRenderer::kMaxLabels);  // the rest are dropped
  LabelRenderer few;
  few.LimitLabels(2);
  const RenderResult firstTwo = few.Render(script);
  ASSERT_EQ(firstTwo.labels.size(), 2u);
  EXPECT_EQ(firstTwo.labels[1].image, whole.labels[1].image);
  EXPECT_EQ(firstTwo.errors.back().message, "Preview: 149 more labels not drawn");
  struct Row {
    size_t focus;
    size_t label;
  };
  const Row rows[] = {{starts[60] + 3, 60}, {starts[0], 0}, {script.size(), 150}, {starts[61], 61}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    const RenderResult focused = renderer.Render(script, row.focus);
    ASSERT_EQ(focused.labels.size(), 151u);
    EXPECT_EQ(focused.focusLabel, row.label);
    for (size_t i = 0; i < focused.labels.size(); ++i) {
      const RenderedLabel& label = focused.labels[i];
      const bool near = i + LabelRenderer::kFocusAround >= row.label &&
                        i <= row.label + LabelRenderer::kFocusAround;
      EXPECT_EQ(label.image.isNull(), !near) << i;
      if (i < 150) {
        EXPECT_EQ(label.sets, int(i % 4 + 1)) << i;
      }
      if (near && i < whole.labels.size()) {
        EXPECT_EQ(label.image, whole.labels[i].image) << i;
      }
    }
  }
  EXPECT_FALSE(renderer.Render(script, script.size()).labels.back().printed);
}

TEST_F(Rendering, HostileScriptsGiveErrorsNotCrashes) {
  EXPECT_TRUE(renderer.Render("").labels.empty());
  // Huge sizes are cut to what the preview draws, and said so.
  const RenderResult huge = renderer.Render("SW999999\rSL999999,0,C\rBD0,0,999999,999999,O\rP1\r");
  ASSERT_EQ(huge.labels.size(), 1u);
  EXPECT_EQ(huge.labels[0].image.size(),
            QSize(LabelRenderer::kMaxWidth, LabelRenderer::kMaxLength));
  EXPECT_EQ(huge.errors.size(), 1u);
  // Random bytes, and 50 MB scripts: one text line, and lines of every kind.
  std::mt19937 random(11);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  noise += "\rT1,1,3,4,4,0,0,N,N,'" + std::string(3000, 'W') + "'\rP1\r";
  EXPECT_FALSE(renderer.Render(noise).errors.empty());
  const std::string line = "T10,10,3,1,1,0,0,N,N,'" + std::string(50u << 20, 'W') + "'\rP1\r";
  EXPECT_EQ(renderer.Render(line).labels.size(), 1u);
  std::string lines;
  while (lines.size() < 50u << 20) lines += "BD10,10,20,20,O\r\nX\r\nP1,\r\n";
  const RenderResult many = renderer.Render(lines);
  EXPECT_EQ(many.labels.size(), LabelRenderer::kMaxLabels);
  ASSERT_EQ(many.errors.size(), LabelRenderer::kMaxErrors + 1);
  EXPECT_NE(many.errors.back().message.find("more errors not listed"), std::string::npos);
}

}  // namespace
}  // namespace qm::preview
