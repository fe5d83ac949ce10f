#include "NPR.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <random>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "../raster/ApplyThroughMask.h"
#include "../raster/ParallelRows.h"
#include "Convolution.h"
#include "RowBands.h"

namespace kelvane {

// The 5 x 5 median by intensity, with ties taken in reading order (rows, then columns,
// of the window): each pixel is the 13th of its 25 keys intensity * 32 + window index,
// which are all different.
TBitmap32 MedianByIntensityReference(const TBitmap32& t) {
  const int w = t.Width(), h = t.Height();
  TBitmap32 m;
  m.CopySettingsFrom(t);
  m.SetSizeUninitialized(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int keys[25];
      for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) keys[j * 5 + i] = Intensity(t.Pixel(x + i - 2, y + j - 2)) * 32 + j * 5 + i;
      std::nth_element(keys, keys + 12, keys + 25);
      const int k = keys[12] & 31;
      m.ScanLine(y)[x] = t.Pixel(x + k % 5 - 2, y + k / 5 - 2);
    }
  return m;
}

namespace {

// A network of compare-exchanges that leaves the 13th smallest of 25 values on wire 12:
// the odd-even merge sort of 32 wires with wires 25..31 holding "infinity", pruned of
// every comparator that cannot move a finite value and of every result the median does
// not depend on (a comparator whose maximum alone is used keeps only the maximum, and so
// on). It is built once, at compile time.
struct MedianOp {
  uint8_t a, b;  // a < b: the minimum goes to a, the maximum to b
  bool min, max;
};
struct MedianNetwork {
  MedianOp ops[200] = {};
  int count = 0;
};

constexpr MedianNetwork buildMedianNetwork() {
  MedianOp all[256] = {};
  int n = 0;
  for (int p = 1; p < 32; p *= 2)
    for (int k = p; k >= 1; k /= 2)
      for (int j = k % p; j + k < 32; j += 2 * k)
        for (int i = 0; i < k && i + j + k < 32; ++i)
          if ((i + j) / (p * 2) == (i + j + k) / (p * 2)) all[n++] = {uint8_t(i + j), uint8_t(i + j + k), true, true};
  bool infinite[32] = {};
  for (int i = 25; i < 32; ++i) infinite[i] = true;
  MedianOp finite[256] = {};
  int m = 0;
  for (int i = 0; i < n; ++i) {
    const MedianOp o = all[i];
    if (infinite[o.b]) continue;  // the minimum is wire a's value either way
    if (infinite[o.a]) return {};  // would move a value: never the case for this network
    finite[m++] = o;
  }
  bool needed[32] = {};
  needed[12] = true;
  MedianOp kept[256] = {};
  int q = 0;
  for (int i = m - 1; i >= 0; --i) {
    MedianOp o = finite[i];
    o.min = needed[o.a];
    o.max = needed[o.b];
    if (!o.min && !o.max) continue;
    needed[o.a] = needed[o.b] = true;
    kept[q++] = o;
  }
  MedianNetwork net;
  for (int i = 0; i < q; ++i) net.ops[i] = kept[q - 1 - i];
  net.count = q;
  return net;
}

constexpr MedianNetwork kMedianNetwork = buildMedianNetwork();
static_assert(kMedianNetwork.count > 0 && kMedianNetwork.count <= 200);

// Eight 16-bit lanes.
#if defined(__SSE2__)
using Lanes = __m128i;
inline Lanes loadLanes(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline Lanes addLanes(Lanes v, int16_t c) { return _mm_add_epi16(v, _mm_set1_epi16(c)); }
inline Lanes minLanes(Lanes a, Lanes b) { return _mm_min_epi16(a, b); }
inline Lanes maxLanes(Lanes a, Lanes b) { return _mm_max_epi16(a, b); }
inline void storeLanes(int16_t* p, Lanes v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
#else
struct Lanes {
  int16_t v[8];
};
inline Lanes loadLanes(const int16_t* p) {
  Lanes r;
  std::copy(p, p + 8, r.v);
  return r;
}
inline Lanes addLanes(Lanes a, int16_t c) {
  for (int16_t& x : a.v) x = int16_t(x + c);
  return a;
}
inline Lanes minLanes(Lanes a, Lanes b) {
  for (int i = 0; i < 8; ++i) a.v[i] = std::min(a.v[i], b.v[i]);
  return a;
}
inline Lanes maxLanes(Lanes a, Lanes b) {
  for (int i = 0; i < 8; ++i) a.v[i] = std::max(a.v[i], b.v[i]);
  return a;
}
inline void storeLanes(int16_t* p, Lanes v) { std::copy(v.v, v.v + 8, p); }
#endif

template <size_t... I>
inline void runMedianNetwork(Lanes* v, std::index_sequence<I...>) {
  auto step = [v](const MedianOp& o) {
    const Lanes a = v[o.a], b = v[o.b];
    if (o.min) v[o.a] = minLanes(a, b);
    if (o.max) v[o.b] = maxLanes(a, b);
  };
  (step(kMedianNetwork.ops[I]), ...);
}

}  // namespace

// Eight pixels at a time through the median network on the 25 keys; the key left on the
// median's wire names the window position to copy from.
TBitmap32 MedianByIntensity(const TBitmap32& t, const TProgress* progress) {
  const int w = t.Width(), h = t.Height(), pw = w + 4 + 8;  // room for a last group of eight
  TBitmap32 m;
  m.CopySettingsFrom(t);
  m.SetSizeUninitialized(w, h);
  if (w == 0 || h == 0) return m;
  // Intensities times 32 with a two-pixel border of the outer colour's (and the group
  // room at the right).
  std::vector<int16_t, DefaultInitAllocator<int16_t>> plane(size_t(pw) * (h + 4));
  const int16_t outer = int16_t(Intensity(t.OuterColor) * 32);
  ParallelRows(h + 4, pw, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      int16_t* p = plane.data() + size_t(y) * pw;
      if (y < 2 || y >= h + 2) {
        std::fill(p, p + pw, outer);
        continue;
      }
      const TColor32* row = t.ScanLine(y - 2);
      p[0] = p[1] = outer;
      for (int x = 0; x < w; ++x) p[x + 2] = int16_t(Intensity(row[x]) * 32);
      std::fill(p + w + 2, p + pw, outer);
    }
  });
  ParallelRowsUnlessStopped(h, w, progress, [&](int y0, int y1) {
    alignas(16) int16_t keys[8];
    for (int y = y0; y < y1; ++y) {
      TColor32* out = m.ScanLine(y);
      for (int x = 0; x < w; x += 8) {
        Lanes v[32];
        for (int j = 0; j < 5; ++j)
          for (int i = 0; i < 5; ++i)
            v[j * 5 + i] = addLanes(loadLanes(plane.data() + size_t(y + j) * pw + x + i), int16_t(j * 5 + i));
        runMedianNetwork(v, std::make_index_sequence<size_t(kMedianNetwork.count)>());
        storeLanes(keys, v[12]);
        for (int l = 0; l < 8 && x + l < w; ++l) {
          const int k = keys[l] & 31, dx = k % 5 - 2, dy = k / 5 - 2;
          out[x + l] = t.Pixel(x + l + dx, y + dy);
        }
      }
    }
  });
  return m;
}

