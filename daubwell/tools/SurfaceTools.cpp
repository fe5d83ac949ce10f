// The tools that work on paint already there, and the two that only look: Eraser,
// Sponge, Brighten, Darken, Shine, Matte, Raise, Lower, Finger, Eye Dropper, Hand Tool.
#include "Dab.h"

namespace daubwell {
namespace {

// A per-pixel rule on the square, for tools that act only when the centre is on the
// canvas (Eraser and Sponge call forEachPixel directly: they work on any visible part).
template <class Rule>
void centredDab(Dab& d, Rule rule) {
  if (!d.centreOnCanvas()) return;
  d.forEachPixel([&](int, int, CanvasPixel& p, float W) { rule(p, W * d.brush.strength); });
  d.relight();
}

}  // namespace

void eraserDab(Dab& d) {
  d.forEachPixel([&](int, int, CanvasPixel& p, float W) {
    const float w = W * d.brush.strength;
    p.red = lerpByte(p.red, 255, w);
    p.green = lerpByte(p.green, 255, w);
    p.blue = lerpByte(p.blue, 255, w);
    p.highlight = lerpByte(p.highlight, 0, w);
    p.shading = uint8_t(truncInt((1.0f - 0.5f * w) * p.shading));
    p.height = (1.0f - w) * p.height;
  });
  d.relight();
}

void spongeDab(Dab& d) {
  d.forEachPixel([&](int, int, CanvasPixel& p, float W) {
    const float q = 1.0f - 0.25f * W * d.brush.strength;
    p.highlight = uint8_t(truncInt(p.highlight * q));
    p.height = p.height * q;
  });
  d.relight();
}

void brightenDab(Dab& d) {
  centredDab(d, [](CanvasPixel& p, float w) {
    for (uint8_t* v : {&p.red, &p.green, &p.blue}) *v = lerpByte(*v, std::clamp(2 * *v, 10, 255), w);
  });
}

void darkenDab(Dab& d) {
  centredDab(d, [](CanvasPixel& p, float w) {
    for (uint8_t* v : {&p.red, &p.green, &p.blue}) *v = lerpByte(*v, *v >> 1, w);
  });
}

void shineDab(Dab& d) {
  centredDab(d, [](CanvasPixel& p, float w) { p.highlight = lerpByte(p.highlight, 200, w); });
}

void matteDab(Dab& d) {
  centredDab(d, [](CanvasPixel& p, float w) { p.highlight = lerpByte(p.highlight, 0, w); });
}

void raiseDab(Dab& d) {
  centredDab(d, [](CanvasPixel& p, float w) {
    if (p.height != 0.0f) p.height += w;
  });
}

void lowerDab(Dab& d) {
  centredDab(d, [](CanvasPixel& p, float w) {
    if (p.height != 0.0f) p.height -= w;
  });
}

// Smears towards the centre, in place and column by column, so a pixel may take paint
// that this same dab has already moved.
void fingerDab(Dab& d) {
  if (!d.centreOnCanvas()) return;
  Canvas& c = d.canvas;
  const int w = int(c.width), h = int(c.height);
  const int x0 = std::max(d.x - d.size, 0), x1 = std::min(d.x + d.size, w);
  const int y0 = std::max(d.y - d.size, 0), y1 = std::min(d.y + d.size, h);
  for (int px = x0; px < x1; ++px) {
    for (int py = y0; py < y1; ++py) {
      const float W = d.weight(px, py);
      if (W <= 0.0f) continue;
      const int sx = std::clamp(truncInt(px + 0.9 * (px - d.x)), 0, w - 1);
      const int sy = std::clamp(truncInt(py + 0.9 * (py - d.y)), 0, h - 1);
      const float f = W * d.brush.strength * d.textureValue(px, py) / 255.0f;
      const CanvasPixel src = c.at(uint32_t(sx), uint32_t(sy));
      CanvasPixel& p = c.at(uint32_t(px), uint32_t(py));
      p.red = lerpByte(p.red, src.red, f);
      p.green = lerpByte(p.green, src.green, f);
      p.blue = lerpByte(p.blue, src.blue, f);
      p.highlight = lerpByte(p.highlight, src.highlight, f);
      p.shading = lerpByte(p.shading, src.shading, f);
      p.height = p.height + (src.height - p.height) * f;
    }
  }
  d.relight();
}

void eyeDropperDab(Dab& d) {
  if (d.canvas.kind != kDocumentCanvas || !d.centreOnCanvas()) return;
  const uint32_t shown = d.canvas.surface.pixel(d.x, d.y);
  const Rgb picked{uint8_t(shown >> 16), uint8_t(shown >> 8), uint8_t(shown)};
  d.engine.brush.red = picked.r;
  d.engine.brush.green = picked.g;
  d.engine.brush.blue = picked.b;
  if (d.engine.host) d.engine.host->colourPicked(picked);
}

void handDab(Dab& d) {
  if (d.canvas.kind == kDocumentCanvas && d.engine.host) d.engine.host->handDrag();
}

}  // namespace daubwell
