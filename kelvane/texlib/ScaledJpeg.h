#pragma once
#include <cstdint>
#include <span>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// JPEG decoding at a reduced size through libjpeg's scaled decoding: the smallest of
// 1/8, 1/4, 1/2 and full size whose longer side is still at least `minSide`. Pictures
// this cannot decode (CMYK, damaged data; warnings count as faults) fail, and the caller
// falls back to the full reader.
Result<TBitmap32> ReadJpegReduced(std::span<const uint8_t> bytes, int minSide);
// Width and height from the header alone.
Result<std::pair<int, int>> ReadJpegSize(std::span<const uint8_t> bytes);

}  // namespace kelvane
