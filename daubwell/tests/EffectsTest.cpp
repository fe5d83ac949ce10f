#include <gtest/gtest.h>

#include "TestSupport.h"
#include "canvas/Lighting.h"
#include "effects/Effects.h"

namespace daubwell {
namespace {

Document documentOf(Canvas c) {
  Document doc;
  doc.canvas = std::move(c);
  doc.canvas.kind = kDocumentCanvas;
  return doc;
}

CanvasPixel run(const char* name, CanvasPixel p, const EffectParams& params = {}) {
  Canvas c;
  c.create(1, 1);
  c.at(0, 0) = p;
  Document doc = documentOf(std::move(c));
  applyEffect(doc, *findEffect(name), params);
  return doc.canvas.at(0, 0);
}

TEST(Effects, SeventeenEffectsOneUndoStepEachAndTheLightingInvalidated) {
  ASSERT_EQ(effects().size(), 17u);
  for (const Effect& e : effects()) {
    Document doc = documentOf(test::randomCanvas(6, 5, 3));
    relightAll(doc.canvas);
    PatternImages patterns;
    EffectParams params;
    params.patterns = &patterns;
    applyEffect(doc, e, params);
    EXPECT_EQ(doc.history.count(), 1u) << e.name;
    EXPECT_FALSE(doc.canvas.lightingValid) << e.name;
    EXPECT_EQ(findEffectByMenuId(e.menuId), &e);
  }
}

TEST(Effects, SolarizeMovesHalfWayTowardsTheScaledColour) {
  const CanvasPixel s = run("solarize", {.red = 100, .green = 50, .blue = 0});
  EXPECT_EQ(s.red, 177);
  EXPECT_EQ(s.green, 88);
  EXPECT_EQ(s.blue, 0);
  const CanvasPixel black = run("solarize", {.red = 0, .green = 0, .blue = 0});
  EXPECT_EQ(black.red + black.green + black.blue, 0);
}

TEST(Effects, EnhanceStretchesByTheMaximumNotTheRange) {
  Canvas c;
  c.create(2, 1);
  c.at(0, 0) = {.red = 20, .green = 20, .blue = 20};
  c.at(1, 0) = {.red = 200, .green = 100, .blue = 20, .highlight = 100};
  Document doc = documentOf(std::move(c));
  applyEffect(doc, *findEffect("enhance"), {});
  EXPECT_EQ(doc.canvas.at(1, 0).red, 229);  // (200 - 20) * 255 / 200
  EXPECT_EQ(doc.canvas.at(0, 0).red, 0);
  EXPECT_EQ(doc.canvas.at(1, 0).highlight, 100 + (255 - 100) / 4);
}

TEST(Effects, InversesAndPowersOfTwoRestoreExactly) {
  const Canvas start = test::randomCanvas(9, 7, 11, 100.0f);
  Document doc = documentOf(start);
  for (const char* name : {"invert", "invert", "texture-invert", "texture-invert", "deflate", "inflate",
                           "paint-invert", "paint-invert"})
    applyEffect(doc, *findEffect(name), {});
  for (size_t i = 0; i < start.pixels.size(); ++i) {
    EXPECT_EQ(doc.canvas.pixels[i].red, start.pixels[i].red);
    EXPECT_EQ(doc.canvas.pixels[i].highlight, start.pixels[i].highlight);
    EXPECT_EQ(doc.canvas.pixels[i].height, start.pixels[i].height);
  }
}

TEST(Effects, DefenestrateSixTimesRestoresWholeHeights) {
  const CanvasPixel start{.red = 1, .green = 2, .blue = 3, .highlight = 4, .shading = 5, .height = 77.0f};
  CanvasPixel p = start;
  for (int i = 0; i < 6; ++i) p = run("defenestrate", p);
  EXPECT_EQ(p.red, 1);
  EXPECT_EQ(p.green, 2);
  EXPECT_EQ(p.blue, 3);
  EXPECT_EQ(p.highlight, 4);
  EXPECT_EQ(p.shading, 5);
  EXPECT_EQ(p.height, 77.0f);
  CanvasPixel q = start;
  q.height = 12.75f;
  for (int i = 0; i < 6; ++i) q = run("defenestrate", q);
  EXPECT_EQ(q.height, 12.0f);
}

TEST(Effects, ColourRules) {
  const CanvasPixel p{.red = 200, .green = 100, .blue = 50, .highlight = 128, .shading = 9, .height = 2.0f};
  const CanvasPixel d = run("desaturate", p);
  EXPECT_EQ(d.red, int(0.59 * 200 + 0.3 * 100 + 0.11 * 50));
  EXPECT_EQ(d.blue, d.red);
  const CanvasPixel n = run("night", p);
  EXPECT_EQ(n.red, 128);
  EXPECT_EQ(n.green, 64);
  const CanvasPixel a = run("aqua", p);
  const double k = int(0.59 * 200 + 0.3 * 100 + 0.11 * 50) / 255.0;
  const int red = int(128 / 255.0 * k * 200);
  EXPECT_EQ(a.red, red);
  EXPECT_EQ(a.green, int(red / 255.0 * k * 100));
  EXPECT_EQ(a.blue, 30);  // 50 * 50 / 255 * k is below the floor of 30
  const CanvasPixel o = run("outline", p);
  EXPECT_FLOAT_EQ(o.height, float(2.0 + 0.04 * (0.59 * 200 + 0.3 * 100 + 0.11 * 50)));
  EffectParams brush;
  brush.color = {1, 2, 3};
  const CanvasPixel c = run("clear", p, brush);
  EXPECT_EQ(c.red, 1);
  EXPECT_EQ(c.blue, 3);
  EXPECT_EQ(c.shading, 0);
  EXPECT_EQ(c.height, 0.0f);
}

TEST(Effects, FlattenKeepsThePictureOnScreenWithoutRelief) {
  Document doc = documentOf(test::randomCanvas(20, 12, 8, 3.0f));
  doc.canvas.highQuality = false;  // a flat pixel then shows its own highlight
  relightAll(doc.canvas);
  const auto before = doc.canvas.surface.bytes();
  applyEffect(doc, *findEffect("flatten"), {});
  for (const CanvasPixel& p : doc.canvas.pixels) {
    EXPECT_EQ(p.height, 0.0f);
    EXPECT_EQ(p.shading, 0);
  }
  // Without relief and lighting weight the shown colour is the colour above the floor
  // plus the floor: exactly the picture that was on screen.
  relightAll(doc.canvas);
  EXPECT_EQ(doc.canvas.surface.bytes(), before);
  applyEffect(doc, *findEffect("sicken"), {});
  for (const CanvasPixel& p : doc.canvas.pixels) EXPECT_EQ(p.highlight, 0);
}

TEST(Effects, PatternFillsSampleTheBrushImagesAtTheTextureOffsets) {
  PatternImages patterns;
  patterns.style[2].create(400, 400);
  patterns.style[2].setPixel(13, 4, 90, 90, 90);
  patterns.texture[5].create(400, 400);
  patterns.texture[5].setPixel(13, 4, 50, 50, 50);
  EffectParams params;
  params.style = 2;
  params.texture = 5;
  params.offsets = {0, 0, 10.7f, 3.2f};
  params.patterns = &patterns;
  Canvas c;
  c.create(4, 2);
  Document doc = documentOf(std::move(c));
  applyEffect(doc, *findEffect("paint-fill"), params);
  applyEffect(doc, *findEffect("texture-fill"), params);
  EXPECT_EQ(doc.canvas.at(3, 1).highlight, 90);  // column 10 + 3, row 3 + 1
  EXPECT_FLOAT_EQ(doc.canvas.at(3, 1).height, 1.0f);
  EXPECT_EQ(doc.canvas.at(2, 1).highlight, 0);
}

}  // namespace
}  // namespace daubwell
