#pragma once
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

namespace kelvane {

// The arithmetic of the filter dialogs' preview: a preview-sized window onto the source
// at a pan offset (each coordinate <= 0), shown over a checkerboard with the mask as
// alpha.
struct TPan {
  int x = 0, y = 0;
  friend bool operator==(const TPan&, const TPan&) = default;
};

// The offset after a pointer movement, clamped to [preview - source, 0] on each axis.
TPan PanBy(TPan pan, int dx, int dy, int previewW, int previewH, int sourceW, int sourceH);

// Sets every composite pixel's alpha to the mask at the source position it shows
// (0 outside the mask).
void ApplyMaskAlpha(TBitmap32& composite, const TByteMap& mask, TPan pan);

// 8 x 8 squares of opaque light grey 0xFFB0B0B0 and white, grey at the top left.
void DrawCheckerboard(TBitmap32& area);

// The finished preview: the checkerboard with the composite blended over it.
TBitmap32 ComposePreview(const TBitmap32& composite);

}  // namespace kelvane
