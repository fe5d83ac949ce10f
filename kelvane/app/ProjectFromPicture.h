#pragma once
#include "../project/TKVXFile2.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// What opening a picture makes of it: base and result images, and one object
// "KVXObject0" (white, opaque, texture tiled once) with an empty mask of the picture's
// size and the default lattice.
void NewProjectFromPicture(TKVXFile2& doc, const TBitmap32& picture);

}  // namespace kelvane
