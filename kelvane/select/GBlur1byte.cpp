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

// out(x, y) = sum over k of in(x, clamp(y - k)) w(k) along the columns, k ascending,
// summed in double precision. Masks are mostly flat: where the whole window of a pixel
// holds one value v the sum is the same as for any other such window, so it is tabled
// per value once (by the very same sequence of additions) and looked up.
void blurColumns(const std::vector<uint8_t>& in, std::vector<uint8_t>& out, int w, int h,
                 const std::vector<float>& kernel) {
  const int s = int(kernel.size() / 2);
  uint8_t flat[256];
  for (int v = 0; v < 256; ++v) {
    double t = 0;
    for (float wk : kernel) t += v * double(wk);
    flat[v] = toByte(t);
  }
  // run[y][x]: how many rows from y downwards hold the value of row y (at most 65535).
  std::vector<uint16_t> run(size_t(w) * h);
  for (int x = 0; x < w; ++x) run[size_t(h - 1) * w + x] = 1;
  for (int y = h - 2; y >= 0; --y) {
    const uint8_t* a = in.data() + size_t(y) * w;
    const uint8_t* b = a + w;
    const uint16_t* below = run.data() + size_t(y + 1) * w;
    uint16_t* r = run.data() + size_t(y) * w;
    for (int x = 0; x < w; ++x) r[x] = a[x] == b[x] ? uint16_t(std::min(below[x] + 1, 65535)) : uint16_t(1);
  }
  ParallelRows(h, w, [&, w, h, s](int y0, int y1) {
    const uint8_t* const src = in.data();
    const float* const kw = kernel.data();
    for (int y = y0; y < y1; ++y) {
      // The rows the clamped window really touches.
      const int top = std::max(0, y - s), bottom = std::min(h - 1, y + s), span = bottom - top;
      const uint16_t* __restrict r = run.data() + size_t(top) * w;
      const uint8_t* __restrict first = src + size_t(top) * w;
      uint8_t* __restrict o = out.data() + size_t(y) * w;
      for (int x = 0; x < w; ++x) o[x] = flat[first[x]];  // right wherever the window is flat
      for (int x = 0; x < w; ++x) {
        if (r[x] > span) continue;
        double t = 0;
        for (int k = -s; k <= s; ++k) t += src[size_t(std::clamp(y - k, 0, h - 1)) * w + x] * double(kw[k + s]);
        o[x] = toByte(t);
      }
    }
  });
}

std::vector<uint8_t> transpose(const uint8_t* in, int w, int h) {
  std::vector<uint8_t> out(size_t(w) * h);
  constexpr int kTile = 64;
  for (int ty = 0; ty < h; ty += kTile)
    for (int tx = 0; tx < w; tx += kTile)
      for (int y = ty; y < std::min(h, ty + kTile); ++y)
        for (int x = tx; x < std::min(w, tx + kTile); ++x) out[size_t(x) * h + y] = in[size_t(y) * w + x];
  return out;
}

}  // namespace

void GBlur(TByteMap& map, double radius) {
  if (!(radius > 0) || map.Empty()) return;
  const std::vector<float> kernel = GBlurKernel(radius);
  const int w = map.Width(), h = map.Height();
  // Rows first: the row pass is the column pass of the transposed map.
  std::vector<uint8_t> t = transpose(map.Bits(), w, h), tb(t.size());
  blurColumns(t, tb, h, w, kernel);
  std::vector<uint8_t> rows = transpose(tb.data(), h, w), out(rows.size());
  blurColumns(rows, out, w, h, kernel);
  std::copy(out.begin(), out.end(), map.Bits());
}

}  // namespace kelvane
