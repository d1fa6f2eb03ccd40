#include "base/Numbers.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace qm {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Formatted(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::optional<long long> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(std::string_view text) {
  std::string trimmed(Trim(text));
  if (trimmed.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE) return std::nullopt;
  return value;
}

std::string FormatFloat(float value) {
  return Formatted("%.6g", value);
}
std::string FormatDouble(double value) {
  return Formatted("%.15g", value);
}

}  // namespace qm
