#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// demo DIR: a photograph-like room with a curtain, fabrics of our own, the curtain's
// project, and the curtain draped with the first fabric.
int DemoCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
