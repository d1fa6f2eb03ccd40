#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qm::sim {

// A roll of label media as the printer's media sensor sees it: labels
// separated by gaps (seen through by a transmissive sensor) or by black
// marks on the back (seen by a reflective one). Lengths are in dots, 8 to
// the millimetre; sensor levels are the sensor's 0-255 readings.
struct MediaRoll {
  enum class Kind { Gap, BlackMark };

  Kind kind = Kind::Gap;
  int labelDots = 60 * 8;
  int gapDots = 3 * 8;  // the gap, or the mark
  // Unset levels take the kind's defaults: a gap lets light through, so it
  // reads high over labels that read low; a black mark reflects little, so
  // it reads low beside white labels that read high.
  std::optional<int> labelLevel;
  std::optional<int> gapLevel;
  // Each sample deviates from its level by at most this much, evenly spread.
  int noise = 3;
  uint32_t seed = 1;

  bool operator==(const MediaRoll&) const = default;

  int LabelLevel() const { return labelLevel.value_or(kind == Kind::Gap ? 40 : 200); }
  int GapLevel() const { return gapLevel.value_or(kind == Kind::Gap ? 190 : 48); }
};

// One reading of the sensor and what lay under it.
struct SensorSample {
  int value = 0;
  bool inGap = false;
};

// Feeds the roll past the sensor and samples it once per dot. Where the
// roll stands and the noise source carry over from one scan to the next, as
// a printer's media does.
class RollScanner {
 public:
  explicit RollScanner(const MediaRoll& roll)
      : roll_(roll),
        period_(std::max(1, roll.labelDots + std::max(0, roll.gapDots))),
        noise_(-roll.noise, roll.noise),
        random_(roll.seed) {}

  // The longest scan the printer carries out. By then every counter could be
  // full, and a longer one (a slip in the label length, or a garbled command)
  // would hold the printer for minutes and its samples gigabytes.
  static constexpr int kMaxScanDots = 32 * 65535;

  std::vector<SensorSample> Scan(int dots);
  // A scan as the printer reports it: samples per bucket of 8 sensor values,
  // counts saturating at 16 bits; at most kMaxScanDots are sampled.
  std::array<uint16_t, 32> Histogram(int dots);
  const MediaRoll& Roll() const { return roll_; }

 private:
  // The dot under the sensor, and the roll moved on by one.
  SensorSample Next();

  MediaRoll roll_;
  int period_;  // dots from one label's start to the next's
  std::uniform_int_distribution<int> noise_;
  std::mt19937 random_;
  int position_ = 0;  // dots from the start of the current label
};

// Sensing calibration and the older firmware's calibration command, as the
// printer keeps them.
struct CalibrationState {
  MediaRoll roll;
  // How long the printer takes per sampled dot before it answers a scan;
  // 0 answers at once, 4 is as long as a real printer on a serial line.
  int scanMsPerDot = 0;

  // What tests look at afterwards.
  int scans = 0;
  char lastSensor = 0;  // 'G' or 'B' of the last scan
  // Between a scan and the save or cancel that ends the calibration.
  bool calibrating = false;
  std::optional<int> threshold;  // stored by "^MXs"
  int gapCount = 0;
  int cancels = 0;  // "^MXc"
  struct ManualRun {
    std::string detections;
    std::string margin;
    std::string labelLength;
  };
  std::vector<ManualRun> manualRuns;  // "^MA..."
  int manualCancels = 0;              // "^MAC"
};

}  // namespace qm::sim
