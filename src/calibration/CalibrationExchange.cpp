#include "calibration/CalibrationExchange.h"

#include <algorithm>

#include "base/Clock.h"
#include "link/PrinterPort.h"

namespace qm {

std::string SensingScanCommand(int labelLengthMm, int sensingType) {
  return "^MXd," + std::to_string(labelLengthMm * 8) +
         (sensingType == kBlackMarkSensing ? ",B" : ",G") + "\r";
}

std::string SaveCalibrationCommand(int middleGapValue, int gapCount) {
  return "^MXs," + std::to_string(middleGapValue) + "," + std::to_string(gapCount) + "\r";
}

std::string CancelCalibrationCommand() {
  return "^MXc\r";
}

int ScanWaitMs(int labelLengthMm, int interfaceType) {
  return labelLengthMm * 8 * (interfaceType == Serial ? kScanMsPerDotSerial : kScanMsPerDotOther);
}

bool SendCalibrationCommand(PrinterPort& port, const std::string& command) {
  return port.Write(command) != 0;
}

namespace {

// The first read of the histogram; returns the bytes that count.
uint32_t ReadHistogram(PrinterPort& port, Clock& clock, uint8_t* buffer) {
  if (port.GetInterfaceType() != Usb) return port.Read(buffer, kSensingReplySize);
  uint32_t total = 0;
  for (uint32_t piece = 0; piece < kSensingReplySize / kUsbPieceSize; ++piece) {
    const uint32_t got = port.Read(buffer + piece * kUsbPieceSize, kUsbPieceSize);
    clock.Sleep(kUsbPiecePauseMs);
    if (got < kUsbPieceSize) break;
    total += got;
  }
  return total;
}

}  // namespace

SensingMeasurement MeasureSensing(PrinterPort& port, Clock& clock, int labelLengthMm,
                                  int sensingType, const SensingScanEvents& events) {
  SensingMeasurement result;
  if (!SendCalibrationCommand(port, SensingScanCommand(labelLengthMm, sensingType))) return result;
  result.sent = true;

  const int totalMs = ScanWaitMs(labelLengthMm, port.GetInterfaceType());
  for (int waited = 0; waited < totalMs;) {
    if (events.onWaiting) events.onWaiting(waited, totalMs);
    const int slice = std::min(kScanWaitSliceMs, totalMs - waited);
    clock.Sleep(slice);
    waited += slice;
  }
  if (events.onWaiting) events.onWaiting(totalMs, totalMs);

  if (ReadHistogram(port, clock, result.reply.data()) == kSensingReplySize) {
    result.complete = true;
  } else {
    result.retried = true;
    if (events.onShortReply) events.onShortReply();
    result.complete = port.Read(result.reply.data(), kSensingReplySize) == kSensingReplySize;
  }
  if (result.complete) result.counts = DecodeSensingCounts(result.reply);
  return result;
}

std::string ManualCalibrationCommand(const std::string& detections, const std::string& margin,
                                     const std::string& labelLength) {
  return "^MA" + detections + "," + margin + "," + labelLength + "\r";
}

std::string CancelManualCalibrationCommand() {
  return "^MAC\r";
}

ManualPreset ManualCalibrationPreset(int mediaType, int preset) {
  // Gap sensors need a wider margin than mark sensors; each margin comes
  // with a quick (5) and a careful (8) number of detections.
  static constexpr int kGapMargins[] = {6, 8, 10, 30};
  static constexpr int kMarkMargins[] = {4, 6, 8, 20};
  const int* margins = mediaType == 1 ? kMarkMargins : kGapMargins;
  return {margins[std::clamp(preset, 0, kManualPresetCount - 1) / 2], preset % 2 == 0 ? 5 : 8};
}

}  // namespace qm
