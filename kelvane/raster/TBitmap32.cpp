#include "TBitmap32.h"

#include "ParallelRows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kelvane {

void* AllocateLargeBuffer(size_t bytes) {
  constexpr size_t kHugePage = size_t(2) << 20;
  const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  (void)madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeLargeBuffer(void* p) { std::free(p); }

void TBitmap32::CopyFrom(const TBitmap32& other) {
  CopySettingsFrom(other);
  if (other.pixels_.empty() || !SetSizeUninitialized(other.width_, other.height_)) {
    pixels_.clear();
    width_ = height_ = 0;
    return;
  }
  ParallelRows(height_, width_, [&](int y0, int y1) {
    std::memcpy(ScanLine(y0), other.ScanLine(y0), size_t(y1 - y0) * width_ * sizeof(TColor32));
  });
}

bool TBitmap32::SetSize(int width, int height, TColor32 fill) {
  if (width <= 0 || height <= 0) {
    pixels_.clear();
    width_ = height_ = 0;
    return width == 0 || height == 0;
  }
  if (width > kMaxSide || height > kMaxSide || int64_t(width) * height > kMaxPixels) return false;
  if (pixels_.size() != size_t(width) * height) {
    pixels_.clear();
    pixels_.resize(size_t(width) * height);
  }
  width_ = width;
  height_ = height;
  Clear(fill);
  return true;
}

bool TBitmap32::SetSizeUninitialized(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || int64_t(width) * height > kMaxPixels)
    return SetSize(width, height);
  if (pixels_.size() != size_t(width) * height) {
    pixels_.clear();
    pixels_.resize(size_t(width) * height);
  }
  width_ = width;
  height_ = height;
  return true;
}

// Large bitmaps are filled on every core: the first touch of a fresh allocation is what
// costs, and the page faults spread across cores.
void TBitmap32::Clear(TColor32 color) {
  ParallelRows(height_, width_, [&](int y0, int y1) { std::fill(ScanLine(y0), ScanLine(y1), color); });
}

namespace {

TRect clip(const TRect& r, int w, int h) {
  return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, w), std::min(r.Bottom, h)};
}

}  // namespace

void TBitmap32::FillRect(const TRect& r, TColor32 color) {
  const TRect c = clip(r, width_, height_);
  if (c.Empty()) return;
  for (int y = c.Top; y < c.Bottom; ++y) std::fill(ScanLine(y) + c.Left, ScanLine(y) + c.Right, color);
}

void TBitmap32::FillRectBlend(const TRect& r, TColor32 color) {
  const TRect c = clip(r, width_, height_);
  if (c.Empty()) return;
  for (int y = c.Top; y < c.Bottom; ++y)
    for (TColor32* p = ScanLine(y) + c.Left; p != ScanLine(y) + c.Right; ++p) *p = BlendPixel(color, *p);
}

void TBitmap32::Line(int x1, int y1, int x2, int y2, TColor32 color) {
  const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    SetPixel(x1, y1, color);
    if (x1 == x2 && y1 == y2) break;
    const int e2 = 2 * err;
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

void TBitmap32::DrawTo(TBitmap32& dst, int x, int y) const {
  const TRect c = clip({x, y, x + width_, y + height_}, dst.width_, dst.height_);
  if (c.Empty()) return;
  const int n = c.Width();
  ParallelRows(c.Height(), n, [&](int r0, int r1) {
    for (int dy = c.Top + r0; dy < c.Top + r1; ++dy) {
      const TColor32* s = ScanLine(dy - y) + (c.Left - x);
      TColor32* d = dst.ScanLine(dy) + c.Left;
      if (DrawMode == TDrawMode::dmOpaque)
        std::memcpy(d, s, size_t(n) * sizeof(TColor32));
      else
        BlendLine(s, d, size_t(n), MasterAlpha);
    }
  });
}

namespace {

// Source positions of a stretch of srcSize pixels onto dstSize pixels along one axis,
// sampled at pixel centres, for the `count` target pixels from `first` on: index i0 and
// i1 = i0 + 1 (held at the last source pixel) with weight w of i1 in 1/256ths.
struct Taps {
  std::vector<int> i0, i1, w;
};

Taps linearTaps(int srcSize, int dstSize, int first, int count) {
  Taps t;
  const double scale = double(srcSize) / dstSize;
  for (int d = first; d < first + count; ++d) {
    const double s = std::clamp((d + 0.5) * scale - 0.5, 0.0, double(srcSize - 1));
    const int i = int(s);
    t.i0.push_back(i);
    t.i1.push_back(std::min(i + 1, srcSize - 1));
    t.w.push_back(int((s - i) * 256 + 0.5));
  }
  return t;
}

std::vector<int> nearestTaps(int srcSize, int dstSize, int first, int count) {
  std::vector<int> t;
  for (int d = first; d < first + count; ++d)
    t.push_back(std::min(int((int64_t(d) * 2 + 1) * srcSize / (2 * int64_t(dstSize))), srcSize - 1));
  return t;
}

}  // namespace

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& r) const {
  StretchTo(dst, r, DrawMode == TDrawMode::dmBlend);
}

