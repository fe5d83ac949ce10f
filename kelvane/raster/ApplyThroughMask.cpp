#include "ApplyThroughMask.h"

#include "ParallelRows.h"

namespace kelvane {

void ApplyThroughMask(const TBitmap32& filtered, TBitmap32& target, const TByteMap* mask, uint8_t strength) {
  if (!mask) {
    target = filtered;
    return;
  }
  const int w = std::min({filtered.Width(), target.Width(), mask->Width()});
  const int h = std::min({filtered.Height(), target.Height(), mask->Height()});
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const TColor32* f = filtered.ScanLine(y);
      TColor32* t = target.ScanLine(y);
      const uint8_t* m = mask->ScanLine(y);
      for (int x = 0; x < w; ++x) {
        const uint32_t a = Div255(uint32_t(m[x]) * strength), na = 255 - a;
        if (a == 0) continue;
        const TColor32 fc = f[x], tc = t[x];
        t[x] = (tc & 0xFF000000u) | Div255(RedComponent(fc) * a + RedComponent(tc) * na) << 16 |
               Div255(GreenComponent(fc) * a + GreenComponent(tc) * na) << 8 |
               Div255(BlueComponent(fc) * a + BlueComponent(tc) * na);
      }
    }
  });
}

}  // namespace kelvane
