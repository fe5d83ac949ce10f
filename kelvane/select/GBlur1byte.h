#pragma once
#include "../raster/TByteMap.h"

namespace kelvane {

// Gaussian blur of a mask in place with radius r (nothing for r <= 0): single-precision
// weights exp(-(k/r)^2/2) for k = -100..100, cut to the size s where the dropped tails
// reach 1/510, sums in double precision, edges clamped, rows then columns, results
// truncated to 0..255.
void GBlur(TByteMap& map, double radius);
// The same with every sum taken in full: the reference GBlur is tested against.
void GBlurReference(TByteMap& map, double radius);

// The weights w(-s)..w(s) that GBlur uses for a radius.
std::vector<float> GBlurKernel(double radius);

}  // namespace kelvane
