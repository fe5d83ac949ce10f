#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

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

struct Effect;

// The Brush Properties sliders.
enum class BrushProperty { Size, Strength, Depth, Shading, Hardness };

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

  // What the windows do to the session; they read its fields but change them only here.

  // The window showing the session: told when the canvas changes shape, asked by the
  // Eye Dropper and the Hand Tool, and showing the engine's messages (nullptr: none).
  void attachWindow(DocumentObserver* observer, ToolHost* host, Messages* messages);
  void setMessages(Messages* messages) { engine.messages = messages; }
  void setZoom(double zoom) { doc.zoom = zoom; }
  void setStatusText(std::string_view text) { doc.statusText = std::string(text); }
  const Brush& brush() const { return engine.brush; }
  // The Tools window's choice.
  void chooseTool(int tool);
  // Space: the Hand Tool while it is held, then the tool before it. False when it
  // changed nothing (a repeated press, a release without a press).
  bool holdHand();
  bool letGoOfHand();
  // A Brush Properties or Colors slider (0..100) into the brush.
  void setBrushProperty(BrushProperty property, float sliderValue);
  void setChannel(int channel, float sliderValue);  // 0 red, 1 green, 2 blue
  void setStyle(int style);
  void setTexture(int texture);
  // A dab of the current brush on the preview at (x, y), as the user drags there.
  void dabPreview(int x, int y);
  void toggleHighQuality();
  void toggleLighting();
  // A menu effect on the painting with the current brush's colour and images.
  void runEffect(const Effect& effect);

  // The Palette window's lists. Saves say what went wrong; loads fail only when the file
  // cannot be read.
  void pickBrush(int slot);
  int addCurrentBrush(Messages& messages);
  bool deleteSelectedBrush(Messages& messages);
  Status savePaletteAs(const std::string& path) const;
  bool loadPaletteFrom(const std::string& path);
  void pickStroke(int slot);
  int addCurrentStroke(Messages& messages);
  bool deleteSelectedStroke(Messages& messages);
  // The selected stroke takes these settings and they become active; the first stroke
  // keeps its own (false).
  bool storeStroke(const StrokeDynamics& dynamics);
  Status saveStrokesAs(const std::string& path) const;
  bool loadStrokesFrom(const std::string& path);

  // Start-up and exit: the lists and preferences in `folder` (missing or empty lists
  // give the starter ones; the selected brush becomes current with size 30), and all
  // three written back, each tried, every failure in the message.
  void loadListsAndPreferences(const std::string& folder);
  Status saveListsAndPreferences(const std::string& folder) const;

private:
  int toolBeforeHand_ = -1;
};

// The preview a brush gives: a 128 x 128 canvas with its tool's preview dabs at the
// centre, on the ground the tool table gives it.
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
