#include "PaintSession.h"

#include "canvas/Lighting.h"

namespace daubwell {

PaintSession::PaintSession()
    : random(uint32_t(std::chrono::steady_clock::now().time_since_epoch().count())), engine(patterns, random) {
  preview.create(kPreviewSide, kPreviewSide);
  preview.clear();
}

Canvas brushPreview(const Brush& brush, const PatternImages& patterns, PaintRandom& random, bool highQuality,
                    bool lighting) {
  const int t = brush.tool;
  const int dabs = t == int(ToolId::Sponge) ? 5 : t == int(ToolId::Gel) ? 9 : t == int(ToolId::Knife) ? 6 : 3;
  return brushSample(brush, kPreviewSide, dabs, {100, 100, 100, 100}, worksOnPaint(t) || t == int(ToolId::Gel),
                     patterns, random, highQuality, lighting);
}

BrushPalette starterPalette() {
  BrushPalette palette;
  auto brush = [](ToolId tool, Rgb c, int size, float strength, float depth, uint8_t shading, uint8_t style,
                  uint8_t texture, uint8_t hardness) {
    Brush b;
    b.tool = int32_t(tool);
    b.red = c.r, b.green = c.g, b.blue = c.b;
    b.size = size, b.strength = strength, b.depth = depth, b.shading = shading;
    b.style = style, b.texture = texture, b.hardness = hardness;
    return b;
  };
  const Brush entries[] = {
      defaultPaletteBrush(),
      brush(ToolId::TubePaint, {30, 70, 170}, 24, 0.8f, 6, 200, 2, 0, 50),
      brush(ToolId::TubePaint, {235, 180, 30}, 24, 0.8f, 6, 200, 4, 0, 50),
      brush(ToolId::PaintBrush, {30, 120, 80}, 18, 0.6f, 3, 180, 1, 3, 40),
      brush(ToolId::PaintBrush, {120, 60, 140}, 12, 0.5f, 2, 180, 5, 0, 70),
      brush(ToolId::Knife, {240, 236, 225}, 20, 0.7f, 8, 220, 0, 6, 80),
      brush(ToolId::Spray, {20, 20, 30}, 30, 0.3f, 0, 160, 0, 0, 20),
      brush(ToolId::Gel, {200, 220, 255}, 26, 0.6f, 5, 120, 0, 8, 50),
      // Tools that work on paint already there show it on paint of their colour.
      brush(ToolId::Finger, {200, 80, 60}, 16, 0.6f, 0, 0, 0, 0, 50),
      brush(ToolId::Sponge, {60, 110, 170}, 22, 0.5f, 0, 0, 0, 10, 50),
      brush(ToolId::Shine, {220, 180, 60}, 20, 0.5f, 0, 0, 0, 0, 50),
      brush(ToolId::Raise, {120, 160, 90}, 20, 0.5f, 0, 0, 0, 0, 50),
      // Fill has no button of its own: this brush is the way to it.
      brush(ToolId::Fill, {250, 215, 120}, 30, 1.0f, 0, 180, 0, 0, 50),
  };
  size_t i = 0;
  for (const Brush& b : entries) palette.slots[i++] = {true, b};
  return palette;
}

StrokeList starterStrokes() {
  StrokeList strokes;
  StrokeDynamics fadeStrength, fadeSize, swell;
  fadeStrength.fadeStrength = true;
  fadeStrength.fadeStrengthLength = 60;
  fadeSize.fadeSize = true;
  fadeSize.fadeSizeLength = 80;
  swell.oscillate = true;
  swell.oscillatePeriod = 30;
  swell.oscillateAmount = 60;
  const StrokeDynamics entries[] = {StrokeDynamics{}, fadeStrength, fadeSize, swell};
  size_t i = 0;
  for (const StrokeDynamics& d : entries) strokes.slots[i++] = {true, d};
  return strokes;
}

void PaintSession::redrawPreview() {
  preview = brushPreview(engine.brush, patterns, random, prefs.highQuality, prefs.lighting);
}

void PaintSession::applyPreferences() {
  doc.canvas.highQuality = preview.highQuality = prefs.highQuality;
  doc.canvas.lightingOn = preview.lightingOn = prefs.lighting;
  doc.canvas.invalidateLighting();
}

}  // namespace daubwell
