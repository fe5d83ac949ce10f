#pragma once
#include <string>
#include <vector>

#include "../raster/Result.h"

namespace kelvane {

// Texture list files (".kvp"): INI text whose section "FILES" holds key=path lines; the
// keys are ignored and the paths used in file order.

// The paths of the "FILES" section whose extension is a readable picture format.
std::vector<std::string> ReadTextureList(const std::string& text);
// The text of a list of those paths (keys 0, 1, ...).
std::string WriteTextureList(const std::vector<std::string>& paths);
// Reads a list file; the failure names the file.
Result<std::vector<std::string>> LoadTextureList(const std::string& path);
// Writes a list file atomically; a path with a line break cannot be listed.
Status SaveTextureList(const std::string& path, const std::vector<std::string>& paths);

}  // namespace kelvane
