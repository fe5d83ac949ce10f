#pragma once
#include "TBitmap32.h"
#include "TByteMap.h"

namespace kelvane {

// Writes a filtered copy back into the target through a mask: where the mask is 0 the
// target stays, where it is 255 (at full strength) it takes the filtered colour, in
// between the two are mixed, a = mask * strength / 255:
// target = (filtered a + target (255 - a)) / 255 per colour channel, rounded, the
// target's alpha kept. Without a mask the target becomes an exact copy of `filtered`.
// One pixel of that mix at weight a (0..255): the colour channels mixed, the target's
// alpha kept. At a = 0 the target comes back unchanged.
constexpr TColor32 MixThroughMask(TColor32 f, TColor32 t, uint32_t a) {
  const uint32_t na = 255 - a;
  return (t & 0xFF000000u) | Div255(RedComponent(f) * a + RedComponent(t) * na) << 16 |
         Div255(GreenComponent(f) * a + GreenComponent(t) * na) << 8 |
         Div255(BlueComponent(f) * a + BlueComponent(t) * na);
}

void ApplyThroughMask(const TBitmap32& filtered, TBitmap32& target, const TByteMap* mask, uint8_t strength = 255);

}  // namespace kelvane
