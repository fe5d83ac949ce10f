#pragma once
#include <array>

#include "../raster/Progress.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

namespace kelvane {

// Nine weights: top-left, top, top-right, left, centre, right, bottom-left, bottom,
// bottom-right.
using TKernel3x3 = std::array<int, 9>;

// Replaces red, green and blue of every pixel by the kernel sum over its neighbourhood
// (the edge pixels repeated beyond the border) divided by `divisor`, truncated: above
// 254 gives 255, 0 or less gives 0. Alpha is kept.
void Convolve3x3(const TKernel3x3& kernel, int divisor, TBitmap32& bitmap);
// The same into `out` (resized to the source's size), the source unchanged. With a
// progress it stops between bands of rows when Cancel is requested (false; `out` is then
// incomplete).
bool Convolve3x3(const TKernel3x3& kernel, int divisor, const TBitmap32& source, TBitmap32& out,
                 const TProgress* progress = nullptr);

// Each filters a copy of the target and writes it back through the mask (none: all).
// Given a progress, they stop when Cancel is requested, return false and leave the
// target as it was.
bool BlurFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress = nullptr);
bool SharpenFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress = nullptr);
bool SobelFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress = nullptr);
bool FindEdgeFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress = nullptr);
// The eight compass convolutions one after another and their maximum, inverted: the plain
// reference the fused FindEdgeFilter is tested against.
void FindEdgeFilterReference(TBitmap32& target, const TByteMap* mask);

// Softens the pixels just outside the mask's edge, in place, column by column: an
// unselected pixel next to a selected one becomes the average of its four neighbours.
void BlurEdge(TBitmap32& bitmap, const TByteMap& mask);

}  // namespace kelvane
