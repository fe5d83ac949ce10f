#include "KVXUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "../raster/ApplyThroughMask.h"
#include "../raster/CpuFeatures.h"
#include "../raster/ParallelRows.h"

namespace kelvane {

namespace {

uint8_t RoundToByte(double v) { return uint8_t(std::clamp(std::nearbyint(v), 0.0, 255.0)); }

// n / d rounded to the nearest, halves to even (n >= 0, d > 0).
uint32_t RoundDiv(uint32_t n, uint32_t d) {
  const uint32_t q = n / d, r = n % d;
  return 2 * r > d || (2 * r == d && (q & 1)) ? q + 1 : q;
}

TColor32 Grey(uint32_t g) { return 0xFF000000u | g << 16 | g << 8 | g; }

// Turns the masked pixels grey; returns the lowest and highest intensity among them
// (lo > hi when nothing is masked). Each core keeps its own extremes.
std::pair<int, int> MaskedToGrey(TBitmap32& image, const TByteMap& mask) {
  const int w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  std::mutex lock;
  int lo = 255, hi = 0;
  ParallelRows(h, w, [&](int y0, int y1) {
    int l = 255, u = 0;
    for (int y = y0; y < y1; ++y) {
      TColor32* p = image.ScanLine(y);
      const uint8_t* m = mask.ScanLine(y);
      for (int x = 0; x < w; ++x) {
        if (!m[x]) continue;
        const int g = Intensity(p[x]);
        l = std::min(l, g);
        u = std::max(u, g);
        p[x] = Grey(uint32_t(g));
      }
    }
    const std::lock_guard<std::mutex> guard(lock);
    lo = std::min(lo, l);
    hi = std::max(hi, u);
  });
  return {lo, hi};
}

// Gives every pixel whose mask passes `masked` the grey level(g) of its grey g.
template <class Masked, class Level>
void RegreyMasked(TBitmap32& image, const TByteMap& mask, Masked masked, Level level) {
  const int w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* p = image.ScanLine(y);
      const uint8_t* m = mask.ScanLine(y);
      for (int x = 0; x < w; ++x)
        if (masked(m[x])) p[x] = Grey(level(BlueComponent(p[x])));
    }
  });
}

// The colour channels of a run of pixels, one 16-bit plane each, so that the composite
// runs in 16-bit lanes: every product of the composite fits in 16 bits.
constexpr int kRun = 256;
struct TPlanes {
  uint16_t r[kRun], g[kRun], b[kRun];
  void Load(const TColor32* p, int n) {
    for (int i = 0; i < n; ++i) {
      r[i] = uint16_t(p[i] >> 16 & 0xFF);
      g[i] = uint16_t(p[i] >> 8 & 0xFF);
      b[i] = uint16_t(p[i] & 0xFF);
    }
  }
};

inline uint16_t Div255u16(uint16_t v) {
  const uint16_t w = uint16_t(v + 128);
  return uint16_t((w + (w >> 8)) >> 8);
}

// Computes the drape colour of each masked pixel with kernel(drape, photo, out) on whole
// runs, and blends it into the result at alpha Round(mask x transparency / 255): the
// colour channels mixed, the result's alpha kept. At alpha 0 the mix gives the result
// pixel back unchanged, so no pixel needs a branch.
template <class Kernel>
void Compose(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
             uint8_t transparency, Kernel kernel) {
  const int w = std::min({result.Width(), drape.Width(), photo.Width(), mask.Width()});
  const int h = std::min({result.Height(), drape.Height(), photo.Height(), mask.Height()});
  ParallelRows(h, w, [&](int y0, int y1) {
    TPlanes s, p, c, t;
    uint16_t a[kRun];
    for (int y = y0; y < y1; ++y) {
      TColor32* d = result.ScanLine(y);
      const uint8_t* m = mask.ScanLine(y);
      for (int x0 = 0; x0 < w; x0 += kRun) {
        const int n = std::min(kRun, w - x0);
        uint8_t any = 0;  // runs outside the object are left alone at once
        for (int i = 0; i < n; ++i) any |= m[x0 + i];
        if (!any || !transparency) continue;
        s.Load(drape.ScanLine(y) + x0, n);
        p.Load(photo.ScanLine(y) + x0, n);
        t.Load(d + x0, n);
        kernel(s, p, c, n);
        for (int i = 0; i < n; ++i) a[i] = Div255u16(uint16_t(m[x0 + i] * transparency));
        for (int i = 0; i < n; ++i) {
          const uint16_t na = uint16_t(255 - a[i]);
          c.r[i] = Div255u16(uint16_t(c.r[i] * a[i] + t.r[i] * na));
          c.g[i] = Div255u16(uint16_t(c.g[i] * a[i] + t.g[i] * na));
          c.b[i] = Div255u16(uint16_t(c.b[i] * a[i] + t.b[i] * na));
        }
        TColor32* out = d + x0;
        for (int i = 0; i < n; ++i)
          out[i] = (out[i] & 0xFF000000u) | TColor32(c.r[i]) << 16 | TColor32(c.g[i]) << 8 | c.b[i];
      }
    }
  });
}

}  // namespace

