// The toolkit-free composers of the builders, the charts and the font search.
#include <gtest/gtest.h>

#include "tester/CharacterCharts.h"
#include "tester/CommandComposers.h"
#include "tester/FontFinder.h"

namespace qm {
namespace {

TEST(CommandComposers, NumbersAreTruncatedTowardZeroAndTextIsEscaped) {
  const std::pair<double, const char*> dots[] = {
      {12.9, "12"}, {-12.9, "-12"}, {-0.5, "0"}, {999.99, "999"}, {1e20, "100000000000000000000"}};
  for (auto [value, text] : dots) EXPECT_EQ(Dots(value), text) << value;
  EXPECT_EQ(EscapeQuoted("it's C:\\ \"x\""), "it\\'s C:\\\\ \"x\"");
  EXPECT_EQ(TestPrintJob("BD1,2,3,4,O"), "BD1,2,3,4,O\rP1\r");
}

TEST(CommandComposers, PrintingSettingCommandsAndTestLabel) {
  PrintingSetting defaults;
  EXPECT_EQ(PrintingSettingCommands(defaults), (std::vector<std::string>{"SS3", "SD20", "SOT"}));
  PrintingSetting bottom{0, 1, 20, 1, 1, 0};
  EXPECT_EQ(PrintingSettingCommands(bottom), (std::vector<std::string>{"SS0", "SD0"}));
  EXPECT_TRUE(PrintingSettingCommands({3, 0, 0, 0, 0, 0}).empty());

  const std::string head =
      "T100,100,3,1,1,0,0,N,N,'Printer Setting Test'\r"
      "T100,150,3,1,1,0,0,N,N,'============================='\r";
  const std::string tail =
      "T100,350,3,1,1,0,0,N,N,'============================='\r"
      "BD150,500,495,750,B,15\rBD200,550,300,700,S,30\rBD430,550,330,700,S,30\r\rP1\r";
  EXPECT_EQ(PrintingSettingTestLabel(defaults),
            head +
                "T100,200,3,1,1,0,0,N,N,'Printing Speed     : 5.0 ips'\rSS3\r"
                "T100,250,3,1,1,0,0,N,N,'Density(0~20)      : 20'\rSD20\r"
                "T100,300,3,1,1,0,0,N,N,'Printing Direction : SOT'\rSOT\r" +
                tail);
  EXPECT_EQ(PrintingSettingTestLabel({1, 0, 5, 0, 1, 1}),
            head + "T100,300,3,1,1,0,0,N,N,'Printing Direction : SOB'\rSOB\r" + tail);
}

TEST(CommandComposers, LabelSettingConvertsToDotsWithSinglePrecisionFactors) {
  EXPECT_EQ(LabelSettingCommands({}),
            (std::vector<std::string>{"SW812", "SL1219,15,G", "SM40,40"}));
  struct Row {
    LabelSetting setting;
    std::vector<std::string> commands;
  };
  const Row rows[] = {
      {{1, 0, 1, 104.0f, 0, 0, 0, 0, 0}, {"SW832"}},
      {{2, 0, 1, 812.9f, 0, 0, 0, 0, 0}, {"SW812"}},
      {{2, 1, 0, 0, 1, 600.5f, 0, 0, 0}, {"SL600,0,C"}},
      {{0, 0, 0, 0, 0, 0, 1, -0.2f, 1e6f}, {"SM-40,203199996"}},
  };
  for (const Row& row : rows) EXPECT_EQ(LabelSettingCommands(row.setting), row.commands);

  // 4 inches are 101.6 mm and come back as 4 within single precision.
  float mm = ConvertLabelUnit(4.0f, LabelUnit::Inch, LabelUnit::Mm);
  EXPECT_FLOAT_EQ(mm, 101.6f);
  EXPECT_FLOAT_EQ(ConvertLabelUnit(mm, LabelUnit::Mm, LabelUnit::Inch), 4.0f);
  EXPECT_FLOAT_EQ(ConvertLabelUnit(1.0f, LabelUnit::Inch, LabelUnit::Dots), 203.2f);
  EXPECT_FLOAT_EQ(ConvertLabelUnit(8.0f, LabelUnit::Dots, LabelUnit::Inch), 0.0393700786f);
  EXPECT_EQ(ToDots(1.0f, LabelUnit::Inch), 203.0);
  EXPECT_EQ(CopiesCommand(0, 100), "P0,100");
}

TEST(CommandComposers, LabelSizesRunFromZeroTo9999Dots) {
  struct Row {
    LabelUnit unit;
    float value;
    bool fits;
  };
  const Row rows[] = {
      {LabelUnit::Inch, 0.0f, true},    {LabelUnit::Inch, 49.21f, true},
      {LabelUnit::Inch, 49.22f, false}, {LabelUnit::Inch, -0.001f, false},
      {LabelUnit::Mm, 1249.88f, true},  {LabelUnit::Mm, 1250.0f, false},
      {LabelUnit::Dots, 9999.9f, true}, {LabelUnit::Dots, 10000.0f, false},
      {LabelUnit::Dots, -1.0f, false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(LabelSizeFits(row.value, row.unit), row.fits) << int(row.unit) << " " << row.value;
  EXPECT_FLOAT_EQ(LabelSizeMaximum(LabelUnit::Inch), 49.21f);
  EXPECT_FLOAT_EQ(LabelSizeMaximum(LabelUnit::Mm), 1249.88f);
  EXPECT_FLOAT_EQ(LabelSizeMaximum(LabelUnit::Dots), 9999.0f);
}

TEST(CommandComposers, TextCommands) {
  EXPECT_EQ(BitmapTextCommand({}), "T20,20,3,1,1,0,0,N,N,'TORVALE Label Printer LTR-420 II Test'");
  EXPECT_EQ(BitmapTextCommand({12.9f, 0, "f", 4, 2, 100, 3, "R", "B", "a'b"}),
            "T12,0,f,4,2,100,3,R,B,'a\\'b'");
  EXPECT_EQ(VectorTextCommand({}),
            "V20,20,U,35,35,1,N,N,N,0,L,0,'TORVALE Label Printer LTR-420 II Test'");
  struct Row {
    VectorText text;
    const char* command;
  };
  const Row rows[] = {
      {{1, 2, 10, 20, -5, 1, 1, 1, 3, 0, 1, "x"}, "V1,2,U,10,20,-5,B,R,I,3,R,1,'x'"},
      {{1, 2, 10, 20, 0, 0, 0, 0, 1, 1, 0, "\\"}, "V1,2,U,10,20,0,N,N,N,1,C,0,'\\\\'"},
  };
  for (const Row& row : rows) EXPECT_EQ(VectorTextCommand(row.text), row.command);
}

TEST(CommandComposers, BarcodeAndBlockCommands) {
  EXPECT_EQ(Barcode1dCommand({}), "B1100,100,0,2,7,100,0,1,'123456789'");
  Barcode1d quiet;
  quiet.quietZoneOn = 1;
  quiet.quietZone = 0;
  EXPECT_EQ(Barcode1dCommand(quiet), "B1100,100,0,2,7,100,0,1,0,'123456789'");

  Barcode2d maxi;
  EXPECT_EQ(Barcode2dCommand(maxi),
            "B2100,100,M,0,'999,840,06810,7317,THIS IS A TEST OF MODE 0 STRUCTURED CARRIER "
            "MESSAGE ENCODING. THIS IS AN 84 CHAR MSG'");
  const int modes[] = {0, 2, 3, 4};
  for (int index = 0; index < 4; ++index) {
    maxi.mode = index;
    maxi.data = "d";
    EXPECT_EQ(Barcode2dCommand(maxi), "B2100,100,M," + std::to_string(modes[index]) + ",'d'");
  }
  Barcode2d pdf;
  pdf.symbology = 1;
  pdf.data = Barcode2dSample(Symbology2d::Pdf417);
  EXPECT_EQ(Barcode2dCommand(pdf),
            "B2100,100,P,30,5,0,0,1,1,3,10,0,'TORVALE Label Printer LTR420, This is Test "
            "Printing.'");
  Barcode2d qr;
  qr.symbology = 2;
  qr.barHeight = 4;
  qr.data = Barcode2dSample(Symbology2d::Qr);
  EXPECT_EQ(Barcode2dCommand(qr), "B2100,100,Q,1,L,4,0,'ABCDEFGHIJKLMN1234567890'");
  qr.mode = 1;
  qr.errorCorrection = 3;
  qr.data = "a\r\nb'";
  EXPECT_EQ(Barcode2dCommand(qr), "B2100,100,Q,2,H,4,0,'a\r\nb\\''");

  EXPECT_EQ(BlockDrawCommand({}), "BD100,100,800,120,O");
  EXPECT_EQ(BlockDrawCommand({900.7f, 10, 5, 1, 2, 55}), "BD900,10,5,1,D");
  EXPECT_EQ(BlockDrawCommand({1, 2, 3, 4, 3, 10}), "BD1,2,3,4,S,10");
  EXPECT_EQ(BlockDrawCommand({1, 2, 3, 4, 4, 0}), "BD1,2,3,4,B,0");
}

std::string Range(int first, int last) {
  std::string s;
  for (int c = first; c <= last; ++c) s += char(c);
  return s;
}

TEST(CharacterCharts, SingleByteCharts) {
  CharacterSetChart chart;
  std::string under = Range(0x20, 0x26) + "\\'" + Range(0x28, 0x5B) + "\\\\" + Range(0x5D, 0x7F);
  EXPECT_EQ(UnderChartJob(chart),
            (std::vector<std::string>{"SW780\rCS0,0\rT20,20,3,1,1,10,0,N,N,'" + under + "'\rP1\r",
                                      "SW830\r"}));
  chart.internationalSet = 13;
  chart.codeTable = 22;
  chart.x = 5.9f;
  chart.font = {1, "3", 100, 5};
  EXPECT_EQ(OverChartJob(chart),
            (std::vector<std::string>{
                "SW780\rCS13,22\rV5,20,U,5,100,+1,N,N,N,0,L,0,'" + Range(0x80, 0xFF) + "'\rP1\r",
                "SW830\r"}));

  chart = {};
  chart.codeTable = 15;
  chart.font.font = "a";
  std::vector<std::string> international = InternationalChartJob(chart);
  ASSERT_EQ(international.size(), 17u);
  EXPECT_EQ(international[0], "CS0,15\rT30,50,a,1,1,10,0,N,N,'#$@[\\\\]^`{|}~'\r");
  EXPECT_EQ(international[15], "CS15,15\rT30,1100,a,1,1,10,0,N,N,'#$@[\\\\]^`{|}~'\r");
  EXPECT_EQ(international[16], "P1\r");
}

TEST(CharacterCharts, TwoByteCharts) {
  const std::pair<const char*, std::optional<int>> blocks[] = {
      {"A1", 0xA1},         {"a1", 0xA1},          {"fE", 0xFE},      {"A", std::nullopt},
      {"G1", std::nullopt}, {"A1 ", std::nullopt}, {"", std::nullopt}};
  for (auto [text, value] : blocks) EXPECT_EQ(ParseBlock(text), value) << text;

  struct Row {
    int table, firstRow, lastRow;
    size_t labels, characters;
  };
  const Row rows[] = {{0, 0xA1, 0xF7, 87, 94},
                      {1, 0xA1, 0xF7, 87, 94},
                      {2, 0xA1, 0xE8, 72, 191},
                      {3, 0x81, 0xFC, 124, 192},
                      {0, 0xB0, 0xA1, 0, 0}};
  for (const Row& row : rows) {
    TwoByteChart chart;
    chart.table = row.table;
    chart.firstRow = row.firstRow;
    chart.lastRow = row.lastRow;
    std::vector<std::string> labels = TwoByteChartJob(chart);
    ASSERT_EQ(labels.size(), row.labels) << row.table;
    for (size_t i = 0; i < labels.size(); ++i) {
      const std::string header = "T20,20,d,1,1,0,0,N,N,'";
      ASSERT_EQ(labels[i].size(), header.size() + 2 * row.characters + 5);
      EXPECT_EQ(labels[i].substr(0, header.size()), header);
      EXPECT_EQ(uint8_t(labels[i][header.size()]), row.firstRow + i);
      EXPECT_EQ(uint8_t(labels[i][header.size() + 1]),
                uint8_t(TwoByteTables()[size_t(row.table)].firstTrail));
      EXPECT_EQ(labels[i].substr(labels[i].size() - 6), "\xFE'\rP1\r");
    }
  }
  TwoByteChart vector;
  vector.vector = 1;
  vector.vectorWidth = "100";
  vector.vectorHeight = "5";
  EXPECT_EQ(TwoByteHeader(vector), "V20,20,U,5,100,1,N,N,N,0,L,0,'");
}

TEST(FontFinder, WorkedExamplesAndTheTieRule) {
  struct Row {
    float width, height;
    std::optional<FontChoice> most, round;
  };
  const Row rows[] = {
      {3, 5, FontChoice{0, 3, 3}, FontChoice{5, 1, 1}},
      {10, 10, FontChoice{5, 3, 2}, FontChoice{6, 2, 1}},
      {2, 3, FontChoice{0, 2, 2}, FontChoice{3, 1, 1}},
      {1, 1.6f, FontChoice{0, 1, 1}, std::nullopt},
      {33, 40, std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FindMostSimilar(row.width, row.height), row.most) << row.width << "x" << row.height;
    EXPECT_EQ(FindSimilarAndRound(row.width, row.height), row.round)
        << row.width << "x" << row.height;
  }
  EXPECT_EQ(FontComparisonJob({"0", "3", "3"}, {"-", "-", "-"}),
            "SL600,0,C\rT50,50,0,3,3,0,0,N,N,'TEST148'\rT50,350,-,-,-,0,0,N,N,'TEST148'\rP1\r");
}

}  // namespace
}  // namespace qm
