#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// kelvane-cli texlib create|add|remove|list|extract|thumbnail ...: texture libraries.
// Each subcommand answers --help with its own usage; a usage error prints its message
// and where the usage is, and exits with 2.
int TexlibCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
