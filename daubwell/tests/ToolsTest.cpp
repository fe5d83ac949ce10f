#include <gtest/gtest.h>

#include "TestSupport.h"
#include "tools/BrushEngine.h"
#include "tools/Dab.h"

namespace daubwell {
namespace {

// A document, an engine with blank patterns, and one dab at a time.
struct Painter {
  PatternImages patterns;
  PaintRandom random{7};
  PaintEngine engine{patterns, random};
  Document doc;
  test::ScriptedMessages messages;

  Painter(uint32_t w = 40, uint32_t h = 40) {
    newDocument(doc, w, h);
    engine.messages = &messages;
    engine.brush = Brush{.red = 10, .green = 20, .blue = 30, .depth = 10.0f, .tool = 0, .size = 5,
                         .strength = 1.0f, .shading = 200, .hardness = 100};
  }
  // Button down at (x, y), `dabs` frames, button up.
  void stroke(ToolId tool, int x, int y, int dabs = 1) {
    engine.brush.tool = int32_t(tool);
    engine.press(doc, x, y);
    for (int i = 0; i < dabs; ++i) engine.frame(doc);
    engine.release();
  }
  CanvasPixel& at(int x, int y) { return doc.canvas.at(uint32_t(x), uint32_t(y)); }
};

TEST(Footprint, HardnessOneHundredIsAHardDisc) {
  BrushFootprint f;
  buildFootprint(f, 10, 100);
  const double D = std::sqrt(200.0) * 0.5;  // 7.07
  for (int j = 0; j < 20; ++j)
    for (int i = 0; i < 20; ++i) {
      const double dist = std::hypot(i - 10, j - 10);
      EXPECT_EQ(f[size_t(j) * 200 + size_t(i)], dist < D ? 1.0f : 0.0f) << i << "," << j;
    }
  EXPECT_EQ(f[size_t(25) * 200 + 25], 0.0f);  // outside the 2r square
}

TEST(Footprint, HardnessOneIsAlmostALinearCone) {
  BrushFootprint f;
  buildFootprint(f, 50, 0);  // 0 reads as 1
  const float centre = f[size_t(50) * 200 + 50], half = f[size_t(50) * 200 + 50 + 17];
  EXPECT_FLOAT_EQ(centre, 1.0f);
  EXPECT_NEAR(half, 1.0 - (17 / (std::sqrt(5000.0) * 0.5) - 0.01) / 0.99, 1e-6);
  EXPECT_EQ(f[size_t(50) * 200 + 50 + 36], 0.0f);  // beyond D = 35.4
}

TEST(StrokeDynamics, FadeSizeNeverGoesBelowOneAndPeriodZeroReadsAsOne) {
  PatternImages patterns;
  PaintRandom random;
  PaintEngine e(patterns, random);
  e.brush.size = 40;
  e.brush.strength = 0.8f;
  e.dynamics.fadeSize = true;
  e.beginStroke();
  e.moveStroke(0, 0);           // first movement: length 0
  e.moveStroke(600.0f, 800.0f);  // + 0.1 * 1000 = 100
  EXPECT_FLOAT_EQ(e.stroke.length, 100.0f);
  EXPECT_EQ(e.stroke.working.size, 1);
  EXPECT_FALSE(e.stroke.footprintValid);

  e.dynamics = {};
  e.dynamics.oscillate = true;
  e.dynamics.oscillatePeriod = 0.0f;
  e.moveStroke(3.0f, 4.0f);
  EXPECT_EQ(e.dynamics.oscillatePeriod, 1.0f);
  const float q = std::fabs(std::cos((100.5f - 0.0f) * 4.4f / 1.0f));
  EXPECT_EQ(e.stroke.working.size, int((1.0f - 5.0f * 0.01f * q) * 40));
}

TEST(StrokeDynamics, ZeroLengthMovesStopEveryToolButSprayAndKnife) {
  PatternImages patterns;
  PaintRandom random;
  PaintEngine e(patterns, random);
  e.brush.strength = 0.6f;
  for (int tool = 0; tool < kToolCount; ++tool) {
    e.brush.tool = tool;
    e.beginStroke();
    e.moveStroke(0, 0);
    const bool keeps = tool == int(ToolId::Spray) || tool == int(ToolId::Knife);
    EXPECT_EQ(e.stroke.working.strength, keeps ? 0.6f : 0.0f) << tool;
  }
}

TEST(PaintTools, TubePaintOnABlankCanvasLaysTheColourAndHalfTheDepth) {
  Painter p;
  p.stroke(ToolId::TubePaint, 20, 20);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 5.0f);
  EXPECT_EQ(p.at(20, 20).red, 10);
  EXPECT_EQ(p.at(20, 20).green, 20);
  EXPECT_EQ(p.at(20, 20).blue, 30);
  EXPECT_EQ(p.at(20, 20).shading, 200);
  EXPECT_EQ(p.at(20, 26).red, 255);  // outside the disc
  EXPECT_EQ(p.doc.history.count(), 1u);  // the press recorded the canvas
  // Holding still keeps depositing: the plateau grows.
  p.stroke(ToolId::TubePaint, 20, 20, 2);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 15.0f);
}

