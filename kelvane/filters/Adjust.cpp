#include "Adjust.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "../raster/ParallelRows.h"

namespace kelvane {
namespace {

// out(x, y) = in(map(x, y)) for an output of the given size.
template <class Map>
TBitmap32 permute(const TBitmap32& in, int w, int h, Map map) {
  TBitmap32 out;
  out.CopySettingsFrom(in);
  out.SetSizeUninitialized(w, h);
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* row = out.ScanLine(y);
      for (int x = 0; x < w; ++x) {
        const auto [sx, sy] = map(x, y);
        row[x] = in.ScanLine(sy)[sx];
      }
    }
  });
  return out;
}

}  // namespace

// Quarter turns copy in 32 x 32 tiles so that reads and writes both stay in the cache.
// Output (x, y) reads input (y, h - 1 - x) when clockwise, (w - 1 - y, x) otherwise.
TBitmap32 quarterTurn(const TBitmap32& in, bool clockwise) {
  const int w = in.Width(), h = in.Height();  // of the input
  TBitmap32 out;
  out.CopySettingsFrom(in);
  out.SetSizeUninitialized(h, w);
  constexpr int kTile = 32;
  const TColor32* src = in.Bits();
  ParallelRows((w + kTile - 1) / kTile, h, [&, src](int t0, int t1) {
    for (int ty = t0 * kTile; ty < std::min(w, t1 * kTile); ty += kTile)
      for (int tx = 0; tx < h; tx += kTile)
        for (int y = ty; y < std::min(w, ty + kTile); ++y) {
          TColor32* d = out.ScanLine(y);
          const int xe = std::min(h, tx + kTile);
          if (clockwise) {
            const TColor32* s = src + size_t(h - 1 - tx) * w + y;
            for (int x = tx; x < xe; ++x, s -= w) d[x] = *s;
          } else {
            const TColor32* s = src + size_t(tx) * w + (w - 1 - y);
            for (int x = tx; x < xe; ++x, s += w) d[x] = *s;
          }
        }
  });
  return out;
}

TBitmap32 Rotate90(const TBitmap32& b) { return quarterTurn(b, true); }

TBitmap32 Rotate180(const TBitmap32& b) {
  const int w = b.Width(), h = b.Height();
  return permute(b, w, h, [w, h](int x, int y) { return std::pair{w - 1 - x, h - 1 - y}; });
}

TBitmap32 Rotate270(const TBitmap32& b) { return quarterTurn(b, false); }

TBitmap32 FlipHorizontal(const TBitmap32& b) {
  const int w = b.Width();
  return permute(b, w, b.Height(), [w](int x, int y) { return std::pair{w - 1 - x, y}; });
}

TBitmap32 FlipVertical(const TBitmap32& b) {
  const int h = b.Height();
  return permute(b, b.Width(), h, [h](int x, int y) { return std::pair{x, h - 1 - y}; });
}

namespace {

// floor() for values well inside the int range, without a library call.
inline int fastFloor(double v) {
  const int i = int(v);
  return v < i ? i - 1 : i;
}

}  // namespace

TBitmap32 RotateByAngle(const TBitmap32& b, double degrees) {
  const int w = b.Width(), h = b.Height();
  TBitmap32 out;
  out.CopySettingsFrom(b);
  out.SetSizeUninitialized(w, h);
  if (w == 0 || h == 0) return out;
  // The source's one-pixel border counts as transparent, so the rotated edges come out
  // smooth over the black; beyond the border the nearest border pixel is read.
  auto at = [&](int px, int py) {
    const int cx = std::clamp(px, 0, w - 1), cy = std::clamp(py, 0, h - 1);
    const TColor32 c = b.ScanLine(cy)[cx];
    return (cx == 0 || cy == 0 || cx == w - 1 || cy == h - 1) ? c & 0x00FFFFFFu : c;
  };
  const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  const double cx = w / 2.0, cy = h / 2.0;
  const bool linear = b.StretchFilter == TStretchFilter::sfLinear;
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* row = out.ScanLine(y);
      for (int x = 0; x < w; ++x) {
        // The source point that lands on this pixel's centre (inverse rotation).
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        const double sx = c * dx + s * dy + cx - 0.5, sy = -s * dx + c * dy + cy - 0.5;
        TColor32 pixel = 0;  // uncovered: stays black
        if (sx >= -1 && sy >= -1 && sx < w && sy < h) {
          if (linear) {
            const int ix = fastFloor(sx), iy = fastFloor(sy);
            const uint32_t wx = uint32_t((sx - ix) * 256 + 0.5), wy = uint32_t((sy - iy) * 256 + 0.5);
            if (ix >= 1 && iy >= 1 && ix + 2 < w && iy + 2 < h) {  // clear of the border
              const TColor32* r0 = b.ScanLine(iy) + ix;
              const TColor32* r1 = r0 + w;
              pixel = LerpPixel(LerpPixel(r0[0], r0[1], wx), LerpPixel(r1[0], r1[1], wx), wy);
            } else {
              pixel = LerpPixel(LerpPixel(at(ix, iy), at(ix + 1, iy), wx),
                                LerpPixel(at(ix, iy + 1), at(ix + 1, iy + 1), wx), wy);
            }
          } else {
            const int ix = fastFloor(sx + 0.5), iy = fastFloor(sy + 0.5);
            if (ix >= 0 && iy >= 0 && ix < w && iy < h) pixel = at(ix, iy);
          }
        }
        row[x] = BlendPixel(pixel, 0xFF000000u);
      }
    }
  });
  return out;
}

int ConstrainedSide(int typed, int typedSideOfDocument, int otherSideOfDocument) {
  if (typedSideOfDocument == 0) return otherSideOfDocument;
  return int(std::nearbyint(double(otherSideOfDocument) * typed / typedSideOfDocument));
}

void TBalanceSession::Preview(const BalanceInputs& inputs) {
  previewed_ = backup_;
  ApplyBalanceTable(previewed_, BuildBalanceTable(inputs));
}

void TBalanceSession::Ok(TBitmap32& base, const BalanceInputs& inputs) const {
  base = backup_;
  ApplyBalanceTable(base, BuildBalanceTable(inputs));
}

}  // namespace kelvane
