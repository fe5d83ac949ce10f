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
        const uint32_t a = Div255(uint32_t(m[x]) * strength);
        if (a != 0) t[x] = MixThroughMask(f[x], t[x], a);
      }
    }
  });
}

}  // namespace kelvane
