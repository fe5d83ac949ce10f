#include "BalanceTable.h"

#include <cmath>

namespace kelvane {

TBalanceTable BuildBalanceTable(const BalanceInputs& in) {
  const float lo = in.low / 255.0f, mi = in.mid / 255.0f, hi = in.high / 255.0f;
  const float rl = in.rangeLow / 255.0f, rh = in.rangeHigh / 255.0f;
  const float b = in.brightness / 100.0f, c = in.contrast / 100.0f;
  const float G = std::pow(10.0f, in.gamma / 200.0f);
  TBalanceTable t{};
  for (int i = 0; i < 256; ++i) {
    const float o = i / 255.0f;
    float r;
    if (o < lo) {
      r = 0.0f;
    } else if (o > hi) {
      r = 1.0f;
    } else {
      const float x = o < mi ? (o - lo) / 2.0f / (mi - lo) : (o - mi) / 2.0f / (hi - mi) + 0.5f;
      const float v = std::pow(x, G);
      r = b + (c + 1.0f) * (v - 0.5f) + 0.5f;
      if (r < rl)
        r = rl;
      else if (r > rh)
        r = rh;
    }
    // Rounding halves to even, as everywhere in the program; NaN (mid = low) gives 0.
    const float scaled = std::nearbyint(r * 255.0f);
    t[size_t(i)] = scaled >= 0.0f && scaled <= 255.0f ? uint8_t(scaled) : scaled > 255.0f ? 255 : 0;
  }
  return t;
}

void ApplyBalanceTable(TBitmap32& bmp, const TBalanceTable& t) {
  TColor32* p = bmp.Bits();
  for (size_t n = size_t(bmp.Width()) * bmp.Height(); n; --n, ++p) {
    const TColor32 c = *p;
    *p = (c & 0xFF000000u) | TColor32(t[RedComponent(c)]) << 16 | TColor32(t[GreenComponent(c)]) << 8 |
         t[BlueComponent(c)];
  }
}

}  // namespace kelvane