TBitmap32 MakeSeamless(const TBitmap32& texture, int columns, int rows) {
  TBitmap32 source = texture;
  const int n = std::clamp(columns, 0, std::max(texture.Width() - 1, 0));
  const int m = std::clamp(rows, 0, std::max(texture.Height() - 1, 0));
  if (n > 0) {
    const int w = source.Width(), h = source.Height();
    for (int y = 0; y < h; ++y) {
      TColor32* p = source.ScanLine(y);
      for (int j = 0; j < n; ++j) p[j] = (p[j] & 0x00FFFFFFu) | TColor32(RoundToByte((j * 255.0 + 255.0) / n)) << 24;
    }
    TBitmap32 out(w - n, h);
    out.CopySettingsFrom(texture);
    for (int y = 0; y < h; ++y) {
      const TColor32* s = source.ScanLine(y);
      TColor32* d = out.ScanLine(y);
      std::copy(s + (w - n), s + (w - n) + std::min(n, w - n), d);  // the right end under the left columns
      for (int x = 0; x < w - n; ++x) d[x] = BlendPixel(s[x], d[x]);
    }
    source = std::move(out);
  }
  if (m > 0) {
    const int w = source.Width(), h = source.Height();
    for (int r = 0; r <= m && r < h; ++r) {
      TColor32* p = source.ScanLine(r);
      const TColor32 alpha = TColor32(RoundToByte(r * 255.0 / m)) << 24;
      for (int x = 0; x < w; ++x) p[x] = (p[x] & 0x00FFFFFFu) | alpha;
    }
    TBitmap32 out(w, h - m);
    out.CopySettingsFrom(texture);
    for (int y = 0; y < h - m; ++y) {
      TColor32* d = out.ScanLine(y);
      if (y < m) std::copy(source.ScanLine(h - m + y), source.ScanLine(h - m + y) + w, d);  // the bottom under the top
      const TColor32* s = source.ScanLine(y);
      for (int x = 0; x < w; ++x) d[x] = BlendPixel(s[x], d[x]);
    }
    source = std::move(out);
  }
  return source;
}

void ApplyLevelUp(TBitmap32& image, const TByteMap& mask) {
  const auto [lo, hi] = MaskedToGrey(image, mask);
  if (hi <= lo) return;
  RegreyMasked(image, mask, [](uint8_t m) { return m != 0; }, [hi = uint32_t(hi)](uint32_t g) { return g - hi + 255; });
}

void ApplyHiContrast(TBitmap32& image, const TByteMap& mask) {
  const auto [lo, hi] = MaskedToGrey(image, mask);
  if (hi <= lo) return;
  RegreyMasked(image, mask, [](uint8_t m) { return m > 240; },
               [lo = uint32_t(lo), range = uint32_t(hi - lo)](uint32_t g) { return RoundDiv((g - lo) * 255, range); });
}

