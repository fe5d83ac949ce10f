#include "GBlur1byte.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "../raster/ParallelRows.h"

namespace kelvane {

std::vector<float> GBlurKernel(double radius) {
  float w[201];
  float sum = 0;
  for (int k = -100; k <= 100; ++k) {
    w[k + 100] = float(std::exp(-(double(k) / radius) * (double(k) / radius) / 2));
    sum += w[k + 100];
  }
  for (float& v : w) v /= sum;
  int s = 100;
  float acc = 0;
  while (acc < 1.0f / 510 && s > 1) {
    acc += 2 * w[s + 100];
    --s;
  }
  std::vector<float> kernel(w + 100 - s, w + 100 + s + 1);
  float part = 0;
  for (float v : kernel) part += v;
  for (float& v : kernel) v /= part;
  return kernel;
}

namespace {

inline uint8_t toByte(double t) { return t < 0 ? 0 : t >= 255 ? 255 : uint8_t(t); }

// Sums are k ascending in double precision. Masks are mostly flat: where the whole
// window of a pixel holds one value v its sum is the same as for any other such window,
// so it is tabled per value once, by the very same sequence of additions.
struct FlatTable {
  uint8_t value[256];
  explicit FlatTable(const std::vector<float>& kernel) {
    for (int v = 0; v < 256; ++v) {
      double t = 0;
      for (float wk : kernel) t += v * double(wk);
      value[v] = toByte(t);
    }
  }
};

// Along each row: out(x) = sum over k of in(clamp(x - k)) w(k).
void blurRows(const uint8_t* in, uint8_t* out, int w, int h, const std::vector<float>& kernel, const FlatTable& flat) {
  const int s = int(kernel.size() / 2);
  ParallelRows(h, w, [&, w, s](int y0, int y1) {
    std::vector<uint8_t> run(static_cast<size_t>(w));  // equal values from x rightwards, at most 255
    const float* kw = kernel.data();
    for (int y = y0; y < y1; ++y) {
      const uint8_t* __restrict r = in + size_t(y) * w;
      uint8_t* __restrict o = out + size_t(y) * w;
      run[size_t(w - 1)] = 1;
      for (int x = w - 2; x >= 0; --x) run[size_t(x)] = r[x] == r[x + 1] ? uint8_t(std::min(run[size_t(x) + 1] + 1, 255)) : 1;
      for (int x = 0; x < w; ++x) {
        const int left = std::max(0, x - s), right = std::min(w - 1, x + s);
        if (run[size_t(left)] > right - left) {
          o[x] = flat.value[r[left]];
          continue;
        }
        double t = 0;
        for (int k = -s; k <= s; ++k) t += r[std::clamp(x - k, 0, w - 1)] * double(kw[k + s]);
        o[x] = toByte(t);
      }
    }
  });
}

// Along each column, for every x at once row by row (memory order).
void blurColumns(const uint8_t* in, uint8_t* out, int w, int h, const std::vector<float>& kernel,
                 const FlatTable& flat) {
  const int s = int(kernel.size() / 2);
  // run[y][x]: equal values from row y downwards, at most 255 (a window has at most 201).
  std::vector<uint8_t> run(size_t(w) * h);
  for (int x = 0; x < w; ++x) run[size_t(h - 1) * w + x] = 1;
  for (int y = h - 2; y >= 0; --y) {
    const uint8_t* a = in + size_t(y) * w;
    const uint8_t* b = a + w;
    const uint8_t* below = run.data() + size_t(y + 1) * w;
    uint8_t* r = run.data() + size_t(y) * w;
    for (int x = 0; x < w; ++x) r[x] = a[x] == b[x] ? uint8_t(std::min(below[x] + 1, 255)) : uint8_t(1);
  }
  ParallelRows(h, w, [&, w, h, s](int y0, int y1) {
    const float* const kw = kernel.data();
    for (int y = y0; y < y1; ++y) {
      // The rows the clamped window really touches.
      const int top = std::max(0, y - s), bottom = std::min(h - 1, y + s), span = bottom - top;
      const uint8_t* __restrict r = run.data() + size_t(top) * w;
      const uint8_t* __restrict first = in + size_t(top) * w;
      uint8_t* __restrict o = out + size_t(y) * w;
      for (int x = 0; x < w; ++x) o[x] = flat.value[first[x]];  // right wherever the window is flat
      for (int x = 0; x < w; ++x) {
        if (r[x] > span) continue;
        double t = 0;
        for (int k = -s; k <= s; ++k) t += in[size_t(std::clamp(y - k, 0, h - 1)) * w + x] * double(kw[k + s]);
        o[x] = toByte(t);
      }
    }
  });
}

}  // namespace

void GBlur(TByteMap& map, double radius) {
  if (!(radius > 0) || map.Empty()) return;
  const std::vector<float> kernel = GBlurKernel(radius);
  const FlatTable flat(kernel);
  const int w = map.Width(), h = map.Height();
  std::vector<uint8_t> rows(size_t(w) * h);
  blurRows(map.Bits(), rows.data(), w, h, kernel, flat);
  blurColumns(rows.data(), map.Bits(), w, h, kernel, flat);
}

}  // namespace kelvane
