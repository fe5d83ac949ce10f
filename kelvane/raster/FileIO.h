#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Result.h"

namespace kelvane {

// The whole file, or "Cannot open file <path>".
Result<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// Writes the bytes under a temporary name beside the target and renames it over the
// target only when complete, so a failed save leaves the old file as it was.
Status SaveFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// The extension of a path without the dot, in lower case ("" when there is none).
std::string LowerExtension(const std::string& path);

}  // namespace kelvane