TEST(PaintTools, PaintBrushTextureDecidesHowMuchPaintLands) {
  Painter p;
  p.patterns.texture[3].create(400, 400);  // all black: no paint takes
  p.engine.brush.texture = 3;
  p.stroke(ToolId::PaintBrush, 20, 20);
  EXPECT_EQ(p.at(20, 20).red, 255);
  EXPECT_EQ(p.at(20, 20).height, 0.0f);
  p.engine.brush.texture = 0;  // T = 255: f = w
  p.stroke(ToolId::PaintBrush, 20, 20);
  EXPECT_EQ(p.at(20, 20).red, 10);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 5.0f);
}

TEST(PaintTools, KnifeScrapesReliefTowardsZero) {
  Painter p;
  p.at(20, 20).height = 8.0f;
  p.engine.brush.depth = 0.0f;
  p.stroke(ToolId::Knife, 20, 20);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 4.0f);
}

TEST(PaintTools, SprayNeverChangesHeightAndGelNeverChangesColour) {
  Painter p;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) p.at(x, y).height = 1.5f;
  p.stroke(ToolId::Spray, 0, 0, 5);  // centre on the corner: sprays what is on the canvas
  int changed = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(p.at(x, y).height, 1.5f);
      changed += p.at(x, y).red != 255;
    }
  EXPECT_GT(changed, 0);
  p.stroke(ToolId::Gel, 30, 30);
  EXPECT_EQ(p.at(30, 30).red, 255);
  EXPECT_EQ(p.at(30, 30).shading, 200);
  EXPECT_FLOAT_EQ(p.at(30, 30).height, 1.5f + 5.0f);
}

TEST(PaintTools, DabsOnTheCornerOnlyChangeRecordsOnTheCanvas) {
  Painter p(10, 10);
  p.stroke(ToolId::TubePaint, 0, 0);
  EXPECT_EQ(p.at(0, 0).red, 10);
  p.stroke(ToolId::TubePaint, -1, 5);  // centre off the canvas: nothing
  EXPECT_EQ(p.at(0, 5).red, 255);
}

TEST(Fill, PaintsTheRegionOfTheClickedColourOncePerPress) {
  Painter p(12, 8);
  for (int y = 0; y < 8; ++y) p.at(6, y).red = 0;  // a wall
  p.engine.brush.depth = 2.0f;
  p.engine.brush.tool = int32_t(ToolId::Fill);
  p.engine.press(p.doc, 2, 3);
  p.engine.frame(p.doc);
  EXPECT_FALSE(p.engine.buttonDown());
  EXPECT_EQ(p.at(0, 0).red, 10);
  EXPECT_EQ(p.at(5, 7).blue, 30);
  EXPECT_EQ(p.at(5, 7).height, 2.0f);
  EXPECT_EQ(p.at(6, 2).red, 0);
  EXPECT_EQ(p.at(7, 2).red, 255);  // beyond the wall
  EXPECT_FALSE(p.doc.canvas.lightingValid);
}

TEST(Fill, AnEdgePixelMarksOnlyNeighboursOnTheCanvas) {
  Painter p(3, 3);
  p.at(0, 0).red = 1;  // a region of one pixel in the corner
  p.stroke(ToolId::Fill, 0, 0);
  EXPECT_EQ(p.at(0, 0).red, 10);
  EXPECT_EQ(p.at(1, 0).red, 10);  // a direct neighbour always belongs
  EXPECT_EQ(p.at(0, 1).red, 10);
}

