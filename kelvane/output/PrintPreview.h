#pragma once
#include <optional>

#include "../raster/TBitmap32.h"

namespace kelvane {

// Placement of a picture on a printer page and on the preview's page miniature.

// The largest rectangle of the source's proportions centred in the target. When
// target width / height >= source width / height it has the target's top and bottom and
// width round(sw * th / sh), at left + (tw - width) / 2 (truncated); otherwise the
// target's left and right and height round(sh * tw / sw), likewise centred. None when
// the source has no width or no height.
std::optional<TRect> FitRect(const TRect& source, const TRect& target);

// Where the document's picture of w x h goes on a printer page of the given size in
// device pixels: it fills the page along its limiting side, centred.
std::optional<TRect> PrintRect(int width, int height, int pageWidth, int pageHeight);

// The preview's page: k = min((area width - 19) / page width, (area height - 19) / page
// height) in single precision; a miniature of round(k pw) x round(k ph) pixels, white
// inside a 2-pixel transparent margin, the picture fitted into the white.
struct TPageMiniature {
  float Scale = 0;
  int Width = 0, Height = 0;
  TRect Page;                    // the white rectangle
  std::optional<TRect> Picture;  // where the picture is drawn
};
TPageMiniature PageMiniature(int areaWidth, int areaHeight, int pageWidth, int pageHeight, int pictureWidth,
                             int pictureHeight);
// The miniature drawn: cleared to 0, the white page, the picture stretched with the
// linear filter.
TBitmap32 DrawPageMiniature(const TPageMiniature& page, const TBitmap32& picture);

}  // namespace kelvane
