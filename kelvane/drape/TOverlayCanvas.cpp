#include "TOverlayCanvas.h"

#include <algorithm>
#include <cmath>

namespace kelvane {
namespace {

TRect Unite(const TRect& a, const TRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// Liang-Barsky: the part of the segment inside [lo, hi] on both axes, as the parameters
// t0 <= t1 along it; false when none of it is inside.
bool ClipSegment(double x1, double y1, double x2, double y2, double lo[2], double hi[2], double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double p[2] = {x1, y1}, d[2] = {x2 - x1, y2 - y1};
  for (int a = 0; a < 2; ++a) {
    if (d[a] == 0) {
      if (p[a] < lo[a] || p[a] > hi[a]) return false;
      continue;
    }
    double ta = (lo[a] - p[a]) / d[a], tb = (hi[a] - p[a]) / d[a];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

}  // namespace

int64_t OverlayCoordinate(double v) {
  constexpr double kLimit = 1e9;
  if (!(v == v)) return -int64_t(kLimit);  // NaN lands far outside
  return int64_t(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

void TOverlayCanvas::Resize(int width, int height) {
  if (width < 1 || height < 1) width = height = 0;
  Bitmap.SetSize(width, height, 0);
  dirty_ = Bitmap.BoundsRect();
}

void TOverlayCanvas::Clear() {
  Bitmap.Clear(0);
  dirty_ = Bitmap.BoundsRect();
}

void TOverlayCanvas::Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, TColor32 color) {
  const int w = Bitmap.Width(), h = Bitmap.Height();
  if (w == 0) return;
  const bool inside = x1 >= -1 && y1 >= -1 && x2 >= -1 && y2 >= -1 && x1 <= w && y1 <= h && x2 <= w && y2 <= h;
  bool skipLast = true;
  if (!inside) {
    // Walk only the part near the bitmap; the clipped end is not the line's last pixel.
    double lo[2] = {-1, -1}, hi[2] = {double(w), double(h)}, t0, t1;
    if (!ClipSegment(double(x1), double(y1), double(x2), double(y2), lo, hi, t0, t1)) return;
    const double dx = double(x2 - x1), dy = double(y2 - y1);
    const int64_t nx1 = int64_t(std::nearbyint(double(x1) + t0 * dx)), ny1 = int64_t(std::nearbyint(double(y1) + t0 * dy));
    skipLast = t1 >= 1;
    if (!skipLast) {
      x2 = int64_t(std::nearbyint(double(x1) + t1 * dx));
      y2 = int64_t(std::nearbyint(double(y1) + t1 * dy));
    }
    x1 = nx1;
    y1 = ny1;
  }
  MarkDirty({int(std::min(x1, x2)), int(std::min(y1, y2)), int(std::max(x1, x2)) + 1, int(std::max(y1, y2)) + 1});
  const int64_t dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int64_t err = dx + dy;
  for (;;) {
    const bool last = x1 == x2 && y1 == y2;
    if (last && skipLast) break;
    Bitmap.SetPixel(int(x1), int(y1), color);
    if (last) break;
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x1 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y1 += sy;
    }
  }
}

void TOverlayCanvas::Fill(const TRect& r, TColor32 color) {
  Bitmap.FillRect(r, color);
  MarkDirty(r);
}

void TOverlayCanvas::Frame(const TRect& r, TColor32 color) {
  if (r.Empty()) return;
  Fill({r.Left, r.Top, r.Right, r.Top + 1}, color);
  Fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, color);
  Fill({r.Left, r.Top, r.Left + 1, r.Bottom}, color);
  Fill({r.Right - 1, r.Top, r.Right, r.Bottom}, color);
}

void TOverlayCanvas::Marker(int64_t x, int64_t y, int e, TColor32 fill, TColor32 frame) {
  const int64_t w = Bitmap.Width(), h = Bitmap.Height();
  if (x + e < 0 || y + e < 0 || x - e > w || y - e > h) return;
  const int ix = int(x), iy = int(y);
  Frame({ix - e, iy - e, ix + e, iy + e}, frame);
  Fill({ix - e + 1, iy - e + 1, ix + e - 1, iy + e - 1}, fill);
}

void TOverlayCanvas::MarkDirty(const TRect& r) {
  const TRect c{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, Bitmap.Width()),
                std::min(r.Bottom, Bitmap.Height())};
  if (!c.Empty()) dirty_ = Unite(dirty_, c);
}

TRect TOverlayCanvas::TakeDirty() {
  const TRect d = dirty_;
  dirty_ = {};
  return d;
}

}  // namespace kelvane
