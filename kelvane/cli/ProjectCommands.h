#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// kelvane-cli project new|info|set|set-mask|set-grid|set-texture ...
int ProjectCommand(std::vector<std::string> args);

}  // namespace kelvane::cli
