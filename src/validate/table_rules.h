// The rules for amounts, day counts and row labels that the table parsers share.
#pragma once

#include <cmath>
#include <string>

namespace kv::validate {

// Two amounts agree when they differ by at most half a cent.
inline bool Agree(double a, double b) {
  return std::fabs(a - b) <= 0.005;
}

inline bool IsWholeNumber(double x) {
  return std::fabs(std::nearbyint(x) - x) <= 0.005;
}

inline bool IsHalfInteger(double x) {
  return IsWholeNumber(2 * x);
}

inline bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace kv::validate
