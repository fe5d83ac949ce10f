#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "../raster/Result.h"

namespace kelvane {

// A zlib stream (header and checksum) of the bytes at compression level 9.
std::vector<uint8_t> Deflate9(std::span<const uint8_t> bytes);

// Inflates a zlib stream into exactly `size` bytes; anything else (a shorter or longer
// result, a damaged stream) fails with "ZLib error: target buffer may be too small".
Result<std::vector<uint8_t>> InflateExact(std::span<const uint8_t> stream, size_t size);

}  // namespace kelvane
