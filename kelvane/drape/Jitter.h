#pragma once
#include <span>

namespace kelvane {

// A subpixel offset of one antialiasing pass, in pixels.
struct TJitterPoint {
  double dx, dy;
};

// The offsets of the 2-, 3-, 4-, 8-, 15-, 24- and 66-pass tables, one per pass in pass
// order; an empty span for any other count.
std::span<const TJitterPoint> JitterTable(int passes);

}  // namespace kelvane