namespace {

// One pixel of the ordinary drape: drape x colour x photo intensity div 65536 per channel,
// mixed into the result pixel at alpha Round(m x transparency / 255).
constexpr TColor32 ComposeMultiplyPixel(TColor32 result, TColor32 drape, TColor32 photo, uint8_t m, TColor32 color,
                                        uint8_t transparency) {
  const uint32_t g = Intensity(photo);
  const TColor32 s = Color32(uint8_t(RedComponent(drape) * RedComponent(color) * g >> 16),
                             uint8_t(GreenComponent(drape) * GreenComponent(color) * g >> 16),
                             uint8_t(BlueComponent(drape) * BlueComponent(color) * g >> 16));
  return MixThroughMask(s, result, Div255(uint32_t(m) * transparency));
}

// ComposeMultiply over one row of n pixels. The SSE2 loop keeps each pixel's blue and red
// in the two 16-bit halves of its 32-bit lane and green in the low half of another; every
// product of the rule fits in 16 bits, so the lanes give ComposeMultiplyPixel's bytes.
void ComposeMultiplyRow(TColor32* d, const TColor32* s, const TColor32* p, const uint8_t* m, int n, TColor32 color,
                        uint8_t transparency) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), lowByte = _mm_set1_epi32(0xFF), blueRed = _mm_set1_epi32(0x00FF00FF);
  const __m128i alphaBits = _mm_set1_epi32(int(0xFF000000u));
  const __m128i colorBR = _mm_set1_epi32(int(color & 0x00FF00FFu)), colorG = _mm_set1_epi32(int(color >> 8 & 0xFF));
  const __m128i weightBR = _mm_set1_epi32(61 << 16 | 21), weightG = _mm_set1_epi32(174);
  const __m128i strength = _mm_set1_epi16(short(transparency)), full = _mm_set1_epi16(255);
  const __m128i half = _mm_set1_epi16(128);
  auto div255 = [&](__m128i v) {  // Div255 in 16-bit lanes, for v <= 255 x 255
    const __m128i w = _mm_add_epi16(v, half);
    return _mm_srli_epi16(_mm_add_epi16(w, _mm_srli_epi16(w, 8)), 8);
  };
  for (; x + 4 <= n; x += 4) {
    uint32_t m4;
    std::memcpy(&m4, m + x, 4);
    if (m4 == 0) continue;  // outside the object: left alone
    const __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
    const __m128i pp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
    const __m128i tp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
    // Intensity 61 R + 174 G + 21 B shr 8 in each 32-bit lane, then in both its halves.
    __m128i g = _mm_add_epi32(_mm_madd_epi16(_mm_and_si128(pp, blueRed), weightBR),
                              _mm_madd_epi16(_mm_and_si128(_mm_srli_epi32(pp, 8), lowByte), weightG));
    g = _mm_srli_epi32(g, 8);
    g = _mm_or_si128(g, _mm_slli_epi32(g, 16));
    // (s c) g div 65536: the high half of a 16 x 16-bit product.
    const __m128i oBR = _mm_mulhi_epu16(_mm_mullo_epi16(_mm_and_si128(sp, blueRed), colorBR), g);
    const __m128i oG = _mm_mulhi_epu16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(sp, 8), lowByte), colorG), g);
    // Each pixel's alpha in both halves of its lane.
    __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(m4)), zero);
    a = div255(_mm_mullo_epi16(_mm_unpacklo_epi16(a, a), strength));
    const __m128i na = _mm_sub_epi16(full, a);
    const __m128i rBR = div255(_mm_add_epi16(_mm_mullo_epi16(oBR, a), _mm_mullo_epi16(_mm_and_si128(tp, blueRed), na)));
    const __m128i rG = div255(
        _mm_add_epi16(_mm_mullo_epi16(oG, a), _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(tp, 8), lowByte), na)));
    const __m128i out = _mm_or_si128(_mm_or_si128(rBR, _mm_slli_epi32(rG, 8)), _mm_and_si128(tp, alphaBits));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
  }
#endif
  for (; x < n; ++x)
    if (m[x]) d[x] = ComposeMultiplyPixel(d[x], s[x], p[x], m[x], color, transparency);
}

#if defined(KELVANE_HAVE_AVX2_PATHS)
// Div255 in 16-bit lanes, for v <= 255 x 255.
KELVANE_TARGET_AVX2 inline __m256i div255(__m256i v) {
  const __m256i w = _mm256_add_epi16(v, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(w, _mm256_srli_epi16(w, 8)), 8);
}

