#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// The texture library commands: create, add, remove, list, extract, thumbnail.
int TexlibCreateCommand(const std::vector<std::string>& args);
int TexlibAddCommand(const std::vector<std::string>& args);
int TexlibRemoveCommand(const std::vector<std::string>& args);
int TexlibListCommand(const std::vector<std::string>& args);
int TexlibExtractCommand(const std::vector<std::string>& args);
int TexlibThumbnailCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