void TBitmap32::StretchTo(TBitmap32& dst, const TRect& r, bool blend) const {
  if (Empty() || r.Empty()) return;
  const TRect c = clip(r, dst.width_, dst.height_);
  if (c.Empty()) return;
  const int ox = c.Left - r.Left, oy = c.Top - r.Top;  // first target column/row inside r
  const size_t n = size_t(c.Width());
  auto put = [&](int y, const TColor32* row) {
    TColor32* d = dst.ScanLine(y) + c.Left;
    if (!blend)
      std::memcpy(d, row, n * sizeof(TColor32));
    else
      BlendLine(row, d, n, MasterAlpha);
  };
  if (StretchFilter == TStretchFilter::sfNearest) {
    const auto xs = nearestTaps(width_, r.Width(), ox, c.Width());
    const auto ys = nearestTaps(height_, r.Height(), oy, c.Height());
    ParallelRows(c.Height(), c.Width(), [&](int y0, int y1) {
      std::vector<TColor32> row(n);
      for (int y = y0; y < y1; ++y) {
        const TColor32* s = ScanLine(ys[size_t(y)]);
        for (size_t i = 0; i < n; ++i) row[i] = s[xs[i]];
        put(c.Top + y, row.data());
      }
    });
    return;
  }
  // Linear: blend the two source rows first, then along the row.
  const Taps xs = linearTaps(width_, r.Width(), ox, c.Width());
  const Taps ys = linearTaps(height_, r.Height(), oy, c.Height());
  ParallelRows(c.Height(), c.Width(), [&](int y0, int y1) {
    std::vector<TColor32> scratch(blend ? n : 0), mixed(static_cast<size_t>(width_));
    for (int y = y0; y < y1; ++y) {
      // Opaque drawing writes the target row directly.
      TColor32* row = blend ? scratch.data() : dst.ScanLine(c.Top + y) + c.Left;
      const TColor32* a = ScanLine(ys.i0[size_t(y)]);
      const TColor32* b = ScanLine(ys.i1[size_t(y)]);
      const int wy = ys.w[size_t(y)];
      const TColor32* m = a;
      if (wy != 0) {
        // LerpPixel byte by byte, which vectorises.
        const auto* pa = reinterpret_cast<const uint8_t*>(a);
        const auto* pb = reinterpret_cast<const uint8_t*>(b);
        auto* pm = reinterpret_cast<uint8_t*>(mixed.data());
        const uint16_t wb = uint16_t(wy), wa = uint16_t(256 - wy);
        for (size_t k = 0, bytes = size_t(width_) * 4; k < bytes; ++k)
          pm[k] = uint8_t(uint16_t(pa[k] * wa + pb[k] * wb + 128) >> 8);
        m = mixed.data();
      }
      size_t i = 0;
#if defined(__SSE2__)
      // LerpPixel four pixels at a time in 16-bit lanes: a channel's a (256 - w) + b w + 128
      // stays below 65536, so the lanes give LerpPixel's very bytes.
      const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(256), half = _mm_set1_epi16(128);
      for (; i + 4 <= n; i += 4) {
        const int* k0 = xs.i0.data() + i;
        const int* k1 = xs.i1.data() + i;
        const int* wk = xs.w.data() + i;
        const __m128i a = _mm_set_epi32(int(m[k0[3]]), int(m[k0[2]]), int(m[k0[1]]), int(m[k0[0]]));
        const __m128i b = _mm_set_epi32(int(m[k1[3]]), int(m[k1[2]]), int(m[k1[1]]), int(m[k1[0]]));
        const __m128i wlo = _mm_set_epi16(short(wk[1]), short(wk[1]), short(wk[1]), short(wk[1]), short(wk[0]),
                                          short(wk[0]), short(wk[0]), short(wk[0]));
        const __m128i whi = _mm_set_epi16(short(wk[3]), short(wk[3]), short(wk[3]), short(wk[3]), short(wk[2]),
                                          short(wk[2]), short(wk[2]), short(wk[2]));
        auto lerp = [&](__m128i pa, __m128i pb, __m128i wb) {
          const __m128i t = _mm_add_epi16(_mm_mullo_epi16(pa, _mm_sub_epi16(full, wb)), _mm_mullo_epi16(pb, wb));
          return _mm_srli_epi16(_mm_add_epi16(t, half), 8);
        };
        const __m128i lo = lerp(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), wlo);
        const __m128i hi = lerp(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), whi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_packus_epi16(lo, hi));
      }
#endif
      for (; i < n; ++i) row[i] = LerpPixel(m[xs.i0[i]], m[xs.i1[i]], uint32_t(xs.w[i]));
      if (blend) put(c.Top + y, row);
    }
  });
}

TBitmap32 TBitmap32::Resampled(int width, int height) const {
  TBitmap32 out;
  out.OuterColor = OuterColor;
  out.DrawMode = DrawMode;
  out.MasterAlpha = MasterAlpha;
  out.StretchFilter = StretchFilter;
  // Opaque stretching writes every pixel of the bounds; only an empty source leaves
  // them to the clearing.
  if (Empty())
    out.SetSize(width, height);
  else if (out.SetSizeUninitialized(width, height))
    StretchTo(out, out.BoundsRect(), false);
  return out;
}

}  // namespace kelvane
