#include "Coverage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "../raster/ParallelRows.h"
#include "../raster/HSL.h"

namespace kelvane {

TRect NormalisedMarquee(TPoint s, TPoint e) {
  TRect r{std::min(s.x, e.x), std::min(s.y, e.y), std::max(s.x, e.x), std::max(s.y, e.y)};
  if (r.Left == e.x) ++r.Right;
  if (r.Bottom == s.y) ++r.Bottom;
  return r;
}

void RectangleCoverage(TBitmap32& c, TPoint start, TPoint end) {
  c.FillRect(NormalisedMarquee(start, end), 0xFFFFFFFFu);
}

namespace {

constexpr int kSub = 4;  // samples per pixel along each axis

// The coverage raster's pixel for a coverage of 0..255: white scaled by it, so that the
// red byte (and the intensity) is the coverage.
inline TColor32 coverageColour(uint32_t v) { return v == 255 ? 0xFFFFFFFFu : v << 24 | v << 16 | v << 8 | v; }

}  // namespace

void EllipseCoverage(TBitmap32& c, TPoint start, TPoint end) {
  const TRect r = NormalisedMarquee(start, end);
  const int cx = (r.Left + r.Right) >> 1, cy = (r.Top + r.Bottom) >> 1;
  const double a = std::max(0.5, double((r.Right - r.Left) >> 1)), b = std::max(0.5, double((r.Bottom - r.Top) >> 1));
  const int x0 = std::max(0, int(std::floor(cx - a))), x1 = std::min(c.Width(), int(std::ceil(cx + a)) + 1);
  const int y0 = std::max(0, int(std::floor(cy - b))), y1 = std::min(c.Height(), int(std::ceil(cy + b)) + 1);
  for (int y = y0; y < y1; ++y) {
    TColor32* row = c.ScanLine(y);
    for (int x = x0; x < x1; ++x) {
      int count = 0;
      for (int j = 0; j < kSub; ++j) {
        const double dy = (y + (j + 0.5) / kSub - cy) / b;
        for (int i = 0; i < kSub; ++i) {
          const double dx = (x + (i + 0.5) / kSub - cx) / a;
          count += dx * dx + dy * dy <= 1.0;
        }
      }
      if (count) row[x] = coverageColour(uint32_t(count * 255 / (kSub * kSub)));
    }
  }
}

namespace {

// Calls fn(x, y, coverage 1..255) for every pixel of a width x height raster that the
// polygon covers (non-zero winding, kSub x kSub samples a pixel).
template <class Fn>
void scanPolygon(const std::vector<std::pair<double, double>>& pts, int w, int h, Fn fn) {
  if (pts.size() < 3 || w <= 0 || h <= 0) return;
  double minY = pts[0].second, maxY = minY;
  for (auto& p : pts) {
    minY = std::min(minY, p.second);
    maxY = std::max(maxY, p.second);
  }
  const int y0 = std::max(0, int(std::floor(minY))), y1 = std::min(h, int(std::ceil(maxY)) + 1);
  std::vector<int> counts(size_t(w) + 2);
  std::vector<std::pair<double, int>> crossings;
  for (int y = y0; y < y1; ++y) {
    std::fill(counts.begin(), counts.end(), 0);
    long lo = long(w) * kSub, hi = 0;
    for (int j = 0; j < kSub; ++j) {
      const double sy = y + (j + 0.5) / kSub;
      crossings.clear();
      for (size_t k = 0; k < pts.size(); ++k) {
        const auto [ax, ay] = pts[k];
        const auto [bx, by] = pts[(k + 1) % pts.size()];
        if ((ay <= sy && by > sy) || (by <= sy && ay > sy))
          crossings.push_back({ax + (sy - ay) * (bx - ax) / (by - ay), ay < by ? 1 : -1});
      }
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (size_t k = 0; k + 1 < crossings.size(); ++k) {
        winding += crossings[k].second;
        if (winding == 0) continue;
        // Samples at x + (i + 0.5) / kSub with xa <= sample < xb.
        const double xa = crossings[k].first * kSub - 0.5, xb = crossings[k + 1].first * kSub - 0.5;
        const long s0 = std::max(0L, long(std::ceil(xa))), s1 = std::min(long(w) * kSub, long(std::ceil(xb)));
        for (long sx = s0; sx < s1; ++sx) ++counts[size_t(sx / kSub)];
        if (s1 > s0) {
          lo = std::min(lo, s0 / kSub);
          hi = std::max(hi, (s1 - 1) / kSub + 1);
        }
      }
    }
    for (long x = lo; x < hi; ++x)
      if (counts[size_t(x)]) fn(int(x), y, uint32_t(counts[size_t(x)] * 255 / (kSub * kSub)));
  }
}

}  // namespace

void FillPolygonAA(TBitmap32& target, const std::vector<std::pair<double, double>>& pts, TColor32 colour) {
  scanPolygon(pts, target.Width(), target.Height(), [&](int x, int y, uint32_t a) {
    TColor32& p = target.ScanLine(y)[x];
    p = BlendPixel((colour & 0x00FFFFFFu) | Div255(uint32_t(AlphaComponent(colour)) * a) << 24, p);
  });
}

void PolygonCoverage(TBitmap32& c, const std::vector<TPoint>& points) {
  std::vector<std::pair<double, double>> pts;
  for (const TPoint& p : points) pts.push_back({double(p.x), double(p.y)});
  scanPolygon(pts, c.Width(), c.Height(), [&](int x, int y, uint32_t a) { c.ScanLine(y)[x] = coverageColour(a); });
}

namespace {

inline bool within(TColor32 p, TColor32 ref, int t) {
  return std::abs(int(RedComponent(p)) - RedComponent(ref)) <= t &&
         std::abs(int(GreenComponent(p)) - GreenComponent(ref)) <= t &&
         std::abs(int(BlueComponent(p)) - BlueComponent(ref)) <= t;
}

}  // namespace

void ColorRangeCoverage(TBitmap32& c, const TBitmap32& image, TColor32 ref, int t) {
  ParallelRows(image.Height(), image.Width(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const TColor32* in = image.ScanLine(y);
      TColor32* out = c.ScanLine(y);
      for (int x = 0; x < image.Width(); ++x)
        if (within(in[x], ref, t)) out[x] = 0xFFFFFFFFu;
    }
  });
}

