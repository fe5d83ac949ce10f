#include "RotateByAngle.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "CpuFeatures.h"
#include "ParallelRows.h"

namespace kelvane {
namespace {

// floor() for values well inside the int range, without a library call.
inline int fastFloor(double v) {
  const int i = int(v);
  return v < i ? i - 1 : i;
}

// The rotation's geometry: output pixel (x, y) takes the source point that the inverse
// rotation brings its centre to,
//   sx = c dx + s dy + cx - 0.5,  sy = -s dx + c dy + cy - 0.5,
// with dx = x + 0.5 - cx, dy = y + 0.5 - cy, evaluated left to right in doubles.
struct Rotation {
  const TBitmap32& b;
  int w, h;
  double c, s, cx, cy;
  bool linear;

  Rotation(const TBitmap32& bitmap, double degrees)
      : b(bitmap), w(bitmap.Width()), h(bitmap.Height()), cx(w / 2.0), cy(h / 2.0),
        linear(bitmap.StretchFilter == TStretchFilter::sfLinear) {
    const double a = degrees * std::numbers::pi / 180;
    c = std::cos(a);
    s = std::sin(a);
  }

  // The source pixel, its one-pixel border transparent; beyond the border the nearest
  // border pixel is read.
  TColor32 at(int px, int py) const {
    const int qx = std::clamp(px, 0, w - 1), qy = std::clamp(py, 0, h - 1);
    const TColor32 p = b.ScanLine(qy)[qx];
    return (qx == 0 || qy == 0 || qx == w - 1 || qy == h - 1) ? p & 0x00FFFFFFu : p;
  }

  // The output pixel for the source point (sx, sy), over opaque black.
  TColor32 pixel(double sx, double sy) const {
    TColor32 p = 0;  // uncovered: stays black
    if (sx >= -1 && sy >= -1 && sx < w && sy < h) {
      if (linear) {
        const int ix = fastFloor(sx), iy = fastFloor(sy);
        const uint32_t wx = uint32_t((sx - ix) * 256 + 0.5), wy = uint32_t((sy - iy) * 256 + 0.5);
        p = LerpPixel(LerpPixel(at(ix, iy), at(ix + 1, iy), wx), LerpPixel(at(ix, iy + 1), at(ix + 1, iy + 1), wx),
                      wy);
      } else {
        const int ix = fastFloor(sx + 0.5), iy = fastFloor(sy + 0.5);
        if (ix >= 0 && iy >= 0 && ix < w && iy < h) p = at(ix, iy);
      }
    }
    return BlendPixel(p, 0xFF000000u);
  }

