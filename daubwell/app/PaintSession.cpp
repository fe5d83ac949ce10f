#include "PaintSession.h"

#include "ShellRules.h"
#include "canvas/Lighting.h"
#include "effects/Effects.h"

namespace daubwell {

PaintSession::PaintSession()
    : random(uint32_t(std::chrono::steady_clock::now().time_since_epoch().count())), engine(patterns, random) {
  preview.create(kPreviewSide, kPreviewSide);
  preview.clear();
}

Canvas brushPreview(const Brush& brush, const PatternImages& patterns, PaintRandom& random, bool highQuality,
                    bool lighting) {
  const ToolInfo& tool = toolInfo(brush.tool);
  return brushSample(brush, kPreviewSide, tool.previewDabs, {100, 100, 100, 100}, tool.previewGround, patterns, random,
                     highQuality, lighting);
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
      // Fill has no button of its own: this brush is the way to it. Its gloss adds to
      // the colour shown, so the colour is a deep one and the style a faint sheen.
      brush(ToolId::Fill, {170, 70, 30}, 30, 1.0f, 0, 180, 1, 0, 50),
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

void PaintSession::attachWindow(DocumentObserver* observer, ToolHost* host, Messages* messages) {
  doc.observer = observer;
  engine.host = host;
  engine.messages = messages;
}

void PaintSession::chooseTool(int tool) { engine.brush.tool = tool; }

// The stroke's working brush changes too, so that not one more dab of the other tool is
// made.
bool PaintSession::holdHand() {
  if (toolBeforeHand_ >= 0) return false;
  toolBeforeHand_ = engine.brush.tool;
  engine.brush.tool = engine.stroke.working.tool = int(ToolId::Hand);
  return true;
}

bool PaintSession::letGoOfHand() {
  if (toolBeforeHand_ < 0) return false;
  engine.brush.tool = engine.stroke.working.tool = toolBeforeHand_;
  toolBeforeHand_ = -1;
  return true;
}

void PaintSession::setBrushProperty(BrushProperty property, float value) {
  Brush& b = engine.brush;
  switch (property) {
    case BrushProperty::Size: b.size = sizeFromSlider(value); break;
    case BrushProperty::Strength: b.strength = strengthFromSlider(value); break;
    case BrushProperty::Depth: b.depth = depthFromSlider(value); break;
    case BrushProperty::Shading: b.shading = shadingFromSlider(value); break;
    case BrushProperty::Hardness: b.hardness = uint8_t(int(value)); break;
  }
}

void PaintSession::setChannel(int channel, float value) {
  uint8_t* channels[] = {&engine.brush.red, &engine.brush.green, &engine.brush.blue};
  if (channel >= 0 && channel < 3) *channels[channel] = channelFromSlider(value);
}

void PaintSession::setStyle(int style) { engine.brush.style = uint8_t(std::clamp(style, 0, kPatternCount - 1)); }
void PaintSession::setTexture(int texture) {
  engine.brush.texture = uint8_t(std::clamp(texture, 0, kPatternCount - 1));
}

void PaintSession::dabPreview(int x, int y) {
  PaintEngine dabber(patterns, random);
  dabber.brush = engine.brush;
  dabber.offsets = {100, 100, 100, 100};
  dabber.beginStroke();
  dabber.dab(float(x), float(y), preview);
}

void PaintSession::toggleHighQuality() {
  prefs.highQuality = !prefs.highQuality;
  applyPreferences();
}

void PaintSession::toggleLighting() {
  prefs.lighting = !prefs.lighting;
  applyPreferences();
}

void PaintSession::runEffect(const Effect& effect) {
  const Brush& b = engine.brush;
  EffectParams params;
  params.color = {b.red, b.green, b.blue};
  params.style = b.style;
  params.texture = b.texture;
  params.offsets = engine.offsets;
  params.patterns = &patterns;
  applyEffect(doc, effect, params);
}

void PaintSession::pickBrush(int slot) { selectBrush(palette, slot, engine); }
int PaintSession::addCurrentBrush(Messages& messages) { return addBrush(palette, engine.brush, messages); }
bool PaintSession::deleteSelectedBrush(Messages& messages) { return deleteBrush(palette, palette.selected, messages); }
Status PaintSession::savePaletteAs(const std::string& path) const { return savePalette(palette, path); }
bool PaintSession::loadPaletteFrom(const std::string& path) { return loadPalette(palette, path); }

void PaintSession::pickStroke(int slot) { selectStroke(strokes, slot, engine); }
int PaintSession::addCurrentStroke(Messages& messages) { return addStroke(strokes, engine.dynamics, messages); }
bool PaintSession::deleteSelectedStroke(Messages& messages) {
  return deleteStroke(strokes, strokes.selected, messages);
}
Status PaintSession::saveStrokesAs(const std::string& path) const { return saveStrokes(strokes, path); }
bool PaintSession::loadStrokesFrom(const std::string& path) { return loadStrokes(strokes, path); }

bool PaintSession::storeStroke(const StrokeDynamics& dynamics) {
  const int i = strokes.selected;
  if (i <= 0 || i >= kStrokeSlots || !strokes.slots[size_t(i)].used) return false;
  strokes.slots[size_t(i)].entry = dynamics;
  engine.dynamics = dynamics;
  return true;
}

void PaintSession::loadListsAndPreferences(const std::string& folder) {
  if (!loadPalette(palette, folder + "palette.dat") || palette.count() == 0) palette = starterPalette();
  if (!loadStrokes(strokes, folder + "strokes.dat") || strokes.count() == 0) strokes = starterStrokes();
  prefs = loadPreferences(folder + "prefs.dat");
  applyPreferences();
  selectBrush(palette, palette.selected, engine);
  engine.brush.size = 30;
  selectStroke(strokes, strokes.selected, engine);
}

Status PaintSession::saveListsAndPreferences(const std::string& folder) const {
  const Status results[] = {savePalette(palette, folder + "palette.dat"),
                            saveStrokes(strokes, folder + "strokes.dat"),
                            savePreferences(prefs, folder + "prefs.dat")};
  std::string failed;
  for (const Status& r : results)
    if (!r) failed += (failed.empty() ? "" : "\n") + r.error();
  if (!failed.empty()) return fail(failed);
  return Ok{};
}

}  // namespace daubwell
