#include "Convolution.h"

#include <algorithm>
#include <vector>

#include "../raster/ApplyThroughMask.h"
#include "RowBands.h"

namespace kelvane {

void Convolve3x3(const TKernel3x3& k, int divisor, TBitmap32& bitmap) {
  TBitmap32 out;
  Convolve3x3(k, divisor, bitmap, out);
  bitmap = std::move(out);
}

bool Convolve3x3(const TKernel3x3& k, int divisor, const TBitmap32& src, TBitmap32& out, const TProgress* progress) {
  const int w = src.Width(), h = src.Height();
  // The output takes the source's settings; its pixels are reused when the size fits.
  if (out.Width() != w || out.Height() != h) out.SetSizeUninitialized(w, h);
  out.OuterColor = src.OuterColor;
  out.DrawMode = src.DrawMode;
  out.MasterAlpha = src.MasterAlpha;
  out.StretchFilter = src.StretchFilter;
  if (w == 0 || h == 0 || divisor == 0) return true;
  // Byte by byte over three padded rows (the edge pixel repeated at both ends, the edge
  // row repeated above and below), every product and sum in 16 bits, which the compiler
  // turns into wide vector code. A divisor that is a power of two divides by shifting,
  // rounded towards zero like the division.
  int shift = -1;
  for (int b = 0; b < 16; ++b)
    if (divisor == (1 << b)) shift = b;
  const int bytes = w * 4;
  return ParallelRowsUnlessStopped(h, w, progress, [&](int y0, int y1) {
    std::vector<TColor32> padded(size_t(w + 2) * 3);
    std::vector<uint8_t> line(static_cast<size_t>(bytes));
    auto pad = [&](int row, int slot) {
      const TColor32* s = src.ScanLine(std::clamp(row, 0, h - 1));
      TColor32* d = padded.data() + size_t(slot) * (w + 2);
      d[0] = s[0];
      std::copy(s, s + w, d + 1);
      d[w + 1] = s[w - 1];
    };
    // Local copies: the byte stores below could otherwise alias the captured sizes.
    const int n = bytes, width = w;
    for (int y = y0; y < y1; ++y) {
      for (int r = 0; r < 3; ++r) pad(y - 1 + r, r);
      const auto* r0 = reinterpret_cast<const uint8_t*>(padded.data());
      const auto* r1 = r0 + size_t(w + 2) * 4;
      const auto* r2 = r1 + size_t(w + 2) * 4;
      uint8_t* o = line.data();
      const int16_t k0 = int16_t(k[0]), k1 = int16_t(k[1]), k2 = int16_t(k[2]), k3 = int16_t(k[3]),
                    k4 = int16_t(k[4]), k5 = int16_t(k[5]), k6 = int16_t(k[6]), k7 = int16_t(k[7]), k8 = int16_t(k[8]);
      // Above 254 gives 255 and 0 or less gives 0: the same as clamping to 0..255.
      if (shift >= 0) {
        const int16_t round = int16_t((1 << shift) - 1);
        const int sh = shift;
        for (int i = 0; i < n; ++i) {
          const int16_t s = int16_t(k0 * r0[i] + k1 * r0[i + 4] + k2 * r0[i + 8] + k3 * r1[i] + k4 * r1[i + 4] +
                                    k5 * r1[i + 8] + k6 * r2[i] + k7 * r2[i + 4] + k8 * r2[i + 8]);
          const int16_t v = int16_t(int16_t(s + ((s >> 15) & round)) >> sh);
          o[i] = uint8_t(std::min<int16_t>(std::max<int16_t>(v, 0), 255));
        }
      } else {
        for (int i = 0; i < n; ++i) {
          const int s = k0 * r0[i] + k1 * r0[i + 4] + k2 * r0[i + 8] + k3 * r1[i] + k4 * r1[i + 4] + k5 * r1[i + 8] +
                        k6 * r2[i] + k7 * r2[i + 4] + k8 * r2[i + 8];
          o[i] = uint8_t(std::clamp(s / divisor, 0, 255));
        }
      }
      // Alpha is not filtered.
      const TColor32* in = src.ScanLine(y);
      TColor32* dst = out.ScanLine(y);
      const auto* filtered = reinterpret_cast<const TColor32*>(line.data());
      for (int x = 0; x < width; ++x) dst[x] = (in[x] & 0xFF000000u) | (filtered[x] & 0x00FFFFFFu);
    }
  });
}

namespace {

bool convolveAndApply(const TKernel3x3& k, int divisor, TBitmap32& target, const TByteMap* mask,
                      const TProgress* progress) {
  TBitmap32 filtered;
  if (!Convolve3x3(k, divisor, target, filtered, progress)) return false;
  if (mask)
    ApplyThroughMask(filtered, target, mask);
  else
    target = std::move(filtered);  // what ApplyThroughMask gives without a mask, without the copy
  return true;
}

}  // namespace

bool BlurFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress) {
  return convolveAndApply({3, 3, 3, 3, 8, 3, 3, 3, 3}, 32, target, mask, progress);
}