// Breadth-first from the seed through a fixed queue of 80001 entries that is compacted
// in place once it holds more than 75000, so any region fills in constant queue memory.
// The seed is not marked visited: it is selected only if a neighbour reaches back to it.
// The coverage itself records the visited pixels, so no second map is made.
void MagicWandCoverage(TBitmap32& c, const TBitmap32& image, TPoint seed, TColor32 ref, int t) {
  constexpr int kQueue = 80001, kCompactAbove = 75000;
  constexpr TColor32 kSelected = 0xFFFFFFFFu;
  const int w = image.Width(), h = image.Height();
  c.SetSize(w, h, 0xFF000000u);
  if (seed.x < 0 || seed.y < 0 || seed.x >= w || seed.y >= h) return;
  std::vector<TPoint> queue(kQueue);
  int count = 1, read = 0;
  queue[0] = seed;
  while (read < count) {
    const TPoint p = queue[size_t(read)];
    const TPoint next[4] = {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}};
    for (const TPoint& n : next) {
      if (n.x < 0 || n.y < 0 || n.x >= w || n.y >= h) continue;
      TColor32& v = c.ScanLine(n.y)[n.x];
      if (v == kSelected || !within(image.ScanLine(n.y)[n.x], ref, t)) continue;
      v = kSelected;
      queue[size_t(count++)] = n;
    }
    if (count <= kCompactAbove) {
      ++read;
    } else {
      std::copy(queue.begin() + read + 1, queue.begin() + count, queue.begin());
      count -= read + 1;
      read = 0;
    }
  }
}

void HSLRangeCoverage(TBitmap32& c, const TBitmap32& image, TColor32 ref, float dH, float dS, float dL) {
  const THSL r = RGBToHSL(ref);
  ParallelRows(image.Height(), image.Width(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const TColor32* in = image.ScanLine(y);
      TColor32* out = c.ScanLine(y);
      for (int x = 0; x < image.Width(); ++x) {
        const THSL p = RGBToHSL(in[x]);
        const bool hit = std::fabs(p.H - r.H) < dH && std::fabs(p.S - r.S) < dS && std::fabs(p.L - r.L) < dL;
        out[x] = hit ? 0xFFFFFFFFu : 0xFF000000u;
      }
    }
  });
}

}  // namespace kelvane
