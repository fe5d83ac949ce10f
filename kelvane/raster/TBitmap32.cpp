#include "TBitmap32.h"

#include "CpuFeatures.h"
#include "ParallelRows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#if defined(__SSE2__)
#include <immintrin.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kelvane {

// Under the address sanitizer every buffer goes back at once, so that a use after free is
// still caught.
#if defined(__SANITIZE_ADDRESS__)
#define KELVANE_KEEP_BUFFERS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVANE_KEEP_BUFFERS 0
#endif
#endif
#ifndef KELVANE_KEEP_BUFFERS
#define KELVANE_KEEP_BUFFERS 1
#endif

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

size_t roundedToHugePages(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

// Freed large buffers kept for the next request of the same size, so that a bitmap made
// and dropped over and over (filter results, stretches, previews) does not go back to
// the system each time, where fresh memory costs a page fault and a clearing per page.
// A few buffers at most, and at most kKeptBytes together; the oldest goes first.
class TKeptBuffers {
public:
  static constexpr size_t kCount = 4, kKeptBytes = size_t(256) << 20;

  void* Take(size_t rounded) {
    const std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = count_; i-- > 0;)  // the most recently freed first: likely still in the cache
      if (kept_[i].bytes == rounded) {
        void* p = kept_[i].p;
        remove(i);
        return p;
      }
    if (count_ > 0) {  // a miss: the oldest kept buffer is likely of no more use
      std::free(kept_[0].p);
      remove(0);
    }
    return nullptr;
  }

  // Keeps the buffer when there is room; false hands it back to the caller to free.
  bool Keep(void* p, size_t rounded) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (rounded > kKeptBytes) return false;
    while (count_ > 0 && (count_ == kCount || total_ + rounded > kKeptBytes)) {
      std::free(kept_[0].p);
      remove(0);
    }
    kept_[count_++] = {p, rounded};
    total_ += rounded;
    return true;
  }

private:
  struct Entry {
    void* p;
    size_t bytes;
  };
  void remove(size_t i) {
    total_ -= kept_[i].bytes;
    std::move(kept_ + i + 1, kept_ + count_, kept_ + i);
    --count_;
  }

  std::mutex lock_;
  Entry kept_[kCount] = {};
  size_t count_ = 0, total_ = 0;
};

TKeptBuffers& keptBuffers() {
  static TKeptBuffers* kept = new TKeptBuffers;  // never destroyed: frees may come at exit
  return *kept;
}

}  // namespace