bool WaterColorFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress) {
  TBitmap32 m = MedianByIntensity(target, progress);
  if (Stopped(progress) || !SharpenFilter(m, mask, progress)) return false;
  ApplyThroughMask(m, target, mask);
  return true;
}

TBitmap32 Remap(const TBitmap32& s, int d, const TProgress* progress) {
  if (d == 0) return s;
  TBitmap32 out = s;
  const int w = s.Width(), h = s.Height();
  ParallelRowsUnlessStopped(h, w, progress, [&](int y0, int y1) {
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

bool AddNoise(TBitmap32& b, int n, uint32_t seed, const TProgress* progress) {
  // One generator in byte order: the bands run one after another on this thread.
  std::mt19937 gen(seed);
  const size_t count = size_t(b.Width()) * b.Height() * 4,
               band = size_t(CancelBandRows(b.Width())) * size_t(b.Width()) * 4;
  auto* bytes = reinterpret_cast<uint8_t*>(b.Bits());
  for (size_t start = 0; start < count; start += band) {
    if (Stopped(progress)) return false;
    for (size_t i = start, end = std::min(count, start + band); i < end; ++i) {
      int c = bytes[i];
      if (c < n) c += n;
      if (c + n > 255) c -= n;
      const int r = n > 0 ? std::uniform_int_distribution<int>(0, n - 1)(gen) : 0;
      bytes[i] = uint8_t(std::clamp(c + n / 2 - r, 0, 255));
    }
  }
  return true;
}

bool NPRFilter(TBitmap32& t, const TNPRParams& p, const TByteMap* mask, TProgress* progress, uint32_t seed) {
  if (progress) progress->Begin("Apply NPR Filter", 8);
  TBitmap32 e, d, f;
  const std::function<void()> stages[] = {
      [&] {
        e = t;
        for (TColor32* px = e.Bits(); px != e.Bits() + size_t(e.Width()) * e.Height(); ++px) {
          const uint8_t v = Intensity(*px);
          *px = Color32(v, v, v);
        }
      },
      [&] {
        if (p.mode == TEdgeMode::Sobel)
          SobelFilter(e, mask, progress);
        else
          FindEdgeFilter(e, mask, progress);
      },
      [&] {
        for (TColor32* px = e.Bits(); px != e.Bits() + size_t(e.Width()) * e.Height(); ++px) {
          const uint8_t v = Intensity(*px);
          *px = Color32(v, v, v, uint8_t(255 - v));  // dark lines opaque, white transparent
        }
      },
      [&] { d = Remap(e, p.distortion, progress); },
      [&] {
        f = t;
        d.DrawMode = TDrawMode::dmBlend;
        d.MasterAlpha = uint8_t(std::clamp(p.edgeIntensity, 0, 255));
        d.DrawTo(f, 0, 0);
      },
      [&] { WaterColorFilter(f, mask, progress); },
      [&] {
        const uint32_t s = seed ? seed : uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
        AddNoise(f, std::clamp(p.noise, 0, 100), s, progress);
      },
      [&] { ApplyThroughMask(f, t, mask); },
  };
  // The bar moves after each stage. Cancel ends the work before the next one, so the
  // target changes only in the last stage or not at all.
  bool done = true;
  for (const auto& stage : stages) {
    if (Stopped(progress)) {
      done = false;
      break;
    }
    stage();
    if (progress) progress->Step();
  }
  if (progress) progress->End();
  return done;
}

}  // namespace kelvane
