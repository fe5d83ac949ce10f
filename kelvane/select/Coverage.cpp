#include "Coverage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
void MagicWandCoverageReference(TBitmap32& c, const TBitmap32& image, TPoint seed, TColor32 ref, int t) {
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

namespace {

// Per pixel: 1 where the colour is within the tolerance, 0 elsewhere.
void withinMap(const TBitmap32& image, TColor32 ref, int t, uint8_t* out) {
  const int w = image.Width();
  ParallelRows(image.Height(), w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const TColor32* in = image.ScanLine(y);
      uint8_t* o = out + size_t(y) * w;
      int x = 0;
#if defined(__SSE2__)
      // Sixteen pixels at a time: the byte distances |p - ref| by two saturating
      // subtractions, alpha masked off, and a pixel is within when no distance exceeds t.
      if (t >= 0) {
        const __m128i r = _mm_set1_epi32(int(ref & 0x00FFFFFFu)), colour = _mm_set1_epi32(0x00FFFFFF);
        const __m128i tol = _mm_set1_epi8(char(uint8_t(std::min(t, 255)))), zero = _mm_setzero_si128();
        const __m128i one = _mm_set1_epi8(1);
        auto test4 = [&](const TColor32* p) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
          const __m128i d = _mm_and_si128(_mm_or_si128(_mm_subs_epu8(v, r), _mm_subs_epu8(r, v)), colour);
          return _mm_cmpeq_epi32(_mm_subs_epu8(d, tol), zero);
        };
        for (; x + 16 <= w; x += 16) {
          const __m128i a = _mm_packs_epi32(test4(in + x), test4(in + x + 4));
          const __m128i b = _mm_packs_epi32(test4(in + x + 8), test4(in + x + 12));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(o + x), _mm_and_si128(_mm_packs_epi16(a, b), one));
        }
      }
#endif
      for (; x < w; ++x) o[x] = uint8_t(within(in[x], ref, t));
    }
  });
}

// Word-at-a-time scans of a byte row for the span fill: bytes of 1 are the candidates.
constexpr uint64_t kOnes = 0x0101010101010101ull, kLow7 = 0x7F7F7F7F7F7F7F7Full, kHigh = 0x8080808080808080ull;
constexpr bool kLittle = std::endian::native == std::endian::little;

inline uint64_t load8(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
// High bit of each byte of v that is not 0, exactly.
inline uint64_t nonZeroBytes(uint64_t v) { return (((v & kLow7) + kLow7) | v) & kHigh; }

// The first x in [from, to) whose byte is not 1, or `to`.
inline int candidatesEnd(const uint8_t* row, int from, int to) {
  int x = from;
  if constexpr (kLittle)
    for (; x + 8 <= to; x += 8)
      if (const uint64_t m = nonZeroBytes(load8(row + x) ^ kOnes)) return x + std::countr_zero(m) / 8;
  while (x < to && row[x] == 1) ++x;
  return x;
}
// The first x in [from, to) whose byte is 1, or `to`.
inline int nextCandidate(const uint8_t* row, int from, int to) {
  int x = from;
  if constexpr (kLittle)
    for (; x + 8 <= to; x += 8)
      if (const uint64_t m = ~nonZeroBytes(load8(row + x) ^ kOnes) & kHigh) return x + std::countr_zero(m) / 8;
  while (x < to && row[x] != 1) ++x;
  return x;
}
// The smallest l <= x with bytes l..x all 1 (row[x] is 1).
inline int candidatesStart(const uint8_t* row, int x) {
  if constexpr (kLittle)
    while (x >= 8) {
      const uint64_t m = nonZeroBytes(load8(row + x - 8) ^ kOnes);
      if (m) return x - std::countl_zero(m) / 8;
      x -= 8;
    }
  while (x > 0 && row[x - 1] == 1) --x;
  return x;
}

}  // namespace

// The region is a set, whatever the order it is found in, so the fast wand finds it span
// by span on a byte map of the pixels within the tolerance (1 = a candidate, 2 = taken)
// and writes the coverage from that map once. The seed rule is the reference's: an
// out-of-tolerance seed blocks, and an in-tolerance seed with no in-tolerance neighbour
// takes nothing.
void MagicWandCoverage(TBitmap32& c, const TBitmap32& image, TPoint seed, TColor32 ref, int t) {
  const int w = image.Width(), h = image.Height();
  if (seed.x < 0 || seed.y < 0 || seed.x >= w || seed.y >= h) {
    c.SetSize(w, h, 0xFF000000u);
    return;
  }
  if (!c.SetSizeUninitialized(w, h)) return;
  std::vector<uint8_t, DefaultInitAllocator<uint8_t>> map(size_t(w) * h);
  withinMap(image, ref, t, map.data());
  auto at = [&](int x, int y) -> uint8_t& { return map[size_t(y) * w + x]; };

  std::vector<TPoint> stack;
  const TPoint next[4] = {{seed.x + 1, seed.y}, {seed.x - 1, seed.y}, {seed.x, seed.y + 1}, {seed.x, seed.y - 1}};
  bool reachable = false;
  for (const TPoint& n : next)
    if (n.x >= 0 && n.y >= 0 && n.x < w && n.y < h && at(n.x, n.y)) {
      reachable = true;
      stack.push_back(n);
    }
  if (reachable && at(seed.x, seed.y)) {
    stack.clear();
    stack.push_back(seed);
  }
  while (!stack.empty()) {
    const TPoint p = stack.back();
    stack.pop_back();
    uint8_t* row = map.data() + size_t(p.y) * w;
    if (row[p.x] != 1) continue;
    const int l = candidatesStart(row, p.x), r = candidatesEnd(row, p.x + 1, w);
    std::memset(row + l, 2, size_t(r - l));
    for (const int ny : {p.y - 1, p.y + 1}) {
      if (ny < 0 || ny >= h) continue;
      const uint8_t* n = map.data() + size_t(ny) * w;
      for (int x = nextCandidate(n, l, r); x < r; x = nextCandidate(n, candidatesEnd(n, x + 1, r), r))
        stack.push_back({x, ny});
    }
  }

  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const uint8_t* m = map.data() + size_t(y) * w;
      TColor32* o = c.ScanLine(y);
      int x = 0;
#if defined(__SSE2__)
      const __m128i two = _mm_set1_epi8(2), colour = _mm_set1_epi32(0x00FFFFFF), alpha = _mm_set1_epi32(int(0xFF000000u));
      for (; x + 16 <= w; x += 16) {
        const __m128i taken = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m + x)), two);
        const __m128i lo = _mm_unpacklo_epi8(taken, taken), hi = _mm_unpackhi_epi8(taken, taken);
        const __m128i q[4] = {_mm_unpacklo_epi16(lo, lo), _mm_unpackhi_epi16(lo, lo), _mm_unpacklo_epi16(hi, hi),
                              _mm_unpackhi_epi16(hi, hi)};
        for (int k = 0; k < 4; ++k)
          _mm_storeu_si128(reinterpret_cast<__m128i*>(o + x + 4 * k), _mm_or_si128(_mm_and_si128(q[k], colour), alpha));
      }
#endif
      for (; x < w; ++x) o[x] = m[x] == 2 ? 0xFFFFFFFFu : 0xFF000000u;
    }
  });
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
