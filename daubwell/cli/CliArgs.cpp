#include "CliArgs.h"

#include <cerrno>
#include <cstdlib>

namespace daubwell::cli {

CliArgs::CliArgs(const std::vector<std::string>& words, const std::set<std::string>& allowed) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w.size() > 2 && w.compare(0, 2, "--") == 0) {
      const std::string name = w.substr(2);
      if (!allowed.count(name)) throw UsageError("unknown option " + w);
      if (i + 1 >= words.size()) throw UsageError("option " + w + " needs a value");
      options_.emplace(name, words[++i]);
    } else {
      positional_.push_back(w);
    }
  }
}

void CliArgs::expectCount(size_t min, size_t max) const {
  if (positional_.size() < min) throw UsageError("missing arguments");
  if (positional_.size() > max) throw UsageError("too many arguments");
}

std::optional<std::string> CliArgs::option(const std::string& name) const {
  auto it = options_.find(name);
  if (it == options_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> CliArgs::options(const std::string& name) const {
  std::vector<std::string> out;
  auto [a, b] = options_.equal_range(name);
  for (auto it = a; it != b; ++it) out.push_back(it->second);
  return out;
}

int64_t parseInt(const std::string& text, const char* what) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE)
    throw UsageError(std::string(what) + ": not a whole number: " + text);
  return v;
}

XY parseXY(const std::string& text, const char* what) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) throw UsageError(std::string(what) + ": expected X,Y: " + text);
  return {parseInt(text.substr(0, comma), what), parseInt(text.substr(comma + 1), what)};
}

bool parseSwitch(const std::string& text, const char* on, const char* off, const char* what) {
  if (text == on) return true;
  if (text == off) return false;
  throw UsageError(std::string(what) + ": expected " + on + " or " + off + ", got " + text);
}

}  // namespace daubwell::cli
