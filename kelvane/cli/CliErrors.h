#pragma once
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

namespace kelvane::cli {

// Bad usage: the tool prints the message and where the usage is, and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A failure of the work itself: the tool prints the message and exits with 1.
struct Failed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The text as a whole number or a finite number; nothing when it is not one.
inline std::optional<int64_t> IntegerOf(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end || errno == ERANGE) return std::nullopt;
  return v;
}
inline std::optional<double> RealOf(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The same, or bad usage naming what was expected.
inline int64_t ParseInteger(const std::string& text, const std::string& what) {
  const auto v = IntegerOf(text);
  if (!v) throw UsageError(what + ": not a whole number: " + text);
  return *v;
}
inline double ParseReal(const std::string& text, const std::string& what) {
  const auto v = RealOf(text);
  if (!v) throw UsageError(what + ": not a finite number: " + text);
  return *v;
}

inline std::string RangeText(double lo, double hi) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g..%.9g", lo, hi);
  return buf;
}

// The same within lo..hi; the message names the range ("--tile X must be 0.001..100,
// got nan").
inline int64_t ParseIntegerIn(const std::string& text, const std::string& what, int64_t lo, int64_t hi) {
  const auto v = IntegerOf(text);
  if (!v || *v < lo || *v > hi)
    throw UsageError(what + " must be a whole number " + std::to_string(lo) + ".." + std::to_string(hi) + ", got " +
                     text);
  return *v;
}
inline double ParseRealIn(const std::string& text, const std::string& what, double lo, double hi) {
  const auto v = RealOf(text);
  if (!v || *v < lo || *v > hi) throw UsageError(what + " must be " + RangeText(lo, hi) + ", got " + text);
  return *v;
}

}  // namespace kelvane::cli
