#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace daubwell::cli {

// Bad usage: the tool prints the message and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A failure of the work itself: the tool prints the message and exits with 1.
struct Failed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct XY {
  int64_t x = 0, y = 0;
};

// Positional words and "--name value" options of one command.
class CliArgs {
public:
  // Every option takes one value; only the names in `allowed` are accepted.
  CliArgs(const std::vector<std::string>& words, const std::set<std::string>& allowed);

  size_t count() const { return positional_.size(); }
  const std::string& at(size_t i) const { return positional_.at(i); }
  void expectCount(size_t min, size_t max) const;

  std::optional<std::string> option(const std::string& name) const;
  std::vector<std::string> options(const std::string& name) const;

private:
  std::vector<std::string> positional_;
  std::multimap<std::string, std::string> options_;
};

int64_t parseInt(const std::string& text, const char* what);
XY parseXY(const std::string& text, const char* what);
// "on"/"off" style switches.
bool parseSwitch(const std::string& text, const char* on, const char* off, const char* what);

}  // namespace daubwell::cli
