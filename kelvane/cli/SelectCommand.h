#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// kelvane-cli select TOOL PICTURE MASK_IN|- MASK_OUT [options]
int SelectCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
