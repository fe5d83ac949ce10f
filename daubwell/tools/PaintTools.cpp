// The tools that lay paint or gel: Tube Paint, Paint Brush, Knife, Spray Paint, Gel
// Brush and Fill.
#include <new>
#include <vector>

#include "Dab.h"

namespace daubwell {
namespace {

constexpr float kLevelling = 0.5f;   // share of the way towards the levelling height
constexpr float kDepth = 0.5f;       // share of the brush depth laid per dab
constexpr float kTextureRelief = 0.001f;

// Relief laid by one dab: 0.5 w depth, scaled by the texture value when there is one.
float laidRelief(const Dab& d, float w, int T) {
  return d.brush.texture ? kDepth * w * d.brush.depth * T * kTextureRelief : kDepth * w * d.brush.depth;
}

void layColour(const Dab& d, CanvasPixel& p, int S, float f) {
  p.red = lerpByte(p.red, d.brush.red, f);
  p.green = lerpByte(p.green, d.brush.green, f);
  p.blue = lerpByte(p.blue, d.brush.blue, f);
  p.highlight = lerpByte(p.highlight, S, f);
  p.shading = lerpByte(p.shading, d.brush.shading, f);
}

// Paint Brush and Knife: the texture shapes the deposit; the relief is levelled towards
// `level(hc)` and raised by the laid relief.
template <class Level>
void texturedPaintDab(Dab& d, Level level) {
  if (!d.centreOnCanvas()) return;
  const float hc = d.canvas.at(uint32_t(d.x), uint32_t(d.y)).height;
  const float target = level(hc);
  d.forEachPixel([&](int px, int py, CanvasPixel& p, float W) {
    const float w = W * d.brush.strength;
    const int T = d.textureValue(px, py);
    const float f = T / 255.0f * w;
    layColour(d, p, d.styleValue(px, py), f);
    p.height = p.height + (target - p.height) * kLevelling * f + laidRelief(d, w, T);
  });
  d.relight();
}

}  // namespace

void tubeDab(Dab& d) {
  if (!d.centreOnCanvas()) return;
  const float hc = d.canvas.at(uint32_t(d.x), uint32_t(d.y)).height;
  d.forEachPixel([&](int px, int py, CanvasPixel& p, float W) {
    const float w = W * d.brush.strength;
    layColour(d, p, d.styleValue(px, py), w);
    const float h1 = p.height + (hc - p.height) * (kLevelling * w);
    p.height = h1 + laidRelief(d, w, d.textureValue(px, py));
  });
  d.relight();
}

void brushDab(Dab& d) {
  texturedPaintDab(d, [](float hc) { return hc; });
}

void knifeDab(Dab& d) {
  texturedPaintDab(d, [](float) { return 0.0f; });
}

void sprayDab(Dab& d) {
  d.forEachPixel([&](int, int, CanvasPixel& p, float W) {
    const float g = W * d.brush.strength * float(d.engine.random().next() % 1000) / 3000.0f;
    p.red = lerpByte(p.red, d.brush.red, g);
    p.green = lerpByte(p.green, d.brush.green, g);
    p.blue = lerpByte(p.blue, d.brush.blue, g);
    p.highlight = lerpByte(p.highlight, 0, g);
    p.shading = lerpByte(p.shading, d.brush.shading, g);
  });
  d.relight();
}

void gelDab(Dab& d) {
  if (!d.centreOnCanvas()) return;
  const float hc = d.canvas.at(uint32_t(d.x), uint32_t(d.y)).height;
  d.forEachPixel([&](int px, int py, CanvasPixel& p, float W) {
    const float w = W * d.brush.strength;
    p.shading = lerpByte(p.shading, d.brush.shading, w);
    p.height = p.height + (hc - p.height) * kLevelling * w + laidRelief(d, w, d.textureValue(px, py));
  });
  d.relight();
}

// Fill paints the 4-connected region of pixels whose paint colour equals the clicked
// pixel's, found span by span with an explicit stack so no canvas is too large for it.
void fillDab(Dab& d) {
  if (!d.centreOnCanvas()) return;
  Canvas& c = d.canvas;
  const int w = int(c.width), h = int(c.height);
  std::vector<uint8_t> mask;
  std::vector<std::pair<int, int>> seeds;
  try {
    mask.assign(size_t(w) * h, 0);
    seeds.reserve(1024);
  } catch (const std::bad_alloc&) {
    if (d.engine.messages) d.engine.messages->show("Out of memory for fill routine!", "Error", MessageIcon::Error);
    return;
  }
  const CanvasPixel& origin = c.at(uint32_t(d.x), uint32_t(d.y));
  const uint8_t r = origin.red, g = origin.green, b = origin.blue;
  auto same = [&](int x, int y) {
    const CanvasPixel& p = c.at(uint32_t(x), uint32_t(y));
    return !mask[size_t(y) * w + x] && p.red == r && p.green == g && p.blue == b;
  };
  seeds.push_back({d.x, d.y});
  while (!seeds.empty()) {
    auto [sx, y] = seeds.back();
    seeds.pop_back();
    if (!same(sx, y)) continue;
    int x0 = sx, x1 = sx;
    while (x0 > 0 && same(x0 - 1, y)) --x0;
    while (x1 < w - 1 && same(x1 + 1, y)) ++x1;
    for (int x = x0; x <= x1; ++x) mask[size_t(y) * w + x] = 1;
    // One seed per run of matching pixels in the rows above and below.
    for (int ny : {y - 1, y + 1}) {
      if (ny < 0 || ny >= h) continue;
      bool inRun = false;
      for (int x = x0; x <= x1; ++x) {
        const bool m = same(x, ny);
        if (m && !inRun) seeds.push_back({x, ny});
        inRun = m;
      }
    }
  }
  // The clicked pixel's direct neighbours always belong to the region.
  for (auto [nx, ny] : {std::pair{d.x, d.y}, {d.x - 1, d.y}, {d.x + 1, d.y}, {d.x, d.y - 1}, {d.x, d.y + 1}})
    if (nx >= 0 && ny >= 0 && nx < w && ny < h) mask[size_t(ny) * w + nx] = 1;

  const DisplaySurface& style = d.engine.patterns().styleImage(d.brush.style);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!mask[size_t(y) * w + x]) continue;
      CanvasPixel& p = c.at(uint32_t(x), uint32_t(y));
      p.red = d.brush.red;
      p.green = d.brush.green;
      p.blue = d.brush.blue;
      p.highlight = style.grey(x % kPatternSide, y % kPatternSide);
      p.height = d.brush.depth;
    }
  }
  c.invalidateLighting();
  d.engine.dropButton();
}

}  // namespace daubwell
