#pragma once
#include "TBitmap32.h"
#include "TByteMap.h"

namespace kelvane {

// Writes a filtered copy back into the target through a mask: where the mask is 0 the
// target stays, where it is 255 (at full strength) it takes the filtered colour, in
// between the two are mixed, a = mask * strength / 255:
// target = (filtered a + target (255 - a)) / 255 per colour channel, rounded, the
// target's alpha kept. Without a mask the target becomes an exact copy of `filtered`.
void ApplyThroughMask(const TBitmap32& filtered, TBitmap32& target, const TByteMap* mask, uint8_t strength = 255);

}  // namespace kelvane
