#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The character charts: labels that print every code of a code table so the
// operator sees which glyph the printer makes of it. Each function returns
// the writes of a chart, one string per `Write`, every line ending with CR.

inline constexpr const char* kInternationalSets[] = {
    "U.S.A",         "France", "Germany",          "U.K",        "Denmark I", "Sweden",
    "Italy",         "Spain",  "Norway",           "Denmark II", "Japan",     "Spain II",
    "Latin America", "Korea",  "Slovenia/Croatia", "China"};
inline constexpr const char* kCodeTables[] = {
    "PC437",  "PC850",  "PC852",  "PC860",  "PC863",  "PC865",   "PC1252", "PC865+PC1252",
    "PC857",  "PC737",  "PC1250", "PC1253", "PC1254", "PC855",   "PC862",  "PC866",
    "PC1251", "PC1255", "PC928",  "PC864",  "PC775",  "WPC1257", "CP858"};
inline constexpr const char* kChartFonts[] = {"0", "1", "2", "3", "4", "5", "6", "a", "b"};

// How the chart lines are written: a bitmap font with its multipliers, or
// the scalable font with its width and height. `firstSize` is the upper box
// of the dialog ("H Multi" / "Width"), `secondSize` the lower one, which the
// text commands take first.
struct ChartFont {
  int vector = 0;  // 0 bitmap, 1 vector
  std::string font = "3";
  int firstSize = 1;
  int secondSize = 1;
};

struct CharacterSetChart {
  int internationalSet = 0;
  int codeTable = 0;
  float x = 20;
  float y = 20;
  ChartFont font;
};

// "CS" set "," table.
std::string CharacterSetCommand(int internationalSet, int codeTable);
// A text line at (x, y) holding `characters` (already escaped).
std::string ChartTextLine(const ChartFont& font, std::string_view x, std::string_view y,
                          std::string_view characters);

// The codes 20h to 7Fh on one label, the label width set to 780 dots around
// it and put back to 830 afterwards: two writes.
std::vector<std::string> UnderChartJob(const CharacterSetChart& chart);
// The codes 80h to FFh, likewise.
std::vector<std::string> OverChartJob(const CharacterSetChart& chart);
// The national-variant characters of all 16 international sets, one line
// each on one label: 17 writes.
std::vector<std::string> InternationalChartJob(const CharacterSetChart& chart);

// The double-byte code tables and what their charts print.
struct TwoByteTable {
  const char* name;
  const char* blockArea;  // shown to the operator
  const char* start;      // shown start and end block
  const char* end;
  std::vector<const char*> fonts;
  int selectedFont;  // index into fonts
  int firstRow;      // the rows "Print all" prints
  int lastRow;
  int firstTrail;   // the first trail byte; the last is always FEh
  bool vectorFont;  // whether the scalable font has this table
};
const std::vector<TwoByteTable>& TwoByteTables();
inline constexpr int kLastTrailByte = 0xFE;

// A block as typed: exactly two hexadecimal digits, either case.
std::optional<int> ParseBlock(std::string_view text);

struct TwoByteChart {
  int table = 0;
  int firstRow = 0xA1;
  int lastRow = 0xF7;
  int vector = 0;
  std::string bitmapFont = "d";
  std::string vectorWidth = "35";
  std::string vectorHeight = "35";
};
// The header of every label of the chart, up to the opening quote.
std::string TwoByteHeader(const TwoByteChart& chart);
// One label per row from the first to the last (none when the first is
// greater), each with every trail byte of the table after the row byte.
std::vector<std::string> TwoByteChartJob(const TwoByteChart& chart);

}  // namespace qm