TEST(SurfaceTools, RaiseNeedsReliefThatIsAlreadyThere) {
  Painter p;
  p.stroke(ToolId::Raise, 20, 20);
  EXPECT_EQ(p.at(20, 20).height, 0.0f);
  p.engine.brush.size = 2;
  p.stroke(ToolId::TubePaint, 20, 20);
  p.engine.brush.size = 5;
  p.stroke(ToolId::Raise, 20, 20);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 6.0f);
  EXPECT_EQ(p.at(23, 20).height, 0.0f);
  p.stroke(ToolId::Lower, 20, 20);
  p.stroke(ToolId::Lower, 20, 20);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 4.0f);
}

TEST(SurfaceTools, DarkenOfOneGivesZeroAndBrightenOfZeroGivesTen) {
  Painter p;
  p.at(20, 20).red = 1;
  p.at(20, 20).green = 0;
  p.stroke(ToolId::Darken, 20, 20);
  EXPECT_EQ(p.at(20, 20).red, 0);
  p.stroke(ToolId::Brighten, 20, 20);
  EXPECT_EQ(p.at(20, 20).red, 10);
  EXPECT_EQ(p.at(20, 20).green, 10);
}

TEST(SurfaceTools, EraserRestoresTheBlankRecordAndHalvesShading) {
  Painter p;
  p.stroke(ToolId::TubePaint, 20, 20);
  p.at(20, 20).highlight = 90;
  p.stroke(ToolId::Eraser, 20, 20);
  const CanvasPixel& e = p.at(20, 20);
  EXPECT_EQ(e.red + e.green + e.blue, 3 * 255);
  EXPECT_EQ(e.highlight, 0);
  EXPECT_EQ(e.height, 0.0f);
  EXPECT_EQ(e.shading, 100);
}

TEST(SurfaceTools, ShineMatteAndSponge) {
  Painter p;
  p.stroke(ToolId::Shine, 20, 20);
  EXPECT_EQ(p.at(20, 20).highlight, 200);
  p.at(20, 20).height = 4.0f;
  p.stroke(ToolId::Sponge, 20, 20);
  EXPECT_EQ(p.at(20, 20).highlight, 150);
  EXPECT_FLOAT_EQ(p.at(20, 20).height, 3.0f);
  p.stroke(ToolId::Matte, 20, 20);
  EXPECT_EQ(p.at(20, 20).highlight, 0);
}

TEST(SurfaceTools, FingerAtTheEdgeReadsClampedSources) {
  Painter p(10, 10);
  for (int y = 0; y < 10; ++y) p.at(9, y).red = 0;  // right column black
  p.engine.brush.size = 3;
  p.stroke(ToolId::Finger, 8, 5);
  // Pixel 9 takes from column (int)(9 + 0.9) = 9 (clamped): stays black; pixel 8 is the
  // centre and takes from itself.
  EXPECT_EQ(p.at(9, 5).red, 0);
  EXPECT_EQ(p.at(8, 5).red, 255);
  // Pixel 7 takes from (int)(7 - 0.9) = 6, unchanged white.
  EXPECT_EQ(p.at(7, 5).red, 255);
}

TEST(SurfaceTools, EyeDropperPicksTheShownColourWithoutRecording) {
  struct Host : ToolHost {
    Rgb picked;
    void colourPicked(Rgb c) override { picked = c; }
  } host;
  Painter p;
  p.engine.host = &host;
  p.at(5, 5).red = 100;
  relightAll(p.doc.canvas);
  p.stroke(ToolId::EyeDropper, 5, 5);
  EXPECT_EQ(p.doc.history.count(), 0u);
  EXPECT_EQ(host.picked, (Rgb{100, 255, 255}));
  EXPECT_EQ(p.engine.brush.red, 100);
}

TEST(PaintEngine, PressSetsPatternOffsetsAndMovesSlideThem) {
  Painter p;
  p.engine.brush.tool = int32_t(ToolId::Spray);
  p.engine.press(p.doc, 5, 5);
  const PatternOffsets o = p.engine.offsets;
  for (float v : {o.styleX, o.styleY, o.textureX, o.textureY}) {
    EXPECT_GE(v, 0.0f);
    EXPECT_LT(v, 256.0f);
  }
  p.engine.move(2, 5);  // dx = 3: sx = 9, pushed by random amounts below 0.1 and 1/6
  EXPECT_LE(p.engine.offsets.styleX, o.styleX);
  EXPECT_GE(p.engine.offsets.styleX, o.styleX - 9 * 0.1f);
  EXPECT_EQ(p.engine.offsets.styleY, o.styleY);
  EXPECT_EQ(p.engine.cursorX(), 2);
}

}  // namespace
}  // namespace daubwell
