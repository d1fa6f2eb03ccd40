#pragma once

#include <string_view>

namespace qm {

// The directions of the unit converter, in the order of its radio buttons.
enum class ConvertDirection : int {
  InchToMm = 0,
  InchToDots = 1,
  DotsToInch = 2,
  DotsToMm = 3,
  MmToInch = 4,
  MmToDots = 5,
};

inline constexpr int kConvertDirectionCount = 6;

struct UnitNames {
  std::string_view input;
  std::string_view output;
};

// The source and target unit of a direction: "inch", "mm" or "dots".
UnitNames UnitNamesFor(ConvertDirection direction);

// The factor a value in the direction's source unit is multiplied by. The
// printer has 8 dots per millimetre; the inch constants are single-precision
// values, which is what makes 1 inch come out as 203.2 dots on screen.
double ConversionFactor(ConvertDirection direction);

// value × factor, worked in double and stored as single precision.
float ConvertUnits(ConvertDirection direction, float value);

}  // namespace qm
