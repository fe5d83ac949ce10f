#include "HSL.h"

#include <algorithm>
#include <cmath>

namespace kelvane {

THSL RGBToHSL(TColor32 c) {
  const float r = RedComponent(c) / 255.0f, g = GreenComponent(c) / 255.0f, b = BlueComponent(c) / 255.0f;
  const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
  THSL out;
  out.L = (mx + mn) / 2;
  if (mx == mn) return out;  // grey: no hue, no saturation
  const float d = mx - mn;
  out.S = out.L <= 0.5f ? d / (mx + mn) : d / (2 - mx - mn);
  float h;
  if (mx == r)
    h = (g - b) / d;
  else if (mx == g)
    h = 2 + (b - r) / d;
  else
    h = 4 + (r - g) / d;
  h /= 6;
  if (h < 0) h += 1;
  out.H = h;
  return out;
}

namespace {

float channel(float m1, float m2, float h) {
  h -= std::floor(h);  // reduced to 0..1
  if (h < 1.0f / 6) return m1 + (m2 - m1) * 6 * h;
  if (h < 0.5f) return m2;
  if (h < 2.0f / 3) return m1 + (m2 - m1) * (2.0f / 3 - h) * 6;
  return m1;
}

uint8_t toByte(float v) {
  const float scaled = std::nearbyint(v * 255);
  return uint8_t(std::clamp(std::isnan(scaled) ? 0.0f : scaled, 0.0f, 255.0f));
}

}  // namespace

TColor32 HSLToRGB(float h, float s, float l) {
  if (s == 0) {
    const uint8_t v = toByte(l);
    return Color32(v, v, v);
  }
  const float m2 = l <= 0.5f ? l * (1 + s) : l + s - l * s;
  const float m1 = 2 * l - m2;
  return Color32(toByte(channel(m1, m2, h + 1.0f / 3)), toByte(channel(m1, m2, h)),
                 toByte(channel(m1, m2, h - 1.0f / 3)));
}

}  // namespace kelvane
