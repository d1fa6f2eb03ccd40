#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "calibration/CalibrationExchange.h"
#include "calibration/SensingAnalysis.h"
#include "cli/PortRunner.h"
#include "link/PrinterPort.h"

namespace qm::cli {
namespace {

// One line per bucket: its threshold, count, a bar on a log scale, and
// what the analysis made of it.
void PrintHistogram(const SensingCounts& counts, const DistributionAnalysis& analysis,
                    std::ostream& out) {
  for (int i = 0; i < kBucketCount; ++i) {
    const int count = counts[size_t(i)];
    char head[32];
    std::snprintf(head, sizeof head, "%03d : %04d", LevelValue(i), count);
    const int bar = std::min(40, count > 0 ? 1 + int(std::log10(double(count)) * 8) : 0);
    std::string note;
    if (i == analysis.lowerPeak || i == analysis.upperPeak) note += " peak";
    if (analysis.IsCandidate(i)) note += " candidate";
    if (i == analysis.selectedLevel) note += " <- proposed";
    out << head;
    if (bar > 0 || !note.empty()) out << ' ' << std::string(size_t(bar), '#');
    if (!note.empty()) out << std::string(size_t(40 - bar), ' ') << note;
    out << "\n";
  }
}

// The threshold proposed: the middle of the gap between the peaks, or, when
// the peaks lie close, what Calibration Extra would offer with its default
// choice taken. Says which on `out` and in `json`.
int Propose(const CalibrateOptions& options, const DistributionAnalysis& analysis,
            std::ostream& out, nlohmann::ordered_json& json) {
  const int sensing = options.mark ? kBlackMarkSensing : kGapSensing;
  int proposal = analysis.middleGapValue;
  out << "peaks at " << LevelValue(analysis.lowerPeak) << " and " << LevelValue(analysis.upperPeak)
      << "\n";
  json["peaks"] = {LevelValue(analysis.lowerPeak), LevelValue(analysis.upperPeak)};
  json["candidates"] = nlohmann::ordered_json::array();
  for (int level = analysis.firstCandidate; level <= analysis.lastCandidate; ++level)
    json["candidates"].push_back(LevelValue(level));
  if (analysis.NeedsFinerThreshold()) {
    const auto finer = FinerCandidates(sensing, analysis.lowerPeak, analysis.upperPeak,
                                       analysis.Difference());
    out << "peaks close together; finer candidates:";
    json["finer"] = nlohmann::ordered_json::array();
    if (finer) {
      for (int value : *finer) out << " " << value;
      json["finer"] = *finer;
      proposal = (*finer)[kDefaultFinerCandidate];
    } else {
      out << " none";
    }
    out << "\n";
  }
  out << "proposed threshold: " << proposal << "\n";
  json["proposal"] = proposal;
  json["level"] = LevelValue(analysis.selectedLevel);
  return proposal;
}

// Measures the sensing histogram as the sensing page does, prints it with
// the proposal and, with --save, stores a threshold.
PortResult Calibrate(const CalibrateOptions& options, PortSession& session) {
  PrinterPort& port = session.port;
  const int sensing = options.mark ? kBlackMarkSensing : kGapSensing;
  const int waitMs = ScanWaitMs(options.lengthMm, port.GetInterfaceType());
  session.err << "sampling " << options.lengthMm << " mm of media for " << waitMs / 1000.0
              << " s\n";
  const SensingMeasurement scan =
      MeasureSensing(port, session.clock, options.lengthMm, sensing,
                     {{}, [&] { session.err << "sensing values: short reply, reading again\n"; }});
  if (!scan.sent) return {kFailed, {{"error", "the printer did not take the command"}}};
  if (!scan.complete) {
    session.err << "no sensing values arrived; nothing proposed\n";
    return {kFailed, {{"error", "no sensing values arrived"}}};
  }

  PortResult result;
  result.json["media"] = options.mark ? "mark" : "gap";
  result.json["counts"] = scan.counts;
  const DistributionAnalysis analysis = AnalyzeDistribution(scan.counts, sensing);
  PrintHistogram(scan.counts, analysis, session.out);
  const int proposal = Propose(options, analysis, session.out, result.json);
  if (!options.save) return result;
  const int stored = options.value.value_or(proposal);
  if (!SendCalibrationCommand(port, SaveCalibrationCommand(stored, options.gapCount)))
    return {kFailed, {{"error", "the printer did not take the command"}}};
  // The connection waits for the bytes to leave the line before it closes.
  session.out << "stored threshold " << stored << " with gap count " << options.gapCount << "\n";
  result.json["stored"] = {{"level", stored}, {"gap count", options.gapCount}};
  return result;
}

}  // namespace

int RunCalibrate(const CalibrateOptions& options, Streams streams) {
  if (options.value && !options.save) {
    streams.err << "quillmark-cli calibrate: --value is stored only with --save\n";
    return kUsage;
  }
  return RunOnPorts(
      options.line, [&](PortSession& session) { return Calibrate(options, session); }, streams);
}

}  // namespace qm::cli
