#pragma once
#include <cstdint>
#include <span>

#include "TBitmap32.h"

namespace kelvane {

// The orientation tag of an EXIF block (a JPEG APP1 marker's data, "Exif\0\0" first):
// 1..8 as EXIF counts them, 1 when there is no tag or the block cannot be read.
int ExifOrientation(std::span<const uint8_t> app1);

// The picture turned and mirrored to stand as the camera saw it: 2 mirrors it left to
// right, 3 turns it half a turn, 4 mirrors it top to bottom, 5 transposes it, 6 turns it
// a quarter turn clockwise, 7 transposes it the other way, 8 turns it anticlockwise.
TBitmap32 Oriented(const TBitmap32& picture, int orientation);

}  // namespace kelvane
