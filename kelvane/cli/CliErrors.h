#pragma once
#include <stdexcept>

namespace kelvane::cli {

// Bad usage: the tool prints the message and the usage and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A failure of the work itself: the tool prints the message and exits with 1.
struct Failed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace kelvane::cli