// ComposeMultiplyRow's vector loop eight pixels at a time; returns how far it got (the
// rest is left to ComposeMultiplyRow).
KELVANE_TARGET_AVX2 int ComposeMultiplyRowAvx2(TColor32* d, const TColor32* s, const TColor32* p, const uint8_t* m,
                                               int n, TColor32 color, uint8_t transparency) {
  const __m256i lowByte = _mm256_set1_epi32(0xFF), blueRed = _mm256_set1_epi32(0x00FF00FF);
  const __m256i alphaBits = _mm256_set1_epi32(int(0xFF000000u));
  const __m256i colorBR = _mm256_set1_epi32(int(color & 0x00FF00FFu));
  const __m256i colorG = _mm256_set1_epi32(int(color >> 8 & 0xFF));
  const __m256i weightBR = _mm256_set1_epi32(61 << 16 | 21), weightG = _mm256_set1_epi32(174);
  const __m256i strength = _mm256_set1_epi16(short(transparency)), full = _mm256_set1_epi16(255);
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    long long m8;
    std::memcpy(&m8, m + x, 8);
    if (m8 == 0) continue;
    const __m256i sp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
    const __m256i pp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + x));
    const __m256i tp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
    __m256i g = _mm256_add_epi32(_mm256_madd_epi16(_mm256_and_si256(pp, blueRed), weightBR),
                                 _mm256_madd_epi16(_mm256_and_si256(_mm256_srli_epi32(pp, 8), lowByte), weightG));
    g = _mm256_srli_epi32(g, 8);
    g = _mm256_or_si256(g, _mm256_slli_epi32(g, 16));
    const __m256i oBR = _mm256_mulhi_epu16(_mm256_mullo_epi16(_mm256_and_si256(sp, blueRed), colorBR), g);
    const __m256i oG =
        _mm256_mulhi_epu16(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(sp, 8), lowByte), colorG), g);
    const __m128i m16 = _mm_cvtsi64_si128(m8);
    __m256i a = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(m16, m16));  // m0 m0 m1 m1 ...
    a = div255(_mm256_mullo_epi16(a, strength));
    const __m256i na = _mm256_sub_epi16(full, a);
    const __m256i rBR =
        div255(_mm256_add_epi16(_mm256_mullo_epi16(oBR, a), _mm256_mullo_epi16(_mm256_and_si256(tp, blueRed), na)));
    const __m256i rG = div255(_mm256_add_epi16(
        _mm256_mullo_epi16(oG, a), _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(tp, 8), lowByte), na)));
    const __m256i out =
        _mm256_or_si256(_mm256_or_si256(rBR, _mm256_slli_epi32(rG, 8)), _mm256_and_si256(tp, alphaBits));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), out);
  }
  return x;
}

// Shifts take an all-lanes mask: the unmasked forms trip a false uninitialised-value
// warning in GCC 12's headers.
constexpr __mmask16 kAll16 = 0xFFFF;
constexpr __mmask32 kAll32 = 0xFFFFFFFFu;

// Div255 in 16-bit lanes, for v <= 255 x 255.
KELVANE_TARGET_AVX512BW inline __m512i div255(__m512i v) {
  const __m512i w = _mm512_add_epi16(v, _mm512_set1_epi16(128));
  return _mm512_maskz_srli_epi16(kAll32, _mm512_add_epi16(w, _mm512_maskz_srli_epi16(kAll32, w, 8)), 8);
}

// The same loop sixteen pixels at a time.
KELVANE_TARGET_AVX512BW int ComposeMultiplyRowAvx512(TColor32* d, const TColor32* s, const TColor32* p,
                                                     const uint8_t* m, int n, TColor32 color, uint8_t transparency) {
  const __m512i lowByte = _mm512_set1_epi32(0xFF), blueRed = _mm512_set1_epi32(0x00FF00FF);
  const __m512i alphaBits = _mm512_set1_epi32(int(0xFF000000u));
  const __m512i colorBR = _mm512_set1_epi32(int(color & 0x00FF00FFu));
  const __m512i colorG = _mm512_set1_epi32(int(color >> 8 & 0xFF));
  const __m512i weightBR = _mm512_set1_epi32(61 << 16 | 21), weightG = _mm512_set1_epi32(174);
  const __m512i strength = _mm512_set1_epi16(short(transparency)), full = _mm512_set1_epi16(255);
  int x = 0;
  for (; x + 16 <= n; x += 16) {
    const __m128i m16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + x));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(m16, _mm_setzero_si128())) == 0xFFFF) continue;
    const __m512i sp = _mm512_loadu_si512(s + x);
    const __m512i pp = _mm512_loadu_si512(p + x);
    const __m512i tp = _mm512_loadu_si512(d + x);
    __m512i g = _mm512_add_epi32(_mm512_madd_epi16(_mm512_and_si512(pp, blueRed), weightBR),
                                 _mm512_madd_epi16(_mm512_and_si512(_mm512_maskz_srli_epi32(kAll16, pp, 8), lowByte), weightG));
    g = _mm512_maskz_srli_epi32(kAll16, g, 8);
    g = _mm512_or_si512(g, _mm512_maskz_slli_epi32(kAll16, g, 16));
    const __m512i oBR = _mm512_mulhi_epu16(_mm512_mullo_epi16(_mm512_and_si512(sp, blueRed), colorBR), g);
    const __m512i oG =
        _mm512_mulhi_epu16(_mm512_mullo_epi16(_mm512_and_si512(_mm512_maskz_srli_epi32(kAll16, sp, 8), lowByte), colorG), g);
    const __m256i pairs = _mm256_set_m128i(_mm_unpackhi_epi8(m16, m16), _mm_unpacklo_epi8(m16, m16));
    __m512i a = _mm512_cvtepu8_epi16(pairs);  // m0 m0 m1 m1 ...
    a = div255(_mm512_mullo_epi16(a, strength));
    const __m512i na = _mm512_sub_epi16(full, a);
    const __m512i rBR =
        div255(_mm512_add_epi16(_mm512_mullo_epi16(oBR, a), _mm512_mullo_epi16(_mm512_and_si512(tp, blueRed), na)));
    const __m512i rG = div255(_mm512_add_epi16(
        _mm512_mullo_epi16(oG, a), _mm512_mullo_epi16(_mm512_and_si512(_mm512_maskz_srli_epi32(kAll16, tp, 8), lowByte), na)));
    const __m512i out =
        _mm512_or_si512(_mm512_or_si512(rBR, _mm512_maskz_slli_epi32(kAll16, rG, 8)), _mm512_and_si512(tp, alphaBits));
    _mm512_storeu_si512(d + x, out);
  }
  return x;
}
#endif

}  // namespace

