#pragma once
#include <chrono>
#include <cstdint>

#include "canvas/Canvas.h"
#include "canvas/Document.h"
#include "files/BrushLists.h"
#include "tools/BrushEngine.h"
#include "tools/PaintRandom.h"
#include "tools/PatternImages.h"

// Everything the paint program's windows share, without a window: the painting, the
// pattern images, the brush engine, the lists, the preferences and the brush preview.
namespace daubwell {

inline constexpr int kPreviewSide = 128;

struct PaintSession {
  PaintSession();
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;

  Document doc;
  PatternImages patterns;
  PaintRandom random;
  PaintEngine engine;
  BrushPalette palette;
  StrokeList strokes;
  Preferences prefs;
  Canvas preview;  // the Brush Properties window's 128 x 128 preview

  // Redraws the preview from the current brush: the background some tools need, then
  // the tool's dabs at the centre, lit.
  void redrawPreview();
  // The display flags of the painting and the preview follow the preferences.
  void applyPreferences();
};

// The preview a brush gives: a 128 x 128 canvas with three dabs at its centre (five for
// the Sponge, nine for the Gel Brush, six for the Knife) on the background that tools
// working on existing paint need.
Canvas brushPreview(const Brush& brush, const PatternImages& patterns, PaintRandom& random, bool highQuality,
                    bool lighting);

// The palette a first start offers: a few brushes of every kind in colours that go
// together, the default tube first.
BrushPalette starterPalette();

// The strokes a first start offers: plain, then fading and swelling ones.
StrokeList starterStrokes();

// Time spent in the main loop's iterations, for the frame statistics.
struct FrameStats {
  int frames = 0;
  int paintingFrames = 0;
  double paintingSeconds = 0;
  double longestPainting = 0;
  void add(double seconds, bool painting) {
    ++frames;
    if (!painting) return;
    ++paintingFrames;
    paintingSeconds += seconds;
    if (seconds > longestPainting) longestPainting = seconds;
  }
};

}  // namespace daubwell
