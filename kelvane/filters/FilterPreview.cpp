#include "FilterPreview.h"

#include <algorithm>

namespace kelvane {

TPan PanBy(TPan pan, int dx, int dy, int previewW, int previewH, int sourceW, int sourceH) {
  auto clamp = [](int v, int preview, int source) { return std::clamp(v, std::min(preview - source, 0), 0); };
  return {clamp(pan.x + dx, previewW, sourceW), clamp(pan.y + dy, previewH, sourceH)};
}

void ApplyMaskAlpha(TBitmap32& composite, const TByteMap& mask, TPan pan) {
  for (int y = 0; y < composite.Height(); ++y) {
    TColor32* row = composite.ScanLine(y);
    for (int x = 0; x < composite.Width(); ++x)
      row[x] = (row[x] & 0x00FFFFFFu) | TColor32(mask.Value(x - pan.x, y - pan.y)) << 24;
  }
}

void DrawCheckerboard(TBitmap32& area) {
  for (int y = 0; y < area.Height(); ++y) {
    TColor32* row = area.ScanLine(y);
    for (int x = 0; x < area.Width(); ++x) row[x] = ((x / 8 + y / 8) % 2 == 0) ? 0xFFB0B0B0u : 0xFFFFFFFFu;
  }
}

TBitmap32 ComposePreview(const TBitmap32& composite) {
  TBitmap32 area(composite.Width(), composite.Height());
  DrawCheckerboard(area);
  TBitmap32 over = composite;
  over.DrawMode = TDrawMode::dmBlend;
  over.MasterAlpha = 255;
  over.DrawTo(area, 0, 0);
  return area;
}

}  // namespace kelvane
