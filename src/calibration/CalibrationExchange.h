#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "calibration/SensingAnalysis.h"

namespace qm {

class Clock;
class PrinterPort;

// The sensing scan's wait per dot of label length: the printer feeds and
// samples that long before it answers.
inline constexpr int kScanMsPerDotSerial = 4;
inline constexpr int kScanMsPerDotOther = 6;
// The scan wait is slept in slices this long, so a window can show how much
// is left between them.
inline constexpr int kScanWaitSliceMs = 200;
// USB replies come in 16-byte pieces with a pause after each.
inline constexpr uint32_t kUsbPieceSize = 16;
inline constexpr int kUsbPiecePauseMs = 100;
inline constexpr uint32_t kSensingReplySize = 64;

// "^MXd,<dots>,G" (gap) or ",B" (black mark), CR.
std::string SensingScanCommand(int labelLengthMm, int sensingType);
// "^MXs,<threshold>,<gap count>", CR: stores the threshold.
std::string SaveCalibrationCommand(int middleGapValue, int gapCount);
// "^MXc", CR.
std::string CancelCalibrationCommand();
// The scan wait for a label length on an interface, in milliseconds.
int ScanWaitMs(int labelLengthMm, int interfaceType);

// What one sensing scan brought.
struct SensingMeasurement {
  bool sent = false;      // the command went out (a failed write was reported by the port)
  bool retried = false;   // the first reply was short and was read again
  bool complete = false;  // all 64 bytes arrived, at the first read or the second
  std::array<uint8_t, kSensingReplySize> reply{};
  SensingCounts counts{};  // decoded from `reply`; all zero unless complete
};

// Hooks of a scan for whoever shows it.
struct SensingScanEvents {
  // Between slices of the scan wait: milliseconds waited so far, and in all.
  std::function<void(int waitedMs, int totalMs)> onWaiting;
  // The first reply was short; the second read follows.
  std::function<void()> onShortReply;
};

// Asks the printer to feed one label length while sampling its sensor, waits
// for the feed and reads the 64-byte histogram: in 16-byte pieces with
// pauses on USB, at once elsewhere. A short reply is read once more after
// onShortReply; when that is short too the scan counts as failed, since a
// threshold proposed from a histogram that never arrived would be stored in
// the printer by the next save.
SensingMeasurement MeasureSensing(PrinterPort& port, Clock& clock, int labelLengthMm,
                                  int sensingType, const SensingScanEvents& events = {});

// Sends one command that expects no answer; false when the write failed.
bool SendCalibrationCommand(PrinterPort& port, const std::string& command);

// The older firmware's own calibration: "^MA<detections>,<margin>,<length>", CR,
// each part as the operator chose or typed it.
std::string ManualCalibrationCommand(const std::string& detections, const std::string& margin,
                                     const std::string& labelLength);
// "^MAC", CR.
std::string CancelManualCalibrationCommand();

// A preset of the older firmware's page: detect margin and number of
// detections, as the texts of their list entries.
struct ManualPreset {
  int detectMargin;
  int detections;
};
inline constexpr int kManualPresetCount = 8;
// media type 0 gap, 1 black mark; preset 0 to 7.
ManualPreset ManualCalibrationPreset(int mediaType, int preset);

}  // namespace qm
