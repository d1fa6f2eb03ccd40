#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Parses an integer the way the windows' number boxes accept them: optional
// blanks, an optional sign, digits, optional trailing blanks; nothing else.
std::optional<long long> ParseInteger(std::string_view text);
// Parses a real number (the C library's decimal or exponent forms) with
// optional surrounding blanks.
std::optional<double> ParseReal(std::string_view text);
// A single-precision value as the windows show it: at most six significant digits.
std::string FormatFloat(float value);
// A double as the windows show it: at most fifteen significant digits.
std::string FormatDouble(double value);

}  // namespace qm
