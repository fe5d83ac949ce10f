#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// kelvane-cli filter NAME PICTURE OUT [--mask M.png] [--param k=v ...]
int FilterCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
