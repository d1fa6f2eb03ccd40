#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>

#include "cli/PrinterConnection.h"
#include "cli/Subcommands.h"
#include "tester/CharacterCharts.h"
#include "tester/FontFinder.h"
#include "tester/JobSender.h"

namespace qm::cli {
namespace {

std::optional<int> IntIn(const std::string& text, int min, int max) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < min || value > max) return std::nullopt;
  return int(value);
}

std::optional<double> Real(const std::string& text) {
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') return std::nullopt;
  return value;
}

// "A,B" as two whole numbers from 1 to `max`.
bool TakeSizes(const std::string& text, int max, int& first, int& second) {
  size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  auto a = IntIn(text.substr(0, comma), 1, max), b = IntIn(text.substr(comma + 1), 1, max);
  if (!a || !b) return false;
  first = *a;
  second = *b;
  return true;
}

}  // namespace

// Prints a character chart, single-byte or double-byte, as the tester's chart
// windows do.
int RunChart(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ConnectionOptions options;
  std::vector<std::string> rest;
  if (!TakeConnectionOptions(args, options, rest, err)) return 2;
  auto bad = [&err](const std::string& what) {
    err << "quillmark-cli chart: " << what << "\n";
    return 2;
  };
  if (rest.empty()) return bad("which chart? under, over, international, or a code table");
  const std::string kind = rest.front();
  const auto& tables = TwoByteTables();
  auto table = std::find_if(tables.begin(), tables.end(),
                            [&](const TwoByteTable& t) { return kind == t.name; });
  const bool twoByte = table != tables.end();
  if (!twoByte && kind != "under" && kind != "over" && kind != "international")
    return bad("unknown chart '" + kind + "'");

  CharacterSetChart single;
  TwoByteChart dual;
  if (twoByte) {
    dual.table = int(table - tables.begin());
    dual.firstRow = table->firstRow;
    dual.lastRow = table->lastRow;
    dual.bitmapFont = table->fonts[size_t(table->selectedFont)];
  }
  bool sized = false;
  for (size_t i = 1; i < rest.size(); ++i) {
    const std::string& word = rest[i];
    const bool hasValue = i + 1 < rest.size();
    if (word == "--vector") {
      if (twoByte && !table->vectorFont) return bad(kind + " has no scalable font");
      single.font.vector = dual.vector = 1;
      continue;
    }
    if (!hasValue) return bad(word + " needs a value");
    const std::string& value = rest[++i];
    if (word == "--set" && !twoByte) {
      auto n = IntIn(value, 0, 15);
      if (!n) return bad("--set cannot be '" + value + "' (0 to 15)");
      single.internationalSet = *n;
    } else if (word == "--table" && !twoByte) {
      auto n = IntIn(value, 0, int(std::size(kCodeTables)) - 1);
      if (!n) return bad("--table cannot be '" + value + "' (0 to 22)");
      single.codeTable = *n;
    } else if (word == "--font") {
      const auto& fonts =
          twoByte ? table->fonts
                  : std::vector<const char*>(std::begin(kChartFonts), std::end(kChartFonts));
      if (std::none_of(fonts.begin(), fonts.end(), [&](const char* f) { return value == f; }))
        return bad("--font cannot be '" + value + "'");
      single.font.font = dual.bitmapFont = value;
    } else if (word == "--size") {
      sized = true;
      if (twoByte) {
        int w, h;
        if (!TakeSizes(value, 100, w, h)) return bad("--size needs WIDTH,HEIGHT from 1 to 100");
        dual.vectorWidth = std::to_string(w);
        dual.vectorHeight = std::to_string(h);
      } else if (!TakeSizes(value, 100, single.font.firstSize, single.font.secondSize)) {
        return bad("--size needs two numbers, as H,V multipliers or WIDTH,HEIGHT");
      }
    } else if (word == "--rows" && twoByte) {
      auto first = ParseBlock(value.substr(0, value.find('-')));
      auto last = value.find('-') == std::string::npos
                      ? std::nullopt
                      : ParseBlock(value.substr(value.find('-') + 1));
      if (!first || !last) return bad("--rows needs two hexadecimal blocks, as A1-B0");
      dual.firstRow = *first;
      dual.lastRow = *last;
    } else {
      return bad("unexpected '" + word + "'");
    }
  }
  if (!twoByte && !sized && single.font.vector) single.font.firstSize = single.font.secondSize = 35;
  if (!twoByte && !single.font.vector && (single.font.firstSize > 4 || single.font.secondSize > 4))
    return bad("bitmap multipliers run from 1 to 4");

  std::vector<std::string> writes = twoByte           ? TwoByteChartJob(dual)
                                    : kind == "under" ? UnderChartJob(single)
                                    : kind == "over"  ? OverChartJob(single)
                                                      : InternationalChartJob(single);
  PrinterConnection connection(err);
  if (!connection.Open(options)) return 1;
  size_t sent = SendWrites(connection.Port(), writes);
  size_t bytes = 0;
  for (size_t i = 0; i < sent; ++i) bytes += writes[i].size();
  out << "sent " << sent << " of " << writes.size() << " writes, " << bytes << " bytes\n";
  return sent == writes.size() ? 0 : 1;
}

// The font finder's two searches for a wanted character size in millimetres.
int RunFindFont(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::optional<double> width = args.size() == 2 ? Real(args[0]) : std::nullopt;
  std::optional<double> height = args.size() == 2 ? Real(args[1]) : std::nullopt;
  if (!width || !height) {
    err << "quillmark-cli find-font: needs WIDTH and HEIGHT in millimetres\n";
    return 2;
  }
  auto show = [&out](const char* name, std::optional<FontChoice> c) {
    out << name << ": ";
    if (c)
      out << "font " << c->font << ", X multiplier " << c->xMulti << ", Y multiplier " << c->yMulti
          << "\n";
    else
      out << "none\n";
  };
  show("Most Similar", FindMostSimilar(float(*width), float(*height)));
  show("Similar & Round", FindSimilarAndRound(float(*width), float(*height)));
  return 0;
}

}  // namespace qm::cli
