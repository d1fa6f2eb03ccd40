#include <algorithm>
#include <ostream>

#include "cli/PortRunner.h"
#include "tester/CharacterCharts.h"
#include "tester/FontFinder.h"
#include "tester/JobSender.h"

namespace qm::cli {
namespace {

constexpr const char* kName = "quillmark-cli chart: ";

// The single-byte charts of the tester's chart window.
struct SingleByteKind {
  const char* name;
  std::vector<std::string> (*job)(const CharacterSetChart&);
};
constexpr SingleByteKind kSingleByteKinds[] = {
    {"under", UnderChartJob}, {"over", OverChartJob}, {"international", InternationalChartJob}};

const TwoByteTable* TwoByteNamed(const std::string& name) {
  const auto& tables = TwoByteTables();
  auto found = std::find_if(tables.begin(), tables.end(),
                            [&](const TwoByteTable& t) { return name == t.name; });
  return found == tables.end() ? nullptr : &*found;
}

// A double-byte chart's writes, or why the options do not fit its table.
std::string TwoByteJob(const ChartOptions& options, const TwoByteTable& table,
                       std::vector<std::string>& writes) {
  TwoByteChart chart;
  chart.table = int(&table - TwoByteTables().data());
  chart.firstRow = table.firstRow;
  chart.lastRow = table.lastRow;
  chart.bitmapFont = table.fonts[size_t(table.selectedFont)];
  if (options.set || options.table) return "--set and --table are for single-byte charts";
  if (options.vector && !table.vectorFont) return options.kind + " has no scalable font";
  chart.vector = options.vector;
  if (options.font) {
    if (std::none_of(table.fonts.begin(), table.fonts.end(),
                     [&](const char* f) { return *options.font == f; }))
      return "--font cannot be '" + *options.font + "' for " + options.kind;
    chart.bitmapFont = *options.font;
  }
  if (!options.size.empty()) {
    chart.vectorWidth = std::to_string(options.size[0]);
    chart.vectorHeight = std::to_string(options.size[1]);
  }
  if (options.rows) {
    const std::string& rows = *options.rows;
    const size_t dash = rows.find('-');
    auto first = ParseBlock(rows.substr(0, dash));
    auto last = dash == std::string::npos ? std::nullopt : ParseBlock(rows.substr(dash + 1));
    if (!first || !last) return "--rows needs two hexadecimal blocks, as A1-B0";
    chart.firstRow = *first;
    chart.lastRow = *last;
  }
  writes = TwoByteChartJob(chart);
  return "";
}

std::string SingleByteJob(const ChartOptions& options, const SingleByteKind& kind,
                          std::vector<std::string>& writes) {
  CharacterSetChart chart;
  if (options.rows) return "--rows is for double-byte charts";
  chart.internationalSet = options.set.value_or(chart.internationalSet);
  chart.codeTable = options.table.value_or(chart.codeTable);
  chart.font.vector = options.vector;
  if (options.font) {
    if (std::none_of(std::begin(kChartFonts), std::end(kChartFonts),
                     [&](const char* f) { return *options.font == f; }))
      return "--font cannot be '" + *options.font + "'";
    chart.font.font = *options.font;
  }
  if (!options.size.empty()) {
    chart.font.firstSize = options.size[0];
    chart.font.secondSize = options.size[1];
  } else if (options.vector) {
    chart.font.firstSize = chart.font.secondSize = 35;
  }
  if (!options.vector && (chart.font.firstSize > 4 || chart.font.secondSize > 4))
    return "bitmap multipliers run from 1 to 4";
  writes = kind.job(chart);
  return "";
}

}  // namespace

std::vector<std::string> ChartKindNames() {
  std::vector<std::string> names;
  for (const SingleByteKind& kind : kSingleByteKinds) names.push_back(kind.name);
  for (const TwoByteTable& table : TwoByteTables()) names.push_back(table.name);
  return names;
}

// Prints a character chart, single-byte or double-byte, as the tester's chart
// windows do.
int RunChart(const ChartOptions& options, Streams streams) {
  std::vector<std::string> writes;
  std::string problem;
  if (const TwoByteTable* table = TwoByteNamed(options.kind)) {
    problem = TwoByteJob(options, *table, writes);
  } else {
    for (const SingleByteKind& kind : kSingleByteKinds)
      if (options.kind == kind.name) problem = SingleByteJob(options, kind, writes);
  }
  if (!problem.empty()) {
    streams.err << kName << problem << "\n";
    return kUsage;
  }
  return RunOnPorts(
      options.line,
      [&](PortSession& session) {
        const size_t sent = SendWrites(session.port, writes);
        size_t bytes = 0;
        for (size_t i = 0; i < sent; ++i) bytes += writes[i].size();
        session.out << "sent " << sent << " of " << writes.size() << " writes, " << bytes
                    << " bytes\n";
        return PortResult{sent == writes.size() ? kDone : kFailed,
                          {{"writes", writes.size()}, {"sent", sent}, {"bytes", bytes}}};
      },
      streams);
}

// The font finder's two searches for a wanted character size in millimetres.
int RunFindFont(const FindFontOptions& options, Streams streams) {
  auto show = [&](const char* name, std::optional<FontChoice> c) {
    streams.out << name << ": ";
    if (c)
      streams.out << "font " << c->font << ", X multiplier " << c->xMulti << ", Y multiplier "
                  << c->yMulti << "\n";
    else
      streams.out << "none\n";
  };
  const float width = float(options.widthMm), height = float(options.heightMm);
  show("Most Similar", FindMostSimilar(width, height));
  show("Similar & Round", FindSimilarAndRound(width, height));
  return kDone;
}

}  // namespace qm::cli