void ComposeMultiply(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
                     TColor32 color, uint8_t transparency) {
  if (!transparency) return;  // alpha 0 everywhere gives every pixel back unchanged
  const int w = std::min({result.Width(), drape.Width(), photo.Width(), mask.Width()});
  const int h = std::min({result.Height(), drape.Height(), photo.Height(), mask.Height()});
  const bool avx2 = HasAvx2(), avx512 = HasAvx512bw();
  ParallelRowBands(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* d = result.ScanLine(y);
      const TColor32 *s = drape.ScanLine(y), *p = photo.ScanLine(y);
      const uint8_t* m = mask.ScanLine(y);
      int x = 0;
#if defined(KELVANE_HAVE_AVX2_PATHS)
      if (avx512) x = ComposeMultiplyRowAvx512(d, s, p, m, w, color, transparency);
      if (avx2) x += ComposeMultiplyRowAvx2(d + x, s + x, p + x, m + x, w - x, color, transparency);
#endif
      ComposeMultiplyRow(d + x, s + x, p + x, m + x, w - x, color, transparency);
    }
  });
}

void ComposeMultiplyReference(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo,
                              const TByteMap& mask, TColor32 color, uint8_t transparency) {
  const int w = std::min({result.Width(), drape.Width(), photo.Width(), mask.Width()});
  const int h = std::min({result.Height(), drape.Height(), photo.Height(), mask.Height()});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t m = mask.Value(x, y);
      if (m) result.SetPixel(x, y, ComposeMultiplyPixel(result.Pixel(x, y), drape.Pixel(x, y), photo.Pixel(x, y), m,
                                                        color, transparency));
    }
}

void ComposeGlare(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
                  TColor32 color, uint8_t transparency) {
  const uint16_t cr = RedComponent(color), cg = GreenComponent(color), cb = BlueComponent(color);
  Compose(result, drape, photo, mask, transparency, [=](const TPlanes& s, const TPlanes& p, TPlanes& out, int n) {
    for (int i = 0; i < n; ++i) {
      out.r[i] = uint16_t(OverlayChannel(p.r[i], uint16_t(s.r[i] * cr) >> 8));
      out.g[i] = uint16_t(OverlayChannel(p.g[i], uint16_t(s.g[i] * cg) >> 8));
      out.b[i] = uint16_t(OverlayChannel(p.b[i], uint16_t(s.b[i] * cb) >> 8));
    }
  });
}

void FillTiled(TBitmap32& destination, const TBitmap32& pattern) {
  if (pattern.Empty()) return;
  const int w = destination.Width(), pw = pattern.Width();
  for (int y = 0; y < destination.Height(); ++y) {
    const TColor32* s = pattern.ScanLine(y % pattern.Height());
    TColor32* d = destination.ScanLine(y);
    for (int x = 0; x < w; x += pw) std::copy(s, s + std::min(pw, w - x), d + x);
  }
}

void ClearDrape(TBitmap32& result, const TBitmap32& image, const TByteMap& mask) {
  const int w = std::min({result.Width(), image.Width(), mask.Width()});
  const int h = std::min({result.Height(), image.Height(), mask.Height()});
  for (int y = 0; y < h; ++y) {
    TColor32* d = result.ScanLine(y);
    const TColor32* s = image.ScanLine(y);
    const uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < w; ++x)
      if (m[x]) d[x] = s[x];
  }
}

void UniteMask(TByteMap& target, const TByteMap& other) {
  const int w = std::min(target.Width(), other.Width()), h = std::min(target.Height(), other.Height());
  for (int y = 0; y < h; ++y) {
    uint8_t* d = target.ScanLine(y);
    const uint8_t* s = other.ScanLine(y);
    for (int x = 0; x < w; ++x) d[x] = std::max(d[x], s[x]);
  }
}

}  // namespace kelvane
