#include "GBlur1byte.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

using Buffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

inline uint8_t fullSum(const uint8_t* line, ptrdiff_t step, int pos, int size, const float* kw, int s) {
  double t = 0;
  for (int k = -s; k <= s; ++k) t += line[std::clamp(pos - k, 0, size - 1) * step] * double(kw[k + s]);
  return toByte(t);
}

// fullSum for n neighbouring pixels at once: tap(k) gives the n bytes that weight k
// multiplies. Every pixel still adds its products k ascending from 0, so the results are
// fullSum's; only the pixels' independent sums are interleaved, which vectorises.
constexpr int kSpan = 64;
template <class Tap>
void sumSpan(Tap tap, int n, const float* kw, int s, uint8_t* out) {
  for (int i0 = 0; i0 < n; i0 += kSpan) {
    const int m = std::min(kSpan, n - i0);
    double acc[kSpan] = {};
    for (int k = -s; k <= s; ++k) {
      const uint8_t* __restrict p = tap(k) + i0;
      const double wk = double(kw[k + s]);
      for (int i = 0; i < m; ++i) acc[i] += p[i] * wk;
    }
    for (int i = 0; i < m; ++i) out[i0 + i] = toByte(acc[i]);
  }
}

// out[x] = flat.value[in[x]] along a row, a run of one value (most of a mask) a word at a
// time; with `changes`, also every c where in[c] != in[c + 1], ascending.
void flatRow(const uint8_t* in, uint8_t* out, int w, const FlatTable& flat, std::vector<int>* changes) {
  constexpr int kShortRun = 16;  // shorter runs are stored byte by byte, not through memset
  for (int x = 0; x < w;) {
    const uint8_t v = in[x];
    const uint64_t whole = 0x0101010101010101ull * v;
    int e = x + 1;
    for (uint64_t word; e + 8 <= w; e += 8) {
      std::memcpy(&word, in + e, 8);
      if (word != whole) break;
    }
    while (e < w && in[e] == v) ++e;
    if (e - x < kShortRun)
      for (int i = x; i < e; ++i) out[i] = flat.value[v];
    else
      std::memset(out + x, flat.value[v], size_t(e - x));
    if (changes && e < w) changes->push_back(e - 1);
    x = e;
  }
}

// Along each row: out(x) = sum over k of in(clamp(x - k)) w(k). A window is flat unless
// it holds a change between neighbours c and c + 1, which the windows of x = c + 1 - s
// .. c + s do; so every pixel takes its flat value and only those ranges are summed.
void blurRows(const uint8_t* in, uint8_t* out, int width, int h, const std::vector<float>& kernel,
              const FlatTable& flat) {
  ParallelRows(h, width, [&](int y0, int y1) {
    const int w = width, s = int(kernel.size() / 2);
    const float* kw = kernel.data();
    std::vector<uint8_t> padded(size_t(w) + 2 * size_t(s));  // the row with its edges repeated s times
    std::vector<int> changes;
    for (int y = y0; y < y1; ++y) {
      const uint8_t* __restrict r = in + size_t(y) * w;
      uint8_t* __restrict o = out + size_t(y) * w;
      changes.clear();
      flatRow(r, o, w, flat, &changes);
      bool paddedReady = false;
      int done = 0;  // pixels below this are summed already
      for (const int c : changes) {
        const int from = std::max({0, c + 1 - s, done}), to = std::min(w, c + s + 1);
        if (from >= to) continue;
        if (!paddedReady) {
          std::fill(padded.begin(), padded.begin() + s, r[0]);
          std::copy(r, r + w, padded.begin() + s);
          std::fill(padded.begin() + s + w, padded.end(), r[w - 1]);
          paddedReady = true;
        }
        // in(clamp(x - k)) is padded[x - k + s].
        sumSpan([&](int k) { return padded.data() + from - k + s; }, to - from, kw, s, o + from);
        done = to;
      }
    }
  });
}

// Along each column, for every x at once row by row (memory order). changes[x] counts
// the changes between rows c and c + 1 of column x inside the window of the current row
// (c from y - s to y + s - 1), slid down the rows; a column whose count is 0 is flat.
void blurColumns(const uint8_t* in, uint8_t* out, int w, int h, const std::vector<float>& kernel,
                 const FlatTable& flat) {
  const int s = int(kernel.size() / 2);
  ParallelRows(h, w, [&, w, h, s](int y0, int y1) {
    const float* const kw = kernel.data();
    std::vector<uint8_t> changes(size_t(w) + 8, 0);  // at most 2 s <= 200
    auto slide = [&](int c, int delta) {  // the changes between rows c and c + 1 enter or leave
      if (c < 0 || c + 1 >= h) return;
      const uint8_t* __restrict a = in + size_t(c) * w;
      const uint8_t* __restrict b = a + w;
      uint8_t* __restrict n = changes.data();
      for (int x = 0; x < w; ++x) n[x] = uint8_t(n[x] + uint8_t(delta & -int(a[x] != b[x])));
    };
    for (int c = y0 - s; c < y0 + s; ++c) slide(c, 1);
    for (int y = y0; y < y1; ++y) {
      if (y > y0) {
        slide(y - s - 1, -1);
        slide(y + s - 1, 1);
      }
      const uint8_t* __restrict row = in + size_t(y) * w;
      uint8_t* __restrict o = out + size_t(y) * w;
      flatRow(row, o, w, flat, nullptr);
      // Blocks of kSpan columns holding any column that is not flat are summed whole: a
      // flat window's full sum is its table value anyway.
      const uint8_t* n = changes.data();
      for (int x = 0; x < w; x += kSpan) {
        const int end = std::min(w, x + kSpan);
        uint64_t any = 0;
        for (int i = x; i < end; i += 8) {
          uint64_t v;
          std::memcpy(&v, n + i, 8);
          any |= v;
        }
        if (any)
          sumSpan([&](int k) { return in + size_t(std::clamp(y - k, 0, h - 1)) * w + x; }, end - x, kw, s, o + x);
      }
    }
  });
}
}  // namespace

void GBlurReference(TByteMap& map, double radius) {
  if (!(radius > 0) || map.Empty()) return;
  const std::vector<float> kernel = GBlurKernel(radius);
  const int w = map.Width(), h = map.Height(), s = int(kernel.size() / 2);
  std::vector<uint8_t> rows(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[size_t(y) * w + x] = fullSum(map.ScanLine(y), 1, x, w, kernel.data(), s);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) map.ScanLine(y)[x] = fullSum(rows.data() + x, w, y, h, kernel.data(), s);
}

void GBlur(TByteMap& map, double radius) {
  if (!(radius > 0) || map.Empty()) return;
  const std::vector<float> kernel = GBlurKernel(radius);
  const FlatTable flat(kernel);
  const int w = map.Width(), h = map.Height();
  Buffer rows(size_t(w) * h);
  blurRows(map.Bits(), rows.data(), w, h, kernel, flat);
  blurColumns(rows.data(), map.Bits(), w, h, kernel, flat);
}

}  // namespace kelvane
