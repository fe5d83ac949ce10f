#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "../canvas/Canvas.h"
#include "Result.h"

namespace daubwell {

// The relief of a painting for other programs.

// The range of the finite heights; both 0 on a canvas without any.
struct HeightRange {
  float lowest = 0.0f, highest = 0.0f;
};
HeightRange heightRange(const Canvas& canvas);

// Heights as 16-bit grey: the lowest relief is 0, the highest 65535, rounded to the
// nearest step (a flat painting is all 0). NaN and -inf give 0, +inf 65535.
std::vector<uint16_t> heightSamples(const Canvas& canvas, HeightRange range);

// The text written beside the samples: how to get the heights back.
inline constexpr const char* kHeightRangeKey = "Height range";
std::string heightRangeText(HeightRange range);

// The unit normal the lighting shades pixel (x, y) with: the two height differences
// across the pixel (none at the left and top edges, one-sided at the right and bottom),
// and 1 towards the viewer. A relief of infinities or NaN gives the flat normal.
struct SurfaceNormal {
  float x, towardsViewer, down;
};
SurfaceNormal surfaceNormal(const Canvas& canvas, uint32_t x, uint32_t y);

// The normals in the usual colour form: red to the right, green up the picture, blue
// towards the viewer, each -1..1 mapped to 0..255 (rounded). Row-major RGB.
std::vector<uint8_t> normalColours(const Canvas& canvas);

// 16-bit grey PNG with the range in its text chunk; 8-bit RGB PNG. Both through a
// temporary file; a failure says what went wrong.
Status writeHeightMap(const Canvas& canvas, const std::string& path);
Status writeNormalMap(const Canvas& canvas, const std::string& path);

}  // namespace daubwell