void* AllocateLargeBuffer(size_t bytes) {
  const size_t rounded = roundedToHugePages(bytes);
#if KELVANE_KEEP_BUFFERS
  if (void* p = keptBuffers().Take(rounded)) return p;
#endif
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  (void)madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeLargeBuffer(void* p, size_t bytes) {
  if (!p) return;
#if KELVANE_KEEP_BUFFERS
  if (keptBuffers().Keep(p, roundedToHugePages(bytes))) return;
#endif
  std::free(p);
}

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

// out[k] = LerpPixel(a[k], b[k], w) for k < count: per byte, which vectorises. The same
// stretch of the rows the next target row mixes, nextA and nextB, is fetched into the
// cache meanwhile: the memory system does not see that jump coming by itself.
[[gnu::always_inline]] inline void mixRowBytes(const TColor32* a, const TColor32* b, TColor32* out, size_t count,
                                               uint32_t w, const TColor32* nextA, const TColor32* nextB) {
  const auto* pa = reinterpret_cast<const uint8_t*>(a);
  const auto* pb = reinterpret_cast<const uint8_t*>(b);
  const auto* na = reinterpret_cast<const uint8_t*>(nextA);
  const auto* nb = reinterpret_cast<const uint8_t*>(nextB);
  auto* po = reinterpret_cast<uint8_t*>(out);
  const uint16_t wb = uint16_t(w), wa = uint16_t(256 - w);
  constexpr size_t kBlock = 256, kLine = 64;
  const size_t bytes = count * 4;
  size_t k = 0;
  for (; k + kBlock <= bytes; k += kBlock) {
    for (size_t line = 0; line < kBlock; line += kLine) {
      __builtin_prefetch(na + k + line);
      __builtin_prefetch(nb + k + line);
    }
    for (size_t j = k; j < k + kBlock; ++j) po[j] = uint8_t(uint16_t(pa[j] * wa + pb[j] * wb + 128) >> 8);
  }
  for (; k < bytes; ++k) po[k] = uint8_t(uint16_t(pa[k] * wa + pb[k] * wb + 128) >> 8);
}

#if defined(KELVANE_HAVE_AVX2_PATHS)
// The same loop vectorised for AVX2.
KELVANE_TARGET_AVX2 void mixRowBytesAvx2(const TColor32* a, const TColor32* b, TColor32* out, size_t count,
                                         uint32_t w, const TColor32* nextA, const TColor32* nextB) {
  mixRowBytes(a, b, out, count, w, nextA, nextB);
}
#endif

void MixRows(const TColor32* a, const TColor32* b, TColor32* out, size_t count, uint32_t w, const TColor32* nextA,
             const TColor32* nextB) {
#if defined(KELVANE_HAVE_AVX2_PATHS)
  if (HasAvx2()) return mixRowBytesAvx2(a, b, out, count, w, nextA, nextB);
#endif
  mixRowBytes(a, b, out, count, w, nextA, nextB);
}

// out[i] = LerpPixel(m[i0[i]], m[i0[i] + 1], w) for i < count, with each pixel's weight w
// repeated in four 16-bit lanes of `lanes`. In 16-bit lanes a channel's
// a (256 - w) + b w + 128 stays below 65536, so the lanes give LerpPixel's very bytes.
#if defined(KELVANE_HAVE_AVX2_PATHS)
// LerpPairs' vector loop eight pixels at a time; returns how far it got.
KELVANE_TARGET_AVX2 size_t lerpPairsAvx2(const TColor32* m, const int* i0, const uint16_t* lanes, TColor32* out,
                                         size_t count) {
  const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(256), half = _mm256_set1_epi16(128);
  auto pair = [m, i0](size_t k) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m + i0[k])); };
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i r[2];
    for (int h = 0; h < 2; ++h) {
      const size_t k = i + size_t(h) * 4;
      // [A0 A1 B0 B1 | C0 C1 D0 D1] reordered to [A0 B0 A1 B1 | C0 D0 C1 D1].
      const __m256i q = _mm256_shuffle_epi32(
          _mm256_set_m128i(_mm_unpacklo_epi64(pair(k + 2), pair(k + 3)), _mm_unpacklo_epi64(pair(k), pair(k + 1))),
          _MM_SHUFFLE(3, 1, 2, 0));
      const __m256i wb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lanes + k * 4));
      const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(q, zero), _mm256_sub_epi16(full, wb)),
                                         _mm256_mullo_epi16(_mm256_unpackhi_epi8(q, zero), wb));
      r[h] = _mm256_srli_epi16(_mm256_add_epi16(t, half), 8);
    }
    // The pack works within 128-bit halves: [A B E F | C D G H], put back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(r[0], r[1]), _MM_SHUFFLE(3, 1, 2, 0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), packed);
  }
  return i;
}
#endif

void LerpPairs(const TColor32* m, const int* i0, const uint16_t* lanes, TColor32* out, size_t count) {
  size_t i = 0;
#if defined(KELVANE_HAVE_AVX2_PATHS)
  if (HasAvx2()) i = lerpPairsAvx2(m, i0, lanes, out, count);
#endif
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(256), half = _mm_set1_epi16(128);
  // Two pixels' pairs [A0 A1 B0 B1] reordered to [A0 B0 A1 B1], then lerped in 16-bit lanes.
  auto two = [&](size_t k) {
    const __m128i pa = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m + i0[k]));
    const __m128i pb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m + i0[k + 1]));
    const __m128i q = _mm_shuffle_epi32(_mm_unpacklo_epi64(pa, pb), _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i wb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + k * 4));
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(q, zero), _mm_sub_epi16(full, wb)),
                                    _mm_mullo_epi16(_mm_unpackhi_epi8(q, zero), wb));
    return _mm_srli_epi16(_mm_add_epi16(t, half), 8);
  };
  for (; i + 4 <= count; i += 4)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(two(i), two(i + 2)));