  TColor32 pixel(int x, int y) const {
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    return pixel(c * dx + s * dy + cx - 0.5, -s * dx + c * dy + cy - 0.5);
  }
};

TBitmap32 blankLike(const TBitmap32& b) {
  TBitmap32 out;
  out.CopySettingsFrom(b);
  out.SetSizeUninitialized(b.Width(), b.Height());
  return out;
}

#if defined(__SSE2__)
// Four output pixels of a linear rotation whose taps all lie clear of the border, from
// the top-left tap (ix, iy) and the weights (wx, wy) of each: both rows lerped along x,
// then the two results along y, in 16-bit lanes as LerpPixel does (no lane can reach
// 65536); then over opaque black, each colour channel Div255(channel x alpha).
[[gnu::always_inline]] inline __m128i bilinearFour(const TColor32* src, int w, const int* ix, const int* iy, __m128i wx, __m128i wy) {
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(256), half = _mm_set1_epi16(128);
  auto lerp = [&](__m128i a, __m128i b, __m128i wb) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, _mm_sub_epi16(full, wb)), _mm_mullo_epi16(b, wb));
    return _mm_srli_epi16(_mm_add_epi16(t, half), 8);
  };
  // Weights of pixels k, k + 1 as [w_k x 4, w_k+1 x 4] 16-bit lanes.
  const __m128i wx16 = _mm_packs_epi32(wx, wx), wy16 = _mm_packs_epi32(wy, wy);
  const __m128i wxs = _mm_unpacklo_epi16(wx16, wx16), wys = _mm_unpacklo_epi16(wy16, wy16);
  const __m128i wxLanes[2] = {_mm_unpacklo_epi32(wxs, wxs), _mm_unpackhi_epi32(wxs, wxs)};
  const __m128i wyLanes[2] = {_mm_unpacklo_epi32(wys, wys), _mm_unpackhi_epi32(wys, wys)};
  __m128i two[2];
  for (int k = 0; k < 4; k += 2) {
    const TColor32* p = src + size_t(iy[k]) * w + ix[k];
    const TColor32* q = src + size_t(iy[k + 1]) * w + ix[k + 1];
    // [P00 P01 Q00 Q01] reordered to [P00 Q00 P01 Q01], for each of the two rows.
    const __m128i top = _mm_shuffle_epi32(
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q))),
        _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i bottom = _mm_shuffle_epi32(
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + w)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q + w))),
        _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i wxk = wxLanes[k / 2];
    const __m128i t = lerp(_mm_unpacklo_epi8(top, zero), _mm_unpackhi_epi8(top, zero), wxk);
    const __m128i u = lerp(_mm_unpacklo_epi8(bottom, zero), _mm_unpackhi_epi8(bottom, zero), wxk);
    const __m128i v = lerp(t, u, wyLanes[k / 2]);
    // Over black: channel x alpha / 255, rounded; alpha becomes 255.
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF);
    const __m128i m = _mm_add_epi16(_mm_mullo_epi16(v, alpha), half);
    two[k / 2] = _mm_srli_epi16(_mm_add_epi16(m, _mm_srli_epi16(m, 8)), 8);
  }
  return _mm_or_si128(_mm_packus_epi16(two[0], two[1]), _mm_set1_epi32(int(0xFF000000u)));
}

// floor(v) of two doubles in the int range, and v - floor(v).
[[gnu::always_inline]] inline __m128i floorTwo(__m128d v, __m128d& fraction) {
  const __m128i t = _mm_cvttpd_epi32(v);
  const __m128d ft = _mm_cvtepi32_pd(t);
  const __m128i below = _mm_castpd_si128(_mm_cmplt_pd(v, ft));  // all ones where v < trunc(v)
  // Low two 32-bit lanes of each 64-bit mask into the low half, as -1 or 0.
  const __m128i down = _mm_shuffle_epi32(below, _MM_SHUFFLE(3, 3, 2, 0));
  const __m128i f = _mm_add_epi32(t, _mm_and_si128(down, _mm_set_epi32(0, 0, -1, -1)));
  fraction = _mm_sub_pd(v, _mm_cvtepi32_pd(f));
  return f;
}

// (fraction x 256 + 0.5) truncated, as the per-pixel rule rounds its weights.
[[gnu::always_inline]] inline __m128i weightTwo(__m128d fraction) {
  return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(fraction, _mm_set1_pd(256)), _mm_set1_pd(0.5)));
}

