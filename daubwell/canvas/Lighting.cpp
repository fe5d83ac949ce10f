#include "Lighting.h"

#include "ParallelRows.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace daubwell {
namespace {

constexpr double kDisplacement = 20.0;   // highlight displacement per unit of slope
constexpr double kSecondTap = 1.0;       // offset of the second column/row in high quality
constexpr float kShadingScale = 1.0f / 255.0f;
constexpr int kReach = 21;               // farthest highlight tap from its pixel, in rows or columns
constexpr uint32_t kBand = 256;          // columns shaded together, see shadeRows
constexpr uint32_t kWriteAhead = 4;      // rows ahead whose shown pixels are fetched early
constexpr uint32_t kPartRows = 1024;     // rows of a band shaded as one part, see shadeInParts

// A coordinate taken as unsigned 32 bits and reduced modulo the size, so negative
// positions wrap to some column or row inside the canvas.
inline uint32_t wrap(int v, uint32_t size) {
  const uint32_t u = uint32_t(v);
  return u < size ? u : u % size;
}

// Word k (0 to 2) of a record as it lies in memory, and byte k of such a word: the
// records are read a word at a time where whole loops of them should be vectorised.
inline uint32_t recordWord(const CanvasPixel* p, int k) {
  uint32_t w;
  std::memcpy(&w, reinterpret_cast<const unsigned char*>(p) + 4 * k, sizeof w);
  return w;
}
inline uint32_t wordByte(uint32_t w, int k) {
  return (std::endian::native == std::endian::little ? w >> (8 * k) : w >> (24 - 8 * k)) & 255;
}

inline uint8_t clampByte(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// Step 1 and 2: the unit normal from the two height differences, and the diffuse term.
// A relief of infinities or NaN gives no finite length: such a pixel is shown flat.
// Because the normal is then a unit vector, every displaced coordinate fits in an int.
struct Normal {
  float x, y, z, d;
};

inline Normal unitNormal(float nx, float nz, const float* light) {
  const float ny = 1.0f;
  const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
  const bool finite = len <= std::numeric_limits<float>::max();
  // Divide first, then choose: a choice between two values vectorises, a division made
  // under a condition does not.
  const float qx = nx / len, qy = ny / len, qz = nz / len;
  Normal n;
  n.x = finite ? qx : 0.0f;
  n.y = finite ? qy : 1.0f;
  n.z = finite ? qz : 0.0f;
  const float d = n.x * light[0] + n.y * light[1] + n.z * light[2];
  n.d = d >= 0.0f ? d : 0.0f;
  return n;
}

// Step 3, positions: the highlight taps of pixel (x, y) before wrapping; low quality
// uses (c0, r0) only.
struct Taps {
  int c0, c1, r0, r1;
  double wx, wy;
};

inline Taps displacedTaps(uint32_t x, uint32_t y, float nx, float nz) {
  const double fx = kDisplacement * nx, fy = kDisplacement * nz;
  const double ax = std::fabs(fx), ay = std::fabs(fy);
  // |f| <= 20, so truncation is the floor and the fractional part is exact.
  return {int(x + fx), int(kSecondTap + x + fx), int(y + fy), int(kSecondTap + y + fy),
          ax - double(int(ax)), ay - double(int(ay))};
}

// Step 3, value: four interpolations of the four taps, each truncated to a byte.
inline int interpolatedHighlight(int q00, int q10, int q01, int q11, double wx, double wy) {
  const int top = uint8_t(int(q00 + (q10 - q00) * wx));
  const int bottom = uint8_t(int(q01 + (q11 - q01) * wx));
  const int left = uint8_t(int(q00 + (q01 - q00) * wy));
  const int right = uint8_t(int(q10 + (q11 - q10) * wy));
  return (top + bottom + left + right) >> 2;
}

// Step 5 for one channel value v = colour + highlight. Shading 0 gives f = 0 and so v
// itself, which lets the banded path skip the test for it.
inline int lit(int v, float d, float f) { return int(v + (v * d - v) * f); }

struct Shader;

// The highlight bytes that the taps of a band of columns can reach, copied out of the
// records into a small ring of rows (the records are twelve times as large, and the taps
// jump about in them): the taps of pixel (x, y) lie within kReach columns and rows of
// it, so row y needs ring rows y - kReach .. y + kReach. Each entry holds what
// highlightAt gives there, wrapping included, so every read is the same.
//
// High quality reads a square of four entries per pixel, (c, r) to (c + 1, r + 1), except
// in the rare taps whose second column or row is the first again. For it the ring also
// keeps each entry's square packed into one word, its four bytes in reading order.
struct HighlightWindow {
  static constexpr int kBefore = kReach, kAfter = kReach;
  static constexpr uint32_t kRows = 64;                        // > kBefore + kAfter + 1, a power of two
  static constexpr int kStride = int(kBand) + kBefore + kAfter;
  // Row r of the ring starts at (r mod kRows) * kStride. The arrays are flat so that the
  // reads, given as one index each, can be vector gathers.
  uint8_t bytes[kRows * kStride];
  uint32_t squares[kRows * kStride];
  int left = 0;      // canvas column of entry 0
  int first = 0;     // first row loaded for this band
  int loaded = 0;    // rows below this are in the ring
  int columns = 0;

  int index(int c, int r) const { return int(uint32_t(r) & (kRows - 1)) * kStride + (c - left); }
  uint8_t at(int c, int r) const { return bytes[index(c, r)]; }
  [[gnu::always_inline]] inline void start(const Shader& s, uint32_t x0, uint32_t x1, uint32_t y0);
  [[gnu::always_inline]] inline void advanceTo(const Shader& s, uint32_t y);
  [[gnu::always_inline]] inline void load(const Shader& s, int r);
};

using RowsShader = void (*)(const Shader&, DisplaySurface&, uint32_t, uint32_t, uint32_t, uint32_t);
RowsShader rowsShader();

struct Shader {
  const CanvasPixel* pixels;
  uint32_t width, height;
  const float* light;
  bool highQuality, lightingOn;

  explicit Shader(const Canvas& c)
      : pixels(c.pixels.data()), width(c.width), height(c.height), light(c.light),
        highQuality(c.highQuality), lightingOn(c.lightingOn) {}

  int highlightAt(int x, int y) const {
    return pixels[size_t(wrap(y, height)) * width + wrap(x, width)].highlight;
  }

  // One pixel, straight from the rules: the reference for the banded path below.
  void shade(uint32_t x, uint32_t y, uint8_t* out) const {
    const CanvasPixel* row = pixels + size_t(y) * width;
    const CanvasPixel& p = row[x];
    const float h = p.height;
    // Flat at the left and top edges, one-sided at the right and bottom edges.
    float nx = 0.0f, nz = 0.0f;
    if (x > 0) {
      nx = h - row[x - 1].height;
      if (x < width - 1) nx = nx - (h - row[x + 1].height);
    }
    if (y > 0) {
      nz = h - (row - width)[x].height;
      if (y < height - 1) nz = nz - (h - (row + width)[x].height);
    }
    const Normal n = unitNormal(nx, nz, light);
    const Taps k = displacedTaps(x, y, n.x, n.z);
    const int t = highQuality ? interpolatedHighlight(highlightAt(k.c0, k.r0), highlightAt(k.c1, k.r0),
                                                      highlightAt(k.c0, k.r1), highlightAt(k.c1, k.r1),
                                                      k.wx, k.wy)
                              : highlightAt(k.c0, k.r0);
    int r = p.red + t, g = p.green + t, b = p.blue + t;
    if (lightingOn && p.shading != 0) {
      const float f = p.shading * kShadingScale;
      r = lit(r, n.d, f);
      g = lit(g, n.d, f);
      b = lit(b, n.d, f);
    }
    out[0] = clampByte(b);
    out[1] = clampByte(g);
    out[2] = clampByte(r);
  }

  // Columns x0 <= x < x1 (at most kBand) of row y. The same rules as shade(), arranged
  // as passes over small arrays: the arithmetic passes are vectorised by the compiler,
  // only the highlight reads and the byte loads and stores stay one pixel at a time.
  [[gnu::always_inline]] inline void shadeSpan(uint32_t x0, uint32_t x1, uint32_t y, const HighlightWindow& window,
                                               uint8_t* out, int bpp) const {
    const uint32_t n = x1 - x0;
    const CanvasPixel* row = pixels + size_t(y) * width;

    // Heights. A missing neighbour is replaced by the pixel itself, whose difference is
    // then 0: that reproduces the edge rules (the left edge is patched afterwards).
    const CanvasPixel* up = y > 0 ? row - width : row;
    const CanvasPixel* down = (y > 0 && y < height - 1) ? row + width : row;
    // (Indices are size_t here and below: a 32-bit one might wrap, and the compiler would
    // then read the fields one by one instead of as interleaved vectors.)
    float cur[kBand + 2], above[kBand], below[kBand];
    for (size_t i = 0; i < n; ++i) {
      cur[i + 1] = row[x0 + i].height;
      above[i] = up[x0 + i].height;
      below[i] = down[x0 + i].height;
    }
    cur[0] = x0 > 0 ? row[x0 - 1].height : cur[1];
    cur[n + 1] = x1 < width ? row[x1].height : cur[n];

    float nxs[kBand], nzs[kBand];
    for (uint32_t i = 0; i < n; ++i) {
      const float h = cur[i + 1];
      nxs[i] = (h - cur[i]) - (h - cur[i + 2]);
      nzs[i] = (h - above[i]) - (h - below[i]);
    }
    if (x0 == 0) nxs[0] = 0.0f;

    // Normals and taps, and where the first tap is in the window.
    float ds[kBand];
    int c0[kBand], c1[kBand], r0[kBand], r1[kBand], at0[kBand];
    double wx[kBand], wy[kBand];
    int irregular = 0;   // not 0 when some pixel's taps are not a square, see HighlightWindow
    for (uint32_t i = 0; i < n; ++i) {
      const Normal nrm = unitNormal(nxs[i], nzs[i], light);
      const Taps k = displacedTaps(x0 + i, y, nrm.x, nrm.z);
      ds[i] = nrm.d;
      c0[i] = k.c0;
      c1[i] = k.c1;
      r0[i] = k.r0;
      r1[i] = k.r1;
      wx[i] = k.wx;
      wy[i] = k.wy;
      at0[i] = window.index(k.c0, k.r0);
      irregular |= ((k.c1 - k.c0) ^ 1) | ((k.r1 - k.r0) ^ 1);
    }

    // Highlight reads, from the window's copy.
    int ts[kBand];
    auto read = [&](int c, int r) { return int(window.at(c, r)); };
    if (highQuality) {
      uint32_t sq[kBand];
      for (uint32_t i = 0; i < n; ++i) sq[i] = window.squares[at0[i]];
      if (irregular != 0) {
        for (uint32_t i = 0; i < n; ++i)
          if (c1[i] - c0[i] != 1 || r1[i] - r0[i] != 1)
            sq[i] = uint32_t(read(c0[i], r0[i])) | uint32_t(read(c1[i], r0[i])) << 8 |
                    uint32_t(read(c0[i], r1[i])) << 16 | uint32_t(read(c1[i], r1[i])) << 24;
      }
      for (uint32_t i = 0; i < n; ++i)
        ts[i] = interpolatedHighlight(int(sq[i] & 255), int(sq[i] >> 8 & 255), int(sq[i] >> 16 & 255),
                                      int(sq[i] >> 24), wx[i], wy[i]);
    } else {
      for (uint32_t i = 0; i < n; ++i) ts[i] = window.bytes[at0[i]];
    }

    // Colour and lighting. The records are read as whole words: fields of different sizes
    // in one loop keep it scalar.
    int rs[kBand], gs[kBand], bs[kBand];
    float fs[kBand];
    for (size_t i = 0; i < n; ++i) {
      const uint32_t colour = recordWord(row + x0 + i, 0), shading = recordWord(row + x0 + i, 1);
      rs[i] = int(wordByte(colour, 0));
      gs[i] = int(wordByte(colour, 1));
      bs[i] = int(wordByte(colour, 2));
      fs[i] = float(wordByte(shading, 0));
    }
    uint8_t r8[kBand], g8[kBand], b8[kBand];
    if (lightingOn) {
      for (uint32_t i = 0; i < n; ++i) {
        const float f = fs[i] * kShadingScale;
        r8[i] = clampByte(lit(rs[i] + ts[i], ds[i], f));
        g8[i] = clampByte(lit(gs[i] + ts[i], ds[i], f));
        b8[i] = clampByte(lit(bs[i] + ts[i], ds[i], f));
      }
    } else {
      for (uint32_t i = 0; i < n; ++i) {
        r8[i] = clampByte(rs[i] + ts[i]);
        g8[i] = clampByte(gs[i] + ts[i]);
        b8[i] = clampByte(bs[i] + ts[i]);
      }
    }
    // The shown image has three bytes a pixel: a fixed stride lets the stores be vectorised.
    if (bpp == 3) {
      for (uint32_t i = 0; i < n; ++i) {
        out[3 * i] = b8[i];
        out[3 * i + 1] = g8[i];
        out[3 * i + 2] = r8[i];
      }
      return;
    }
    for (uint32_t i = 0; i < n; ++i, out += bpp) {
      out[0] = b8[i];
      out[1] = g8[i];
      out[2] = r8[i];
    }
  }

  // Shades the rectangle in bands of columns: the highlight reads of a pixel wander up
  // to 21 rows away, and a narrow band keeps all the rows it reads in the cache.
  [[gnu::always_inline]] inline void shadeRows(DisplaySurface& surface, uint32_t x0, uint32_t x1, uint32_t y0,
                 uint32_t y1) const {
    const int bpp = surface.bytesPerPixel();
    HighlightWindow window;
    for (uint32_t bx = x0; bx < x1; bx += kBand) {
      const uint32_t bend = std::min(x1, bx + kBand);
      window.start(*this, bx, bend, y0);
      for (uint32_t y = y0; y < y1; ++y) {
        window.advanceTo(*this, y);
        // The shown rows are written a band at a time, too short a run for the processor
        // to fetch ahead by itself: ask for a later row's stretch now.
        if (y + kWriteAhead < y1) {
          const uint8_t* later = surface.pictureRow(y + kWriteAhead) + size_t(bx) * bpp;
          for (size_t off = 0; off < size_t(bend - bx) * bpp; off += 64) __builtin_prefetch(later + off, 1);
        }
        shadeSpan(bx, bend, y, window, surface.pictureRow(y) + size_t(bx) * bpp, bpp);
      }
    }
  }
};

void HighlightWindow::start(const Shader& s, uint32_t x0, uint32_t x1, uint32_t y0) {
  left = int(x0) - kBefore;
  columns = int(x1 - x0) + kBefore + kAfter;
  first = loaded = int(y0) - kBefore;
  advanceTo(s, y0);
}

void HighlightWindow::advanceTo(const Shader& s, uint32_t y) {
  for (; loaded <= int(y) + kAfter; ++loaded) load(s, loaded);
}

void HighlightWindow::load(const Shader& s, int r) {
  const int n = columns;
  uint8_t* d = bytes + index(left, r);
  // Entries inside the canvas are copied in one run; the columns beyond an edge (at most
  // kReach on each side) wrap one by one, as do rows beyond the top or bottom.
  const uint32_t canvasRow = wrap(r, s.height);
  const CanvasPixel* rowRecords = s.pixels + size_t(canvasRow) * s.width;
  const int inside0 = std::clamp(-left, 0, n);
  const int inside1 = int(std::clamp<int64_t>(int64_t(s.width) - left, inside0, n));
  for (int i = 0; i < inside0; ++i) d[i] = uint8_t(s.highlightAt(left + i, r));
  const CanvasPixel* p = rowRecords + (left + inside0);
  for (int i = 0; i < inside1 - inside0; ++i) d[inside0 + i] = uint8_t(wordByte(recordWord(p + i, 0), 3));
  for (int i = inside1; i < n; ++i) d[i] = uint8_t(s.highlightAt(left + i, r));
  // The next rows' records are asked for now: each row is a stream of its own that the
  // processor would only start fetching at its first miss.
  if (canvasRow + 2 < s.height && inside1 > inside0) {
    const char* ahead = reinterpret_cast<const char*>(p + 2 * size_t(s.width));
    const size_t span = size_t(inside1 - inside0) * sizeof(CanvasPixel);
    for (size_t off = 0; off < span; off += 64) __builtin_prefetch(ahead + off);
  }
  // The squares of the row above are complete now. The last column has no right-hand
  // neighbour in the ring; no square tap starts there.
  if (!s.highQuality || r == first) return;
  const uint8_t* a = bytes + index(left, r - 1);
  uint32_t* q = squares + index(left, r - 1);
  for (int i = 0; i + 1 < n; ++i)
    q[i] = uint32_t(a[i]) | uint32_t(a[i + 1]) << 8 | uint32_t(d[i]) << 16 | uint32_t(d[i + 1]) << 24;
  q[n - 1] = 0;
}

// The same row code built three times: for the baseline processor, for one with AVX2 and
// for one with AVX-512, whose wider vectors do the same IEEE operations in the same order
// (no fused multiply-add: the build turns contraction off), so all give the same bits.
void shadeRowsBaseline(const Shader& s, DisplaySurface& surface, uint32_t x0, uint32_t x1, uint32_t y0,
                       uint32_t y1) {
  s.shadeRows(surface, x0, x1, y0, y1);
}

#if defined(__GNUC__) && defined(__x86_64__)
#define DAUBWELL_WIDE_SPANS 1
[[gnu::target("avx2")]] void shadeRowsAvx2(const Shader& s, DisplaySurface& surface, uint32_t x0, uint32_t x1,
                                          uint32_t y0, uint32_t y1) {
  s.shadeRows(surface, x0, x1, y0, y1);
}
#if defined(__clang__)  // clang has no vector-width preference in the attribute
#define DAUBWELL_AVX512_TARGET "avx512f,avx512vl,avx512bw,avx512dq"
#else
#define DAUBWELL_AVX512_TARGET "avx512f,avx512vl,avx512bw,avx512dq,prefer-vector-width=512"
#endif
[[gnu::target(DAUBWELL_AVX512_TARGET)]] void shadeRowsAvx512(
    const Shader& s, DisplaySurface& surface, uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1) {
  s.shadeRows(surface, x0, x1, y0, y1);
}
#endif

// The builds this processor can run, baseline first, and the one in use.
struct SpanBuilds {
  RowsShader builds[3];
  int count = 0;
  int chosen = 0;
  SpanBuilds() {
    builds[count++] = shadeRowsBaseline;
#ifdef DAUBWELL_WIDE_SPANS
    if (__builtin_cpu_supports("avx2")) builds[count++] = shadeRowsAvx2;
    if (count == 2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq"))
      builds[count++] = shadeRowsAvx512;
#endif
    chosen = count - 1;
  }
};

SpanBuilds& spanBuilds() {
  static SpanBuilds b;
  return b;
}

RowsShader rowsShader() {
  const SpanBuilds& b = spanBuilds();
  return b.builds[b.chosen];
}

bool ready(const Canvas& c) {
  return !c.empty() && c.surface.width() == c.width && c.surface.height() == c.height;
}

}  // namespace

void shadePixel(Canvas& canvas, uint32_t x, uint32_t y) {
  if (!ready(canvas) || x >= canvas.width || y >= canvas.height) return;
  Shader(canvas).shade(x, y, canvas.surface.pictureRow(y) + size_t(x) * canvas.surface.bytesPerPixel());
}

namespace {

void markWholeLit(Canvas& canvas) {
  canvas.lit.whole = true;
  canvas.lit.highQuality = canvas.highQuality;
  canvas.lit.lightingOn = canvas.lightingOn;
  if (canvas.lit.changed.rows() == canvas.height)
    canvas.lit.changed.clear();
  else
    canvas.lit.changed = RowSet(canvas.height);
  canvas.lightingValid = true;
}

// Rows whose shown colours read a record of `changed`: a pixel reads the relief of the
// rows next to it and the highlight of rows up to kReach away (taken as unsigned and
// reduced modulo the height, as the taps are). Two rows to spare on each side.
RowSet rowsReading(const RowSet& changed, uint32_t height) {
  constexpr int kBefore = kReach + 2, kAfter = kReach + 2;
  RowSet out(height);
  if (changed.empty()) return out;
  for (uint32_t y = 0; y < height; ++y) {
    const bool nearEdge = y < uint32_t(kBefore) || y + uint32_t(kAfter) >= height;
    if (!nearEdge) {
      // Inside, the rows read are one run: look for any changed row in it.
      bool hit = false;
      for (int k = -kBefore; k <= kAfter && !hit; ++k) hit = changed.contains(uint32_t(int(y) + k));
      if (hit) out.add(y, y + 1);
      continue;
    }
    for (int k = -kBefore; k <= kAfter; ++k)
      if (changed.contains(wrap(int(y) + k, height))) {
        out.add(y, y + 1);
        break;
      }
  }
  return out;
}

// Rows y0..y1 in parts of one band of columns by up to kPartRows rows, shared out among
// the cores as they free up, so that a core slowed by other work takes fewer; a small
// area in one go.
void shadeInParts(const Shader& shader, DisplaySurface& surface, uint32_t y0, uint32_t y1) {
  if (uint64_t(shader.width) * (y1 - y0) < kParallelPixels) {
    rowsShader()(shader, surface, 0, shader.width, y0, y1);
    return;
  }
  const uint32_t bands = (shader.width + kBand - 1) / kBand;
  const uint32_t blocks = (y1 - y0 + kPartRows - 1) / kPartRows;
  parallelParts(bands * blocks, [&](uint32_t i) {
    const uint32_t x = i % bands * kBand, y = y0 + i / bands * kPartRows;
    rowsShader()(shader, surface, x, std::min(shader.width, x + kBand), y, std::min(y1, y + kPartRows));
  });
}

}  // namespace

void relightAll(Canvas& canvas) {
  if (!ready(canvas)) return;
  shadeInParts(Shader(canvas), canvas.surface, 0, canvas.height);
  markWholeLit(canvas);
}

void relightChanged(Canvas& canvas) {
  if (!ready(canvas)) return;
  const Canvas::LitState& lit = canvas.lit;
  // Invalid lighting asks for everything (effects, Open and the display toggles say so).
  if (!canvas.lightingValid || !lit.whole || lit.highQuality != canvas.highQuality ||
      lit.lightingOn != canvas.lightingOn || lit.changed.rows() != canvas.height) {
    relightAll(canvas);
    return;
  }
  const RowSet rows = rowsReading(lit.changed, canvas.height);
  if (rows.count() * 2 > canvas.height) {
    relightAll(canvas);
    return;
  }
  const Shader shader(canvas);
  rows.forEachRun([&](uint32_t y0, uint32_t y1) { shadeInParts(shader, canvas.surface, y0, y1); });
  markWholeLit(canvas);
}

void relightRect(Canvas& canvas, int x0, int y0, int x1, int y1) {
  if (!ready(canvas)) return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = int(std::min<int64_t>(x1, canvas.width));
  y1 = int(std::min<int64_t>(y1, canvas.height));
  if (x0 >= x1 || y0 >= y1) return;
  rowsShader()(Shader(canvas), canvas.surface, uint32_t(x0), uint32_t(x1), uint32_t(y0), uint32_t(y1));
}

void relightAllReference(Canvas& canvas) {
  for (uint32_t x = 0; x < canvas.width; ++x)
    for (uint32_t y = 0; y < canvas.height; ++y) shadePixel(canvas, x, y);
  if (ready(canvas))
    markWholeLit(canvas);
  else
    canvas.lightingValid = true;
}

int vectorBuilds() { return spanBuilds().count; }

void useVectorBuild(int build) {
  SpanBuilds& b = spanBuilds();
  b.chosen = std::clamp(build, 0, b.count - 1);
}

}  // namespace daubwell