bool SharpenFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress) {
  return convolveAndApply({-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8, target, mask, progress);
}

bool SobelFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress) {
  TBitmap32 copy;
  if (!Convolve3x3({-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1, target, copy, progress)) return false;
  // Tone curve: dark edges on white.
  for (TColor32* p = copy.Bits(); p != copy.Bits() + size_t(copy.Width()) * copy.Height(); ++p) {
    const int a = 255 - Intensity(*p);
    const int v = a <= 8 ? a / 2 : std::min(2 * a, 255);
    *p = Color32(uint8_t(v), uint8_t(v), uint8_t(v));
  }
  ApplyThroughMask(copy, target, mask);
  return true;
}

// The eight compass kernels each weigh the centre -2, three neighbours in a row round
// the ring -1 and the other five +1. With T the sum of the eight neighbours and Q the
// sum of the three, a kernel's sum is T - 2 Q - 2 centre, so the largest of the eight is
// T - 2 centre - 2 min Q, over the eight runs of three round the ring; clamping to 0..255
// commutes with taking the largest. One pass then gives what eight convolutions and their
// maximum give.
bool FindEdgeFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress) {
  const int w = target.Width(), h = target.Height();
  TBitmap32 edges;  // fresh settings, as the reference's accumulator has
  if (w == 0 || h == 0) {
    ApplyThroughMask(edges, target, mask);
    return true;
  }
  edges.SetSizeUninitialized(w, h);
  const bool done = ParallelRowsUnlessStopped(h, w, progress, [&](int y0, int y1) {
    std::vector<TColor32> padded(size_t(w + 2) * 3);
    auto pad = [&](int row, int slot) {
      const TColor32* s = target.ScanLine(std::clamp(row, 0, h - 1));
      TColor32* d = padded.data() + size_t(slot) * (w + 2);
      d[0] = s[0];
      std::copy(s, s + w, d + 1);
      d[w + 1] = s[w - 1];
    };
    const int n = w * 4;
    for (int y = y0; y < y1; ++y) {
      for (int r = 0; r < 3; ++r) pad(y - 1 + r, r);
      const auto* __restrict r0 = reinterpret_cast<const uint8_t*>(padded.data());
      const auto* __restrict r1 = r0 + size_t(w + 2) * 4;
      const auto* __restrict r2 = r1 + size_t(w + 2) * 4;
      auto* __restrict o = reinterpret_cast<uint8_t*>(edges.ScanLine(y));
      for (int i = 0; i < n; ++i) {
        // The ring from the top left, clockwise.
        const int16_t a0 = r0[i], a1 = r0[i + 4], a2 = r0[i + 8], a3 = r1[i + 8], a4 = r2[i + 8], a5 = r2[i + 4],
                      a6 = r2[i], a7 = r1[i];
        const int16_t total = int16_t(a0 + a1 + a2 + a3 + a4 + a5 + a6 + a7);
        const int16_t q0 = int16_t(a0 + a1 + a2), q1 = int16_t(a1 + a2 + a3), q2 = int16_t(a2 + a3 + a4),
                      q3 = int16_t(a3 + a4 + a5), q4 = int16_t(a4 + a5 + a6), q5 = int16_t(a5 + a6 + a7),
                      q6 = int16_t(a6 + a7 + a0), q7 = int16_t(a7 + a0 + a1);
        const int16_t q = std::min(std::min(std::min(q0, q1), std::min(q2, q3)), std::min(std::min(q4, q5), std::min(q6, q7)));
        const int16_t v = int16_t(total - 2 * (r1[i + 4] + q));
        o[i] = uint8_t(255 - std::min<int16_t>(std::max<int16_t>(v, 0), 255));
      }
      // Alpha: the maximum leaves it 0, and the inversion makes it opaque.
      TColor32* px = edges.ScanLine(y);
      for (int x = 0; x < w; ++x) px[x] |= 0xFF000000u;
    }
  });
  if (!done) return false;
  ApplyThroughMask(edges, target, mask);
  return true;
}

void FindEdgeFilterReference(TBitmap32& target, const TByteMap* mask) {
  static const TKernel3x3 kCompass[8] = {
      {1, 1, 1, 1, -2, -1, 1, -1, -1},  {-1, -1, 1, -1, -2, 1, 1, 1, 1}, {1, -1, -1, 1, -2, -1, 1, 1, 1},
      {1, 1, 1, -1, -2, 1, -1, -1, 1},  {-1, -1, -1, 1, -2, 1, 1, 1, 1}, {1, 1, 1, 1, -2, 1, -1, -1, -1},
      {1, 1, -1, 1, -2, -1, 1, 1, -1},  {-1, 1, 1, -1, -2, 1, -1, 1, 1}};
  TBitmap32 acc(target.Width(), target.Height(), 0), copy;
  for (const TKernel3x3& k : kCompass) {
    Convolve3x3(k, 1, target, copy);
    const TColor32* c = copy.Bits();
    TColor32* a = acc.Bits();
    for (size_t i = 0, n = size_t(acc.Width()) * acc.Height(); i < n; ++i) {
      const TColor32 x = a[i], y = c[i];
      a[i] = TColor32(std::max(RedComponent(x), RedComponent(y))) << 16 |
             TColor32(std::max(GreenComponent(x), GreenComponent(y))) << 8 | std::max(BlueComponent(x), BlueComponent(y));
    }
  }
  for (TColor32* p = acc.Bits(); p != acc.Bits() + size_t(acc.Width()) * acc.Height(); ++p) *p = ~*p;
  ApplyThroughMask(acc, target, mask);
}

void BlurEdge(TBitmap32& b, const TByteMap& mask) {
  const int w = b.Width(), h = b.Height();
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) {
      if (mask.Value(x, y) != 0) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1 && !edge; ++dx) edge = (dx || dy) && mask.Value(x + dx, y + dy) != 0;
      if (!edge) continue;
      const TColor32 n[4] = {b.Pixel(x + 1, y), b.Pixel(x - 1, y), b.Pixel(x, y - 1), b.Pixel(x, y + 1)};
      uint32_t out = 0xFF000000u;
      for (int shift : {16, 8, 0}) {
        uint32_t s = 0;
        for (TColor32 c : n) s += (c >> shift) & 0xFF;
        out |= (s >> 2) << shift;
      }
      b.SetPixel(x, y, out);
    }
  }
}

}  // namespace kelvane
