#include "NPR.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

#include "../raster/ApplyThroughMask.h"
#include "../raster/ParallelRows.h"
#include "Convolution.h"

namespace kelvane {

// The 5 x 5 median by intensity, with ties taken in reading order (rows, then columns,
// of the window). A histogram of the window's intensities slides along each row and the
// median follows it, so a pixel costs a few updates instead of a sort of 25.
TBitmap32 MedianByIntensity(const TBitmap32& t) {
  const int w = t.Width(), h = t.Height(), pw = w + 4;
  // Intensities with a two-pixel border of the outer colour's.
  std::vector<uint8_t> plane(size_t(pw) * (h + 4), Intensity(t.OuterColor));
  for (int y = 0; y < h; ++y) {
    const TColor32* row = t.ScanLine(y);
    uint8_t* p = plane.data() + size_t(y + 2) * pw + 2;
    for (int x = 0; x < w; ++x) p[x] = Intensity(row[x]);
  }
  TBitmap32 m;
  m.CopySettingsFrom(t);
  m.SetSizeUninitialized(w, h);
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const uint8_t* rows[5];
      for (int j = 0; j < 5; ++j) rows[j] = plane.data() + size_t(y + j) * pw;  // window rows y-2..y+2
      int hist[256] = {};
      for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) ++hist[rows[j][i]];
      int med = 0, less = 0;  // the median and how many of the 25 lie below it
      while (less + hist[med] <= 12) less += hist[med++];
      TColor32* out = m.ScanLine(y);
      for (int x = 0; x < w; ++x) {
        if (x > 0) {  // slide: padded column x - 1 leaves, x + 4 enters
          for (int j = 0; j < 5; ++j) {
            const int gone = rows[j][x - 1], come = rows[j][x + 4];
            --hist[gone];
            less -= gone < med;
            ++hist[come];
            less += come < med;
          }
          while (less > 12) less -= hist[--med];
          while (less + hist[med] <= 12) less += hist[med++];
        }
        // The (12 - less)-th pixel of median intensity in reading order.
        int rank = 12 - less;
        for (int j = 0; j < 5; ++j)
          for (int i = 0; i < 5; ++i)
            if (rows[j][x + i] == med && rank-- == 0) {
              out[x] = t.Pixel(x + i - 2, y + j - 2);
              j = 5;
              break;
            }
      }
    }
  });
  return m;
}

void WaterColorFilter(TBitmap32& target, const TByteMap* mask) {
  TBitmap32 m = MedianByIntensity(target);
  SharpenFilter(m, mask);
  ApplyThroughMask(m, target, mask);
}

TBitmap32 Remap(const TBitmap32& s, int d) {
  if (d == 0) return s;
  TBitmap32 out = s;
  const int w = s.Width(), h = s.Height();
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* row = out.ScanLine(y);
      for (int x = 0; x < w; ++x) {
        const double q = 0.6 * (x - w / 2.0) * (x - w / 2.0);
        const double r = 0.8 * std::sqrt((y - h / 2.0) * (y - h / 2.0) + q);
        const double sn = std::sin(r);
        row[x] = s.Pixel(int(std::nearbyint(sn * d / 5 + x)), int(std::nearbyint(sn * d / 8 + y)));
      }
    }
  });
  return out;
}

void AddNoise(TBitmap32& b, int n, uint32_t seed) {
  std::mt19937 gen(seed);
  auto* bytes = reinterpret_cast<uint8_t*>(b.Bits());
  for (size_t i = 0, count = size_t(b.Width()) * b.Height() * 4; i < count; ++i) {
    int c = bytes[i];
    if (c < n) c += n;
    if (c + n > 255) c -= n;
    const int r = n > 0 ? std::uniform_int_distribution<int>(0, n - 1)(gen) : 0;
    bytes[i] = uint8_t(std::clamp(c + n / 2 - r, 0, 255));
  }
}

void NPRFilter(TBitmap32& t, const TNPRParams& p, const TByteMap* mask, TProgress* progress, uint32_t seed) {
  if (progress) progress->Begin("Apply NPR Filter", 8);
  auto step = [&] {
    if (progress) progress->Step();
  };
  TBitmap32 e = t;
  for (TColor32* px = e.Bits(); px != e.Bits() + size_t(e.Width()) * e.Height(); ++px) {
    const uint8_t v = Intensity(*px);
    *px = Color32(v, v, v);
  }
  step();
  if (p.mode == TEdgeMode::Sobel)
    SobelFilter(e, mask);
  else
    FindEdgeFilter(e, mask);
  step();
  for (TColor32* px = e.Bits(); px != e.Bits() + size_t(e.Width()) * e.Height(); ++px) {
    const uint8_t v = Intensity(*px);
    *px = Color32(v, v, v, uint8_t(255 - v));  // dark lines opaque, white transparent
  }
  step();
  TBitmap32 d = Remap(e, p.distortion);
  step();
  TBitmap32 f = t;
  d.DrawMode = TDrawMode::dmBlend;
  d.MasterAlpha = uint8_t(std::clamp(p.edgeIntensity, 0, 255));
  d.DrawTo(f, 0, 0);
  step();
  WaterColorFilter(f, mask);
  step();
  const uint32_t s = seed ? seed : uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
  AddNoise(f, std::clamp(p.noise, 0, 100), s);
  step();
  ApplyThroughMask(f, t, mask);
  step();
  if (progress) progress->End();
}

}  // namespace kelvane
