#include "BrushEngine.h"

#include <cmath>

#include "Dab.h"

namespace daubwell {

void buildFootprint(BrushFootprint& footprint, int size, int hardness) {
  footprint.assign(size_t(kFootprintSide) * kFootprintSide, 0.0f);
  const int r = std::clamp(size, 1, 100);
  const double H = std::clamp(hardness, 1, 100) * 0.01;
  const double D = std::sqrt(2.0 * r * r) * 0.5;
  for (int j = 0; j < 2 * r; ++j) {
    for (int i = 0; i < 2 * r; ++i) {
      const double dist = std::sqrt(double((i - r) * (i - r) + (j - r) * (j - r)));
      // Hardness 100 divides by zero: a hard disc (the boundary itself, 0/0, is out).
      double w = H < 1.0 ? 1.0 - (dist / D - H) / (1.0 - H) : (dist / D < 1.0 ? 1.0 : 0.0);
      if (!(w > 0.0)) w = 0.0;
      if (w > 1.0) w = 1.0;
      footprint[size_t(j) * kFootprintSide + size_t(i)] = float(w);
    }
  }
}

void PaintEngine::buildFootprint() {
  if (stroke.footprintValid) return;
  daubwell::buildFootprint(stroke.footprint, stroke.working.size, stroke.working.hardness);
  stroke.footprintValid = true;
}

void PaintEngine::beginStroke() {
  stroke.footprintValid = false;
  stroke.working = brush;
  stroke.length = -1.0f;
}

void PaintEngine::moveStroke(float dx, float dy) {
  const float dist = std::sqrt(dx * dx + dy * dy);
  stroke.length = stroke.length == -1.0f ? 0.0f : stroke.length + 0.1f * dist;
  stroke.working = brush;
  bool changed = false;
  if (dynamics.fadeStrength) {
    dynamics.fadeStrengthLength = std::max(dynamics.fadeStrengthLength, 1.0f);
    const float f = std::max(1.0f - stroke.length / dynamics.fadeStrengthLength, 0.0f);
    stroke.working.strength = brush.strength * f;
    changed = true;
  }
  if (dynamics.fadeSize) {
    dynamics.fadeSizeLength = std::max(dynamics.fadeSizeLength, 1.0f);
    const float f = std::max(1.0f - stroke.length / dynamics.fadeSizeLength, 0.0f);
    stroke.working.size = std::max(truncInt(brush.size * f), 1);
    changed = true;
  }
  if (dynamics.oscillate) {
    dynamics.oscillateAmount = std::max(dynamics.oscillateAmount, 1.0f);
    dynamics.oscillatePeriod = std::max(dynamics.oscillatePeriod, 1.0f);
    const float q = std::fabs(std::cos((stroke.length - dynamics.oscillatePhase) * 4.4f / dynamics.oscillatePeriod));
    stroke.working.size =
        std::clamp(truncInt((1.0f - dynamics.oscillateAmount * 0.01f * q) * stroke.working.size), 1, 100);
    changed = true;
  }
  if (dist == 0.0f && !toolInfo(brush.tool).keepsStrengthWhenStill) {
    stroke.working.strength = 0.0f;
    changed = true;
  }
  if (changed) stroke.footprintValid = false;
}

void PaintEngine::endStroke() {
  stroke.length = -1.0f;
  stroke.footprintValid = false;
  buttonDown_ = false;
}

void PaintEngine::press(Document& doc, int x, int y) {
  if (!buttonDown_) {
    offsets.styleX = float(random_.next() % 256);
    offsets.styleY = float(random_.next() % 256);
    offsets.textureX = float(random_.next() % 256);
    offsets.textureY = float(random_.next() % 256);
  }
  if (toolInfo(brush.tool).recordsUndo) doc.pushUndo();
  buttonDown_ = true;
  cursorX_ = x;
  cursorY_ = y;
  beginStroke();
}

void PaintEngine::move(int x, int y) {
  const float dx = float(cursorX_ - x), dy = float(cursorY_ - y);
  const float sx = dx * dx * (dx >= 0 ? 1.0f : -1.0f), sy = dy * dy * (dy >= 0 ? 1.0f : -1.0f);
  const float k1 = float(random_.next() % 100) * 0.001f, k2 = float(random_.next() % 100) * (1.0f / 600.0f);
  offsets.styleX -= sx * k1;
  offsets.styleY -= sy * k1;
  offsets.textureX -= sx * k2;
  offsets.textureY -= sy * k2;
  moveStroke(dx, dy);
  cursorX_ = x;
  cursorY_ = y;
}

void PaintEngine::frame(Document& doc) {
  if (buttonDown_) dab(float(cursorX_), float(cursorY_), doc.canvas, doc.zoom);
}

void PaintEngine::dab(float x, float y, Canvas& canvas, double zoom) {
  buildFootprint();
  if (canvas.kind == kDocumentCanvas) {
    x = float(truncInt(x / zoom));
    y = float(truncInt(y / zoom));
  }
  const ToolInfo& tool = toolInfo(stroke.working.tool);
  if (!tool.dab) return;
  // Sizes above 100, which no slider gives, dab as 100: the footprint holds no more.
  Dab d{canvas, *this, stroke.working, int(x), int(y), std::clamp(stroke.working.size, 1, 100)};
  // Fill may reach every row; every other rule stays inside its square.
  if (tool.writesAnywhere)
    canvas.aboutToWriteAll();
  else if (d.y + d.size >= 0)
    canvas.aboutToWrite(uint32_t(std::max(d.y - d.size - 1, 0)), uint32_t(d.y + d.size + 2));
  tool.dab(d);
}

}  // namespace daubwell