// The vector loop of one row of a linear rotation, four pixels at a time; groups with a
// tap on or beyond the border go pixel by pixel. Returns how far it got.
[[gnu::always_inline]] inline int rotateRowLinear(const Rotation& rot, const double* cdx, const double* sdx, int y,
                                                  TColor32* row) {
  const int w = rot.w, h = rot.h;
  const double dy = y + 0.5 - rot.cy, sdy = rot.s * dy, cdy = rot.c * dy;
  int x = 0;
  const __m128d vsdy = _mm_set1_pd(sdy), vcdy = _mm_set1_pd(cdy), vcx = _mm_set1_pd(rot.cx),
                vcy = _mm_set1_pd(rot.cy), vhalf = _mm_set1_pd(0.5);
  // Taps clear of the border: 1 <= ix and ix + 2 < w, likewise for iy.
  const __m128i xLimit = _mm_set1_epi32(w - 2), yLimit = _mm_set1_epi32(h - 2);
  alignas(16) int ix[4], iy[4];
  for (; x + 4 <= w; x += 4) {
    __m128d fx0, fx1, fy0, fy1;
    const __m128d sx0 = _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_loadu_pd(cdx + x), vsdy), vcx), vhalf);
    const __m128d sx1 = _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_loadu_pd(cdx + x + 2), vsdy), vcx), vhalf);
    const __m128d sy0 = _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_loadu_pd(sdx + x), vcdy), vcy), vhalf);
    const __m128d sy1 = _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_loadu_pd(sdx + x + 2), vcdy), vcy), vhalf);
    const __m128i vix = _mm_unpacklo_epi64(floorTwo(sx0, fx0), floorTwo(sx1, fx1));
    const __m128i viy = _mm_unpacklo_epi64(floorTwo(sy0, fy0), floorTwo(sy1, fy1));
    // Far outside the int range the conversions give INT_MIN, which fails the test too.
    const __m128i inside =
        _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi32(vix, _mm_setzero_si128()), _mm_cmplt_epi32(vix, xLimit)),
                      _mm_and_si128(_mm_cmpgt_epi32(viy, _mm_setzero_si128()), _mm_cmplt_epi32(viy, yLimit)));
    if (_mm_movemask_epi8(inside) != 0xFFFF) {
      for (int k = 0; k < 4; ++k) row[x + k] = rot.pixel(x + k, y);
      continue;
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(ix), vix);
    _mm_store_si128(reinterpret_cast<__m128i*>(iy), viy);
    const __m128i wx = _mm_unpacklo_epi64(weightTwo(fx0), weightTwo(fx1));
    const __m128i wy = _mm_unpacklo_epi64(weightTwo(fy0), weightTwo(fy1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), bilinearFour(rot.b.Bits(), w, ix, iy, wx, wy));
  }
  return x;
}

#if defined(KELVANE_HAVE_AVX2_PATHS)
// The same loop in AVX encoding (three-operand instructions, no register copies).
KELVANE_TARGET_AVX2 int rotateRowLinearAvx2(const Rotation& rot, const double* cdx, const double* sdx, int y,
                                            TColor32* row) {
  return rotateRowLinear(rot, cdx, sdx, y, row);
}
#endif
#endif

}  // namespace

TBitmap32 RotateByAngle(const TBitmap32& b, double degrees) {
  TBitmap32 out = blankLike(b);
  if (b.Empty()) return out;
  const Rotation rot(b, degrees);
  const int w = rot.w, h = rot.h;
  // c dx and -s dx depend on the column only: the same products the per-pixel rule forms.
  std::vector<double> cdx(size_t(w) + 4), sdx(size_t(w) + 4);
  for (int x = 0; x < w + 4; ++x) {
    const double dx = x + 0.5 - rot.cx;
    cdx[size_t(x)] = rot.c * dx;
    sdx[size_t(x)] = -rot.s * dx;
  }
  const bool avx2 = HasAvx2();
  ParallelRowBands(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* row = out.ScanLine(y);
      int x = 0;
#if defined(__SSE2__)
      if (rot.linear) {
#if defined(KELVANE_HAVE_AVX2_PATHS)
        x = avx2 ? rotateRowLinearAvx2(rot, cdx.data(), sdx.data(), y, row)
                 : rotateRowLinear(rot, cdx.data(), sdx.data(), y, row);
#else
        x = rotateRowLinear(rot, cdx.data(), sdx.data(), y, row);
#endif
      }
#endif
      for (; x < w; ++x) row[x] = rot.pixel(x, y);
    }
  });
  return out;
}

TBitmap32 RotateByAngleReference(const TBitmap32& b, double degrees) {
  TBitmap32 out = blankLike(b);
  const Rotation rot(b, degrees);
  for (int y = 0; y < rot.h; ++y)
    for (int x = 0; x < rot.w; ++x) out.ScanLine(y)[x] = rot.pixel(x, y);
  return out;
}

}  // namespace kelvane
