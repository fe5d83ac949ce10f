#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "../canvas/DisplaySurface.h"

namespace daubwell {

// An uncompressed 24-bit BMP of the surface: 14-byte file header, 40-byte info header,
// rows bottom-up, each padded to 4 bytes. An alpha byte, if any, is dropped.
std::vector<uint8_t> encodeBmp(const DisplaySurface& surface);

// Writes encodeBmp to `path` through a temporary file; false if the surface is empty or
// the file could not be written.
bool writeBmp(const DisplaySurface& surface, const std::string& path);

}  // namespace daubwell
