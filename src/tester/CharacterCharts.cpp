#include "tester/CharacterCharts.h"

#include "tester/CommandComposers.h"

namespace qm {
namespace {

// The chart widens the label for its long line and puts back the usual width.
constexpr const char* kChartWidth = "SW780\r";
constexpr const char* kUsualWidth = "SW830\r";

std::string Codes(int first, int last, bool escape) {
  std::string codes;
  for (int c = first; c <= last; ++c) {
    if (escape && (c == '\'' || c == '\\')) codes += '\\';
    codes += char(c);
  }
  return codes;
}

std::vector<std::string> RangeJob(const CharacterSetChart& chart, int first, int last,
                                  bool escape) {
  std::string job = kChartWidth;
  job += CharacterSetCommand(chart.internationalSet, chart.codeTable) + "\r";
  job += ChartTextLine(chart.font, Dots(chart.x), Dots(chart.y), Codes(first, last, escape));
  job += "\rP1\r";
  return {job, kUsualWidth};
}

}  // namespace

std::string CharacterSetCommand(int internationalSet, int codeTable) {
  return "CS" + std::to_string(internationalSet) + "," + std::to_string(codeTable);
}

std::string ChartTextLine(const ChartFont& font, std::string_view x, std::string_view y,
                          std::string_view characters) {
  std::string line;
  if (font.vector) {
    line = "V" + std::string(x) + "," + std::string(y) + ",U," + std::to_string(font.secondSize) +
           "," + std::to_string(font.firstSize) + ",+1,N,N,N,0,L,0,'";
  } else {
    line = "T" + std::string(x) + "," + std::string(y) + "," + font.font + "," +
           std::to_string(font.secondSize) + "," + std::to_string(font.firstSize) + ",10,0,N,N,'";
  }
  line += characters;
  line += "'";
  return line;
}

std::vector<std::string> UnderChartJob(const CharacterSetChart& chart) {
  // Only below 80h do the quote and the backslash mean something to the
  // printer's text command.
  return RangeJob(chart, 0x20, 0x7F, true);
}

std::vector<std::string> OverChartJob(const CharacterSetChart& chart) {
  return RangeJob(chart, 0x80, 0xFF, false);
}

std::vector<std::string> InternationalChartJob(const CharacterSetChart& chart) {
  // # $ @ [ \ ] ^ ` { | } ~: the codes the national sets replace.
  static constexpr std::string_view kVariants = "#$@[\\\\]^`{|}~";
  std::vector<std::string> writes;
  for (int k = 0; k < 16; ++k) {
    std::string lines = CharacterSetCommand(k, chart.codeTable) + "\r";
    lines += ChartTextLine(chart.font, "30", std::to_string(50 + 70 * k), kVariants) + "\r";
    writes.push_back(std::move(lines));
  }
  writes.push_back("P1\r");
  return writes;
}

const std::vector<TwoByteTable>& TwoByteTables() {
  static const std::vector<TwoByteTable> tables = {
      {"KS5601", "A1 to F7", "A1", "F7", {"a", "b", "c", "d", "e", "f"}, 3, 0xA1, 0xF7, 0xA1, true},
      {"GB2312", "A1 to F7", "A1", "F7", {"m"}, 0, 0xA1, 0xF7, 0xA1, false},
      {"BIG5", "A1 to E8", "A1", "E8", {"n"}, 0, 0xA1, 0xE8, 0x40, false},
      {"JIS", "81 to EE, FA to FC", "81", "EE", {"j"}, 0, 0x81, 0xFC, 0x3F, false},
  };
  return tables;
}

std::optional<int> ParseBlock(std::string_view text) {
  if (text.size() != 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

std::string TwoByteHeader(const TwoByteChart& chart) {
  if (chart.vector)
    return "V20,20,U," + chart.vectorHeight + "," + chart.vectorWidth + ",1,N,N,N,0,L,0,'";
  return "T20,20," + chart.bitmapFont + ",1,1,0,0,N,N,'";
}

std::vector<std::string> TwoByteChartJob(const TwoByteChart& chart) {
  const TwoByteTable& table = TwoByteTables().at(size_t(chart.table));
  const std::string header = TwoByteHeader(chart);
  std::vector<std::string> labels;
  for (int row = chart.firstRow; row <= chart.lastRow; ++row) {
    std::string label = header;
    for (int trail = table.firstTrail; trail <= kLastTrailByte; ++trail) {
      label += char(row);
      label += char(trail);
    }
    label += "'\rP1\r";
    labels.push_back(std::move(label));
  }
  return labels;
}

}  // namespace qm
