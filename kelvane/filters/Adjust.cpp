#include "Adjust.h"

#include <algorithm>
#include <cmath>

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
