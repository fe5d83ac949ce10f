#pragma once
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace kelvane::cli {

// Bad usage: the tool prints the message and the usage and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A failure of the work itself: the tool prints the message and exits with 1.
struct Failed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A whole number or a number, or bad usage naming what was expected.
inline int64_t ParseInteger(const std::string& text, const std::string& what) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end || errno == ERANGE) throw UsageError(what + ": not a whole number: " + text);
  return v;
}

inline double ParseReal(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end) throw UsageError(what + ": not a number: " + text);
  return v;
}

}  // namespace kelvane::cli
