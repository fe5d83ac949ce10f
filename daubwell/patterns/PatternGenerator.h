#pragma once
#include "canvas/DisplaySurface.h"

namespace daubwell {

// The installed pattern images, made by code: 18 style images (gloss laid into the
// highlight) and 18 texture images (relief and deposit), grey, 400 x 400, each tiling
// seamlessly. The same index always gives the same picture.
DisplaySurface makeStylePattern(int index);
DisplaySurface makeTexturePattern(int index);

}  // namespace daubwell
