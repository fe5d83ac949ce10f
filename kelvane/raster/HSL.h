#pragma once
#include "TColor32.h"

namespace kelvane {

// The one HSL model of the program, on red, green and blue divided by 255: H, S and L in
// 0..1, H = 0 for greys, hue not circular.
struct THSL {
  float H = 0, S = 0, L = 0;
};

THSL RGBToHSL(TColor32 c);
// The standard conversion back, opaque. Saturation and lightness beyond 0..1 (scaled
// ones) are used as they are and each channel is then clamped to 0..255.
TColor32 HSLToRGB(float h, float s, float l);

}  // namespace kelvane
