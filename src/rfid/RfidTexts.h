#pragma once

namespace qm::rfid_texts {

// The texts more than one RFID window shows, and the ones whose spelling
// looks like a slip. They are the printer tool's own, worded and spelled as
// operators know them ("faied" included): keep them as they are.
inline constexpr char kGetSettingFailed[] = "Get RFID setting is faied";
inline constexpr char kReadingFailed[] = "Reading data is faied";
inline constexpr char kSetSettingDone[] = "Set RFID setting is successful";
inline constexpr char kAutoCalibrationDone[] = "Auto calibration is successful";

}  // namespace qm::rfid_texts
