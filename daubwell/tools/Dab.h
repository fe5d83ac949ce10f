#pragma once
#include <algorithm>

#include "BrushEngine.h"
#include "ToolTable.h"
#include "canvas/Lighting.h"
#include "canvas/Truncate.h"

namespace daubwell {

// lerp of a byte field: (int)(a + (b - a) t), low 8 bits kept.
inline uint8_t lerpByte(int a, int b, float t) { return uint8_t(truncInt(a + (b - a) * t)); }

// Everything one dab routine needs.
struct Dab {
  Canvas& canvas;
  PaintEngine& engine;
  const Brush& brush;  // the working brush
  int x, y;            // centre in canvas pixels
  int size;            // radius, 1..100

  const BrushFootprint& footprint() const { return engine.stroke.footprint; }
  float weight(int px, int py) const {
    return footprint()[size_t(py - y + size) * kFootprintSide + size_t(px - x + size)];
  }
  bool centreOnCanvas() const { return x >= 0 && y >= 0 && x < int(canvas.width) && y < int(canvas.height); }
  // T: the texture image's value at the pixel, 255 when the brush has no texture.
  int textureValue(int px, int py) const {
    if (brush.texture == 0) return 255;
    const PatternOffsets& o = engine.offsets;
    return samplePattern(engine.patterns().textureImage(brush.texture), o.textureX, o.textureY, px, py);
  }
  // S: the style image's value at the pixel.
  int styleValue(int px, int py) const {
    const PatternOffsets& o = engine.offsets;
    return samplePattern(engine.patterns().styleImage(brush.style), o.styleX, o.styleY, px, py);
  }

  // Calls fn(px, py, record, W) for the pixels of the square on the canvas whose weight
  // is above 0, rows outer and columns inner.
  template <class Fn>
  void forEachPixel(Fn&& fn) {
    const int x0 = std::max(x - size, 0), x1 = std::min<int64_t>(x + size, canvas.width);
    const int y0 = std::max(y - size, 0), y1 = std::min<int64_t>(y + size, canvas.height);
    for (int py = y0; py < y1; ++py)
      for (int px = x0; px < x1; ++px)
        if (const float W = weight(px, py); W > 0.0f) fn(px, py, canvas.at(uint32_t(px), uint32_t(py)), W);
  }
  void relight() { relightRect(canvas, x - size, y - size, x + size, y + size); }
};

// The rules, by family; ToolTable.cpp gives each tool its own.
void tubeDab(Dab&);
void brushDab(Dab&);
void knifeDab(Dab&);
void sprayDab(Dab&);
void gelDab(Dab&);
void fillDab(Dab&);
void eraserDab(Dab&);
void spongeDab(Dab&);
void brightenDab(Dab&);
void darkenDab(Dab&);
void shineDab(Dab&);
void matteDab(Dab&);
void raiseDab(Dab&);
void lowerDab(Dab&);
void fingerDab(Dab&);
void eyeDropperDab(Dab&);
void handDab(Dab&);

}  // namespace daubwell
