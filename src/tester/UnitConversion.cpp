#include "tester/UnitConversion.h"

#include <array>

namespace qm {
namespace {

constexpr float kMmPerInch = 25.4f;
constexpr float kInchPerMm = 0.03937008f;
constexpr float kMmPerDot = 0.125f;
constexpr float kDotsPerMm = 8.0f;

struct DirectionRow {
  UnitNames units;
  double factor;
};

// Each factor is formed in double from single-precision constants, so the
// results match the converters operators already know digit for digit.
const std::array<DirectionRow, kConvertDirectionCount> kDirections{{
    {{"inch", "mm"}, double(kMmPerInch)},
    {{"inch", "dots"}, double(kMmPerInch) * double(kDotsPerMm)},
    {{"dots", "inch"}, double(kMmPerDot) * double(kInchPerMm)},
    {{"dots", "mm"}, double(kMmPerDot)},
    {{"mm", "inch"}, double(kInchPerMm)},
    {{"mm", "dots"}, double(kDotsPerMm)},
}};

const DirectionRow& Row(ConvertDirection direction) {
  int index = int(direction);
  if (index < 0 || index >= kConvertDirectionCount) index = 0;
  return kDirections[size_t(index)];
}

}  // namespace

UnitNames UnitNamesFor(ConvertDirection direction) {
  return Row(direction).units;
}

double ConversionFactor(ConvertDirection direction) {
  return Row(direction).factor;
}

float ConvertUnits(ConvertDirection direction, float value) {
  return float(double(value) * Row(direction).factor);
}

}  // namespace qm