#endif
  for (; i < count; ++i) out[i] = LerpPixel(m[i0[i]], m[i0[i] + 1], lanes[i * 4]);
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
  // Every target pixel whose left tap is not the last column reads the pair i0, i0 + 1
  // of the mixed row; those at the end (weight 0, held at the last column) come after.
  size_t paired = n;
  while (paired > 0 && xs.i0[paired - 1] + 1 >= width_) --paired;
  // The column weights as 16-bit lanes, four per pixel, for the pair loop.
  std::vector<uint16_t> lanes(paired * 4);
  for (size_t i = 0; i < paired * 4; ++i) lanes[i] = uint16_t(xs.w[i / 4]);
  const int firstColumn = xs.i0.front(), lastColumn = xs.i1.back();  // the columns the taps read
  ParallelRowBands(c.Height(), c.Width(), [&](int y0, int y1) {
    std::vector<TColor32> scratch(blend ? n : 0), mixed(static_cast<size_t>(width_));
    for (int y = y0; y < y1; ++y) {
      // Opaque drawing writes the target row directly.
      TColor32* row = blend ? scratch.data() : dst.ScanLine(c.Top + y) + c.Left;
      const TColor32* a = ScanLine(ys.i0[size_t(y)]);
      const TColor32* b = ScanLine(ys.i1[size_t(y)]);
      const int wy = ys.w[size_t(y)];
      const TColor32* m = a;
      if (wy != 0) {
        const size_t next = size_t(std::min(y + 1, c.Height() - 1));
        MixRows(a + firstColumn, b + firstColumn, mixed.data() + firstColumn, size_t(lastColumn - firstColumn + 1),
                uint32_t(wy), ScanLine(ys.i0[next]) + firstColumn, ScanLine(ys.i1[next]) + firstColumn);
        m = mixed.data();
      }
      LerpPairs(m, xs.i0.data(), lanes.data(), row, paired);
      for (size_t i = paired; i < n; ++i) row[i] = LerpPixel(m[xs.i0[i]], m[xs.i1[i]], uint32_t(xs.w[i]));
      if (blend) put(c.Top + y, row);
    }
  });
}

void StretchLinearReference(const TBitmap32& src, TBitmap32& dst, const TRect& r) {
  if (src.Empty() || r.Empty()) return;
  const int sw = src.Width(), sh = src.Height();
  // The source position of target pixel d along an axis: index i, the next one held at
  // the last pixel, and the weight of the next one in 1/256ths.
  auto tap = [](int d, int srcSize, int dstSize, int& i0, int& i1) {
    const double s = std::clamp((d + 0.5) * (double(srcSize) / dstSize) - 0.5, 0.0, double(srcSize - 1));
    i0 = int(s);
    i1 = std::min(i0 + 1, srcSize - 1);
    return uint32_t(int((s - i0) * 256 + 0.5));
  };
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, dst.Height()); ++y) {
    int r0, r1;
    const uint32_t wy = tap(y - r.Top, sh, r.Height(), r0, r1);
    for (int x = std::max(r.Left, 0); x < std::min(r.Right, dst.Width()); ++x) {
      int c0, c1;
      const uint32_t wx = tap(x - r.Left, sw, r.Width(), c0, c1);
      // The two rows mixed at the row weight, then the two columns.
      const TColor32 left = LerpPixel(src.Pixel(c0, r0), src.Pixel(c0, r1), wy);
      const TColor32 right = LerpPixel(src.Pixel(c1, r0), src.Pixel(c1, r1), wy);
      dst.SetPixel(x, y, LerpPixel(left, right, wx));
    }
  }
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
