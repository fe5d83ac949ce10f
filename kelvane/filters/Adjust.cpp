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

TBitmap32 RotateByAngle(const TBitmap32& b, double degrees) {
  const int w = b.Width(), h = b.Height();
  TBitmap32 src = b;
  for (int x = 0; x < w; ++x) {
    src.SetPixel(x, 0, src.Pixel(x, 0) & 0x00FFFFFFu);
    src.SetPixel(x, h - 1, src.Pixel(x, h - 1) & 0x00FFFFFFu);
  }
  for (int y = 0; y < h; ++y) {
    src.SetPixel(0, y, src.Pixel(0, y) & 0x00FFFFFFu);
    src.SetPixel(w - 1, y, src.Pixel(w - 1, y) & 0x00FFFFFFu);
  }
  TBitmap32 out = b;
  out.Clear(0xFF000000u);
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
        TColor32 pixel;
        if (linear) {
          const double fx = std::floor(sx), fy = std::floor(sy);
          const int ix = int(fx), iy = int(fy);
          if (ix < -1 || iy < -1 || ix >= w || iy >= h) continue;
          const uint32_t wx = uint32_t((sx - fx) * 256 + 0.5), wy = uint32_t((sy - fy) * 256 + 0.5);
          auto at = [&](int px, int py) {
            return px < 0 || py < 0 || px >= w || py >= h ? src.Pixel(std::clamp(px, 0, w - 1), std::clamp(py, 0, h - 1)) & 0x00FFFFFFu
                                                           : src.ScanLine(py)[px];
          };
          pixel = LerpPixel(LerpPixel(at(ix, iy), at(ix + 1, iy), wx), LerpPixel(at(ix, iy + 1), at(ix + 1, iy + 1), wx), wy);
        } else {
          const int ix = int(std::floor(sx + 0.5)), iy = int(std::floor(sy + 0.5));
          if (ix < 0 || iy < 0 || ix >= w || iy >= h) continue;
          pixel = src.ScanLine(iy)[ix];
        }
        row[x] = BlendPixel(pixel, row[x]);
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
