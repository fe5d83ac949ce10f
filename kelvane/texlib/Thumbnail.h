#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

inline constexpr int kThumbnailSide = 100;

// Where a picture of w x h goes in its 100 x 100 thumbnail: proportions kept, centred.
// With r = w / h in single precision: when h < w, c = round(100 / r) and the band is
// (0, 50 - c div 2) to (100, 50 - c div 2 + c); otherwise c = round(100 r) and the band is
// (50 - c div 2, 0) to (50 - c div 2 + c, 100). A 200 x 100 picture fills y = 25..75.
TRect ThumbnailRect(int width, int height);

// The 100 x 100 thumbnail: white, the picture scaled into ThumbnailRect (averaging the
// pixels each thumbnail pixel covers; see-through pixels show the white).
TBitmap32 MakeThumbnail(const TBitmap32& picture);

// A picture file's bytes decoded for a thumbnail: JPEGs at the smallest of 1/8, 1/4,
// 1/2 or full size that still covers the thumbnail's band, other formats whole.
Result<TBitmap32> DecodeForThumbnail(std::span<const uint8_t> bytes, const std::string& format);
// The thumbnail of a picture file, through the picture format of its extension.
Result<TBitmap32> ThumbnailOfFile(const std::string& path);

// A picture's width and height from its header where the format allows (JPEG, PNG, BMP),
// else by decoding it.
struct TPictureSize {
  int Width = 0, Height = 0;
};
Result<TPictureSize> ProbePictureSize(std::span<const uint8_t> bytes, const std::string& format);

}  // namespace kelvane
