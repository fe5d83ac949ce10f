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

// out(x, y) = sum over k of in(x, clamp(y - k)) w(k) along the columns, for every x at
// once row by row (memory order), k ascending.
void blurColumns(const std::vector<uint8_t>& in, std::vector<uint8_t>& out, int w, int h,
                 const std::vector<float>& kernel) {
  const int s = int(kernel.size() / 2);
  ParallelRows(h, w, [&](int y0, int y1) {
    std::vector<double> acc(static_cast<size_t>(w));
    for (int y = y0; y < y1; ++y) {
      std::fill(acc.begin(), acc.end(), 0.0);
      for (int k = -s; k <= s; ++k) {
        const uint8_t* row = in.data() + size_t(std::clamp(y - k, 0, h - 1)) * w;
        const double wk = kernel[size_t(k + s)];
        double* a = acc.data();
        for (int x = 0; x < w; ++x) a[x] += row[x] * wk;
      }
      uint8_t* o = out.data() + size_t(y) * w;
      for (int x = 0; x < w; ++x) o[x] = toByte(acc[size_t(x)]);
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
