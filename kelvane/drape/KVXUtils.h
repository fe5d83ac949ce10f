#pragma once
#include <cstdint>

#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

// The draping composite: the rendered texture multiplied by the photograph's brightness
// and blended into the result through the object's mask. All bitmaps and the mask are
// of the image's size; pixels whose mask value is 0 are not touched.
namespace kelvane {

// Cross-fades the texture's right end into its left end over `columns` columns and its
// bottom into its top over `rows` rows, and crops the overlap, so the result tiles
// without a seam: (w - columns) x (h - rows). An overlap of 0 leaves that direction as it
// is; overlaps are held to 0 .. side - 1.
TBitmap32 MakeSeamless(const TBitmap32& texture, int columns, int rows);

// Masked pixels become grey at their intensity, lifted so that the brightest is white.
void ApplyLevelUp(TBitmap32& image, const TByteMap& mask);
// Masked pixels become grey; those with a mask above 240 are stretched to the full range.
void ApplyHiContrast(TBitmap32& image, const TByteMap& mask);

// The ordinary drape: drape x colour x photo intensity / 65536 per channel, blended into
// the result at alpha mask x transparency / 255.
void ComposeMultiply(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
                     TColor32 color, uint8_t transparency);
// The same composite pixel by pixel, the rule written out plainly: what ComposeMultiply's
// vector loop is checked against.
void ComposeMultiplyReference(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo,
                              const TByteMap& mask, TColor32 color, uint8_t transparency);
// The glare drape: the photo overlaid with drape x colour, blended the same way.
void ComposeGlare(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
                  TColor32 color, uint8_t transparency);
// The overlay blend of one channel: base p from the photo, blend q.
constexpr uint32_t OverlayChannel(uint32_t p, uint32_t q) {
  return p < 128 ? p * q / 128 : 255 - (255 - p) * (255 - q) / 128;
}

// Fills the destination, keeping its size, with the pattern repeated from its top-left.
void FillTiled(TBitmap32& destination, const TBitmap32& pattern);
// Puts the document image back wherever the mask is not 0.
void ClearDrape(TBitmap32& result, const TBitmap32& image, const TByteMap& mask);

// The pixel-wise maximum of two masks into the first (the coverage of both).
void UniteMask(TByteMap& target, const TByteMap& other);

}  // namespace kelvane
