#pragma once
#include <cstdint>
#include <vector>

#include "Brush.h"
#include "PaintRandom.h"
#include "PatternImages.h"
#include "canvas/Canvas.h"
#include "canvas/Document.h"
#include "canvas/Messages.h"

namespace daubwell {

inline constexpr int kFootprintSide = 200;

// Dab weights for the current size and hardness: 200 x 200, row-major.
using BrushFootprint = std::vector<float>;

// Builds the footprint of a brush of radius `size` (1..100) and `hardness` (1..100):
// weight 1 out to hardness * D and falling linearly to 0 at D = 0.707 size.
void buildFootprint(BrushFootprint& footprint, int size, int hardness);

struct StrokeState {
  bool footprintValid = false;
  BrushFootprint footprint = BrushFootprint(size_t(kFootprintSide) * kFootprintSide, 0.0f);
  Brush working;          // the brush with the stroke dynamics applied
  float length = -1.0f;   // -1: no movement seen yet in this stroke
};

// What the Eye Dropper and the Hand Tool ask of the application.
class ToolHost {
public:
  virtual ~ToolHost() = default;
  // The picked colour becomes the brush colour; the application updates its sliders.
  virtual void colourPicked(Rgb) {}
  // The Hand Tool's dab: move the canvas view with the cursor.
  virtual void handDrag() {}
};

// The paint engine: the current brush, the active stroke dynamics, the stroke and the
// pattern offsets, and the mouse protocol that drives them.
class PaintEngine {
public:
  PaintEngine(const PatternImages& patterns, PaintRandom& random) : patterns_(patterns), random_(random) {}

  Brush brush;
  StrokeDynamics dynamics;
  StrokeState stroke;
  PatternOffsets offsets;
  ToolHost* host = nullptr;
  Messages* messages = nullptr;

  // Left button down on the document canvas at window position (x, y).
  void press(Document& doc, int x, int y);
  // The cursor moved to window position (x, y) over the canvas.
  void move(int x, int y);
  // One main-loop iteration: a dab at the cursor while the button is down.
  void frame(Document& doc);
  // Button up, or the cursor left the canvas window.
  void release() { endStroke(); }

  void beginStroke();
  void moveStroke(float dx, float dy);
  void endStroke();
  void buildFootprint();
  // One application of the working tool at (x, y) (window pixels on the document canvas,
  // canvas pixels on preview canvases).
  void dab(float x, float y, Canvas& canvas, double zoom = 1.0);

  bool buttonDown() const { return buttonDown_; }
  int cursorX() const { return cursorX_; }
  int cursorY() const { return cursorY_; }
  const PatternImages& patterns() const { return patterns_; }
  PaintRandom& random() { return random_; }
  // Fill acts once per press and then lets go of the button.
  void dropButton() { buttonDown_ = false; }

private:
  const PatternImages& patterns_;
  PaintRandom& random_;
  bool buttonDown_ = false;
  int cursorX_ = 0, cursorY_ = 0;
};

}  // namespace daubwell
