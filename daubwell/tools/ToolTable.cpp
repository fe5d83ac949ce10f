#include "ToolTable.h"

#include <array>

#include "Dab.h"

namespace daubwell {
namespace {

constexpr ToolControls kAll{true, true, true, true, true, true};
constexpr ToolControls kNone{false, false, false, false, false, false};
constexpr ToolControls kSizeStrength{true, true, false, false, false, false};

constexpr ToolButton inBrushes(int place, std::string_view graphic) { return {ToolGroup::Brushes, place, graphic}; }
constexpr ToolButton inTools(int place, std::string_view graphic) { return {ToolGroup::Tools, place, graphic}; }
constexpr ToolButton inEffects(int place, std::string_view graphic) { return {ToolGroup::Effects, place, graphic}; }

using enum SampleGround;

// A tool that paints or smears on the canvas like most: one undo snapshot a press, its
// strength gone while the cursor stands still, nothing written outside its square.
constexpr ToolInfo tool(ToolId id, std::string_view caption, std::string_view name, std::string_view status,
                        ToolControls controls, ToolButton button, DabRule dab) {
  return {.id = id, .caption = caption, .name = name, .status = status, .controls = controls, .button = button,
          .dab = dab, .previewDabs = 3, .thumbnailGround = Blank, .previewGround = Blank, .strokeOnPaint = false,
          .recordsUndo = true, .keepsStrengthWhenStill = false, .writesAnywhere = false};
}

// The variations, applied to a row.
constexpr ToolInfo withPreviewDabs(ToolInfo t, int n) { return t.previewDabs = n, t; }
// Works on paint already there: every sample is painted on a ground of paint.
constexpr ToolInfo onPaint(ToolInfo t) { return t.thumbnailGround = t.previewGround = Paint, t.strokeOnPaint = true, t; }
constexpr ToolInfo keepsStrength(ToolInfo t) { return t.keepsStrengthWhenStill = true, t; }
constexpr ToolInfo looksOnly(ToolInfo t) { return t.recordsUndo = false, t; }

constexpr ToolInfo gel() {
  ToolInfo t = tool(ToolId::Gel, "Gel Brush", "gel", " Click on the canvas to squirt liquid on your painting!",
                    {true, true, true, true, false, true}, inBrushes(3, "water"), gelDab);
  t.previewDabs = 9;
  t.previewGround = Paint;  // clear gel shows only over paint
  return t;
}

constexpr ToolInfo finger() {
  ToolInfo t = onPaint(tool(ToolId::Finger, "Finger", "finger", " Click on the canvas to move paint with your Finger!",
                            {true, true, false, false, false, true}, inBrushes(5, "finger"), fingerDab));
  t.strokeOnPaint = false;
  return t;
}

constexpr ToolInfo fill() {
  ToolInfo t = tool(ToolId::Fill, "Fill", "fill", " Click on the canvas to fill a section of your painting",
                    {false, false, false, true, true, true}, {}, fillDab);  // no button: reached from the palette
  t.thumbnailGround = t.previewGround = Ring;
  t.writesAnywhere = true;
  return t;
}

constexpr ToolInfo kTools[] = {
    tool(ToolId::TubePaint, "Tube Paint", "tube", " Click on the canvas to draw with the paint tube", kAll,
         inBrushes(1, "brush"), tubeDab),
    tool(ToolId::PaintBrush, "Paint Brush", "brush", " Click on the canvas to draw with the paint brush", kAll,
         inBrushes(0, "pbrush"), brushDab),
    onPaint(tool(ToolId::Eraser, "Eraser", "eraser", " Click on the canvas to erase a section of your painting",
                 kSizeStrength, inBrushes(7, "erase"), eraserDab)),
    keepsStrength(tool(ToolId::Spray, "Spray Paint", "spray", " Click on the canvas to draw with spray paint",
                       {true, true, false, true, false, false}, inBrushes(2, "spray"), sprayDab)),
    withPreviewDabs(onPaint(tool(ToolId::Sponge, "Sponge", "sponge", " Click on the canvas to sponge paint off your painting",
                             kSizeStrength, inBrushes(6, "sponge"), spongeDab)),
                5),
    fill(),
    looksOnly(tool(ToolId::EyeDropper, "Eye Dropper", "dropper", " Click on the canvas to get the color of a pixel",
                   kNone, inTools(1, "dropper"), eyeDropperDab)),
    gel(),
    onPaint(tool(ToolId::Brighten, "Brighten", "brighten", " Click on the canvas to brighten your painting!",
                 kSizeStrength, inEffects(0, "sun"), brightenDab)),
    onPaint(tool(ToolId::Darken, "Darken", "darken", " Click on the canvas to darken your painting!", kSizeStrength,
                 inEffects(1, "moon"), darkenDab)),
    looksOnly(tool(ToolId::Hand, "Hand Tool", "hand", " Click on the canvas to drag the window around", kNone,
                   inTools(0, "hand"), handDab)),
    onPaint(tool(ToolId::Shine, "Shine", "shine", " Click on the canvas to make your painting shiny!", kSizeStrength,
                 inEffects(2, "shine"), shineDab)),
    onPaint(tool(ToolId::Matte, "Matte", "matte", " Click on the canvas to make your painting matte!", kSizeStrength,
                 inEffects(3, "unshine"), matteDab)),
    onPaint(tool(ToolId::Raise, "Raise", "raise", " Click on the canvas to raise a section of your painting!",
                 kSizeStrength, inEffects(4, "raise"), raiseDab)),
    onPaint(tool(ToolId::Lower, "Lower", "lower", " Click on the canvas to lower a section of your painting!",
                 kSizeStrength, inEffects(5, "lower"), lowerDab)),
    withPreviewDabs(keepsStrength(tool(ToolId::Knife, "Knife", "knife", " Click on the canvas to paint with the knife!",
                                   kAll, inBrushes(4, "knife"), knifeDab)),
                6),
    finger(),
};

// Ids without a tool still press, move and release like a tool, but do nothing.
constexpr ToolInfo kNoTool{.id = ToolId(-1), .caption = "", .name = "", .status = "", .controls = kNone,
                           .button = {}, .dab = nullptr, .previewDabs = 3, .thumbnailGround = Blank,
                           .previewGround = Blank, .strokeOnPaint = false, .recordsUndo = true,
                           .keepsStrengthWhenStill = false, .writesAnywhere = false};

// The row of every id, worked out once: the brush engine asks on every dab.
constexpr std::array<const ToolInfo*, kToolCount> byId() {
  std::array<const ToolInfo*, kToolCount> rows{};
  for (const ToolInfo& t : kTools) rows[size_t(t.id)] = &t;
  return rows;
}
constexpr std::array<const ToolInfo*, kToolCount> kById = byId();

}  // namespace

std::span<const ToolInfo> tools() { return kTools; }

const ToolInfo* findTool(int id) { return id >= 0 && id < kToolCount ? kById[size_t(id)] : nullptr; }

const ToolInfo& toolInfo(int id) {
  const ToolInfo* t = findTool(id);
  return t ? *t : kNoTool;
}

const ToolInfo* findTool(std::string_view name) {
  for (const ToolInfo& t : kTools)
    if (t.name == name) return &t;
  return nullptr;
}

}  // namespace daubwell
