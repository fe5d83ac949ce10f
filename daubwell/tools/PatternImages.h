#pragma once
#include <array>
#include <cstdint>
#include <cstdlib>

#include "canvas/DisplaySurface.h"

namespace daubwell {

inline constexpr int kPatternCount = 18;
inline constexpr int kPatternSide = 400;

// The 18 style images (laid into the highlight) and 18 texture images (modulating
// strength and relief), grey 400 x 400. Missing images read as black.
struct PatternImages {
  std::array<DisplaySurface, kPatternCount> style;
  std::array<DisplaySurface, kPatternCount> texture;

  const DisplaySurface& styleImage(int i) const { return style[size_t(i) % kPatternCount]; }
  const DisplaySurface& textureImage(int i) const { return texture[size_t(i) % kPatternCount]; }
};

// Where the patterns lie under the canvas: the offsets of the style and texture images.
struct PatternOffsets {
  float styleX = 0, styleY = 0, textureX = 0, textureY = 0;
};

// Value of a pattern at canvas pixel (x, y): column |(int)offsetX + x| mod 400, row
// |(int)offsetY + y| mod 400.
// Offsets that have wandered beyond the int range (a very long stroke) count as 0.
inline int64_t truncOffset(float f) { return f > -2147483648.0f && f < 2147483648.0f ? int64_t(int(f)) : 0; }

inline int samplePattern(const DisplaySurface& image, float offsetX, float offsetY, int x, int y) {
  const int64_t cx = std::llabs(truncOffset(offsetX) + x) % kPatternSide;
  const int64_t cy = std::llabs(truncOffset(offsetY) + y) % kPatternSide;
  return image.grey(cx, cy);
}

}  // namespace daubwell
