#include "SelectionDisplay.h"

#include <cmath>
#include <cstdlib>

namespace kelvane {

TByteMap DisplayMask(const TByteMap& src, int viewWidth, int viewHeight, double s, double ox, double oy) {
  TByteMap d(viewWidth + 2, viewHeight + 2, 0);
  const int W = src.Width(), H = src.Height();
  if (W == 0 || H == 0 || s <= 0) return d;
  const double fx = s * (W + 1) / W, fy = s * (H + 1) / H;
  for (int v = 0; v < d.Height(); ++v) {
    const int sy = int(std::nearbyint((v - oy - 1) / fy));
    if (sy < 0 || sy >= H) continue;
    const uint8_t* row = src.ScanLine(sy);
    uint8_t* out = d.ScanLine(v);
    for (int u = 0; u < d.Width(); ++u) {
      const int sx = int(std::nearbyint((u - ox - 1) / fx));
      if (sx >= 0 && sx < W) out[u] = row[sx];
    }
  }
  return d;
}

TColor32 TMarchingAnts::Colour(int x, int y, int phase) {
  return (phase + std::abs(x + y)) % 10 <= 5 ? 0xFFFFFFFFu : 0xFF000000u;
}

std::vector<TPoint> TMarchingAnts::FindEdge(const TByteMap& d, const TRect& r) {
  std::vector<TPoint> edge;
  for (int y = r.Top; y <= r.Bottom; ++y)
    for (int x = r.Left; x <= r.Right; ++x) {
      if (d.Value(x, y) <= 5) continue;
      bool border = false;
      for (int j = -1; j <= 1 && !border; ++j)
        for (int i = -1; i <= 1 && !border; ++i) border = (i || j) && d.Value(x + i, y + j) <= 4;
      if (border) edge.push_back({x, y});
    }
  return edge;
}

void TMarchingAnts::Tick(TBitmap32& layer, const TByteMap& display, const TRect& visible) {
  if (--phase_ < 0) phase_ = 50;
  if (cacheOwner_ == layer.Bits() && cacheOwner_) {
    for (const TPoint& p : edge_) layer.SetPixel(p.x, p.y, Colour(p.x, p.y, phase_));
    return;
  }
  edge_ = FindEdge(display, visible);
  cacheOwner_ = layer.Bits();
}

}  // namespace kelvane
