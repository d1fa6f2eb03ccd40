#include "preview/LabelScriptParser.h"

#include <gtest/gtest.h>

#include <random>

namespace qm::preview {
namespace {

template <typename T>
T Only(std::string_view script) {
  const ParsedScript parsed = ParseScript(script);
  EXPECT_TRUE(parsed.errors.empty()) << script << ": " << parsed.errors[0].message;
  EXPECT_EQ(parsed.commands.size(), 1u) << script;
  if (parsed.commands.size() != 1 || !std::holds_alternative<T>(parsed.commands[0].command)) {
    ADD_FAILURE() << script << " did not parse as expected";
    return {};
  }
  return std::get<T>(parsed.commands[0].command);
}

// What the builders compose parses to the fields they meant.
TEST(LabelScriptParser, BuilderOutputParses) {
  const auto t = Only<TextCommand>(R"(T20,30,3,2,4,5,1,R,B,'It\'s \\ here')");
  EXPECT_EQ(std::tie(t.x, t.y, t.font, t.hMulti, t.vMulti, t.rightSpace, t.rotation),
            std::tuple(20, 30, '3', 2, 4, 5, 1));
  EXPECT_TRUE(t.reverse && t.bold);
  EXPECT_EQ(t.text, R"(It's \ here)");

  const auto v = Only<VectorTextCommand>("V20,20,U,35,36,-5,B,N,I,3,R,1,'abc'");
  EXPECT_EQ(std::tie(v.width, v.height, v.space, v.rotation), std::tuple(35, 36, -5, 3));
  EXPECT_TRUE(v.bold && !v.reverse && v.italic && v.rightToLeft);
  EXPECT_EQ(v.justify, Justify::Right);
  // The charts write the font space with a plus sign.
  EXPECT_EQ(Only<VectorTextCommand>("V30,50,U,1,1,+1,N,N,N,0,L,0,'#'").space, 1);

  const auto b1 = Only<Barcode1dCommand>("B1100,100,0,2,7,100,0,1,'123456789'");
  EXPECT_EQ(std::tie(b1.symbology, b1.narrow, b1.wide, b1.height), std::tuple(0, 2, 7, 100));
  EXPECT_FALSE(b1.quietZone.has_value());
  EXPECT_EQ(Only<Barcode1dCommand>("B1100,100,0,2,7,100,0,1,0,'1'").quietZone, 0);

  const auto pdf = Only<Barcode2dCommand>("B2100,100,P,30,5,0,0,1,1,3,10,0,'TORVALE, Test.'");
  EXPECT_EQ(std::tie(pdf.type, pdf.rows, pdf.columns, pdf.moduleWidth, pdf.barHeight),
            std::tuple('P', 30, 5, 3, 10));
  EXPECT_TRUE(pdf.centered && pdf.hri);
  const auto qr = Only<Barcode2dCommand>("B2100,100,Q,2,H,4,1,'AB\r\nCD'");
  EXPECT_EQ(std::tie(qr.type, qr.mode, qr.ecc, qr.size, qr.rotation),
            std::tuple('Q', 2, 'H', 4, 1));
  EXPECT_EQ(qr.data, "AB\r\nCD");
  EXPECT_EQ(Only<Barcode2dCommand>("B2100,100,M,4,'X'").mode, 4);

  const auto bd = Only<BlockDrawCommand>("BD150,500,495,750,B,15");
  EXPECT_EQ(std::tie(bd.x1, bd.y1, bd.x2, bd.y2, bd.mode, bd.optional),
            std::tuple(150, 500, 495, 750, 'B', 15));
  EXPECT_EQ(Only<BlockDrawCommand>("BD1,2,3,4,O").mode, 'O');

  EXPECT_TRUE(Only<DirectionCommand>("SOB").bottom);
  EXPECT_EQ(Only<WidthCommand>("SW812").dots, 812);
  const auto sl = Only<LengthCommand>("SL600,0,C");
  EXPECT_TRUE(sl.dots == 600 && sl.gap == 0 && sl.continuous);
  EXPECT_EQ(Only<MarginCommand>("SM40,-8").y, -8);
  EXPECT_EQ(Only<CharacterSetCommand>("CS15,22").codeTable, 22);
  EXPECT_EQ(Only<DensityCommand>("SD0").density, 0);
  EXPECT_EQ(Only<ImageRecallCommand>("IR10,20,'logo'").name, "logo");
  // Two-byte fonts keep a trail byte of 5Ch (BIG5, JIS) as it is.
  EXPECT_EQ(Only<TextCommand>("T1,1,n,1,1,0,0,N,N,'\xA4\\\xA4@'").text, "\xA4\\\xA4@");
  EXPECT_EQ(Only<TextCommand>("T1,1,3,1,1,0,0,N,N,'\xA4\\\\'").text, "\xA4\\");

  for (auto [text, sets, copies] :
       {std::tuple("P", 1, 1), std::tuple("P,", 1, 1), std::tuple("P3", 3, 1),
        std::tuple("P3,2", 3, 2), std::tuple("P0,5", 0, 5)}) {
    const auto p = Only<PrintCommand>(text);
    EXPECT_EQ(std::pair(p.sets, p.copies), std::pair(sets, copies)) << text;
  }
}

// Each malformed command is one error on its own line; the rest still parses.
TEST(LabelScriptParser, MalformedCommandsAreErrorsWithTheirLine) {
  struct Row {
    const char* command;
    const char* error;
  };
  const Row rows[] = {
      {"T20,20,3,1,1,0,0,N,N,'open", "unterminated quote"},
      {"T20,20,3,1,1,0,0,N,'x'", "wrong number of fields: 9 instead of 10"},
      {"T20,2x,3,1,1,0,0,N,N,'x'", "bad number '2x'"},
      {"T20,99999999999,3,1,1,0,0,N,N,'x'", "number too large"},
      {"T20,20,3,5,1,0,0,N,N,'x'", "out of range 1 to 4"},
      {"T20,20,3,1,1,0,0,X,N,'x'", "must be one of NR"},
      {"T20,20,3,1,1,0,0,N,N,'x'y", "text after the closing quote"},
      {"T20,20,3,1,1,0,0,N,N,x", "must be quoted"},
      {"T,20,3,1,1,0,0,N,N,'x'", "missing number in field 1"},
      {"V20,20,U,35,35,1,N,N,N,0,L,0", "wrong number of fields"},
      {"B1100,100,10,2,7,100,0,1,'1'", "out of range 0 to 9"},
      {"B1100,100,0,2,7,100,0,1,''", "empty barcode data"},
      {"B2100,100,X,0,'x'", "must be one of MPQ"},
      {"B2100,100,M,1,'x'", "mode 1"},
      {"BD1,2,3,4,S", "wrong number of fields: 5 instead of 6"},
      {"BD1,2,3,4,D,55", "wrong number of fields: 6 instead of 5"},
      {"SOX", "direction"},
      {"SL100", "wrong number of fields: 1 instead of 3"},
      {"SD21", "out of range"},
      {"P1,2,3", "wrong number of fields"},
      {"PRINT", "bad number 'RINT'"},
      {"P1 ", "bad number '1 '"},
      {"Q123", "unknown command 'Q123'"},
  };
  for (const Row& row : rows) {
    const std::string script = std::string("SW800\r\n") + row.command + "\r\nBD1,1,2,2,O\r\n";
    const ParsedScript parsed = ParseScript(script);
    ASSERT_EQ(parsed.errors.size(), 1u) << row.command;
    EXPECT_EQ(parsed.errors[0].line, 2) << row.command;
    EXPECT_NE(parsed.errors[0].message.find(row.error), std::string::npos)
        << row.command << " gave " << parsed.errors[0].message;
    EXPECT_EQ(parsed.commands.size(), 2u) << row.command;
  }
}

TEST(LabelScriptParser, LinesCountAcrossLineEndsAndOtherFamilies) {
  // CR LF, lone CR and lone LF each end one line; multi-line 2D data and the
  // bytes of a stored image move the count as the editor shows it.
  const std::string image = "IS4,'a'\r\n\r\n";
  const std::string script =
      "SW8\r\n^ee\rB2100,100,Q,1,L,4,0,'A\r\nB'\n>RFW,x\r\n" + image + "BD1,2,3,4,O\r\nZZ";
  const ParsedScript parsed = ParseScript(script);
  ASSERT_EQ(parsed.errors.size(), 1u);
  EXPECT_EQ(parsed.errors[0].line, 7);
  ASSERT_EQ(parsed.commands.size(), 4u);
  EXPECT_EQ(parsed.commands[1].line, 3);
  EXPECT_EQ(std::get<ImageStoreCommand>(parsed.commands[2].command).data,
            std::vector<uint8_t>({'\r', '\n', '\r', '\n'}));
  EXPECT_EQ(parsed.commands[2].line, 6);
  EXPECT_EQ(parsed.commands[3].line, 6);
}

TEST(LabelScriptParser, FindCommandWaitsForTheEndOfWhatItStarted) {
  using K = CommandExtent::Kind;
  auto find = [](std::string_view text, bool atEnd = false) {
    return FindCommand(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                       atEnd);
  };
  struct Row {
    const char* input;
    K kind;
    size_t length;
  };
  const Row rows[] = {
      {"S", K::NeedMore, 0},
      {"^ee\r", K::NotLabel, 0},
      {"ID'x'II", K::NotLabel, 0},
      {"SW812", K::NeedMore, 0},
      {"SW812\r\n", K::Complete, 5},
      {"T1,1,0,1,1,0,0,N,N,'a\r", K::Complete, 21},  // a line end ends a text
      {"B21,1,Q,1,L,4,0,'a\r\nb'\r", K::Complete, 22},
      {"B21,1,Q,1,L,4,0,'a\r\nb", K::NeedMore, 0},
      {"IS3,'n'\r\r\r", K::Complete, 10},
      {"IS3,'n'\r\r", K::NeedMore, 0},
      {"IS3x\r", K::Complete, 4},
      // An escape before a line end does not carry the command over it.
      {"T1,1,0,1,1,0,0,N,N,'a\\\rP1\r", K::Complete, 22},
      // In a two-byte font a trail byte of 5Ch is no escape.
      {"T1,1,n,1,1,0,0,N,N,'\xA4\\'\r", K::Complete, 23},
  };
  for (const Row& row : rows) {
    const CommandExtent extent = find(row.input);
    EXPECT_EQ(extent.kind, row.kind) << row.input;
    EXPECT_EQ(extent.length, row.length) << row.input;
  }
  EXPECT_EQ(find("SW812", true).length, 5u);
  // An unclosed 2D quote is given up after a bound, at its first line end.
  const std::string runaway =
      "B21,1,Q,1,L,4,0,'a\r" + std::string(kMaxMultiLineData + 10, 'x') + "\r";
  EXPECT_EQ(find(runaway).length, 18u);
}

TEST(LabelScriptParser, HostileInputNeverCrashes) {
  EXPECT_TRUE(ParseScript(std::string_view()).commands.empty());
  std::mt19937 random(7);
  std::string noise(200000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const ParsedScript parsed = ParseScript(noise);
  EXPECT_FALSE(parsed.errors.empty());
  // A long line of commas and quotes.
  ParseScript(std::string(1 << 20, ',') + "'" + std::string(1 << 20, '\\'));
}

}  // namespace
}  // namespace qm::preview
