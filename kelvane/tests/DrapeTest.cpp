#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "drape/DrapeFill.h"
#include "drape/Jitter.h"
#include "drape/KVXUtils.h"
#include "drape/OglRender.h"
#include "drape/TKVXLayer.h"
#include "drape/TexCoordGen.h"
#include "raster/ApplyThroughMask.h"

using namespace kelvane;

namespace {

TBitmap32 Solid(int w, int h, TColor32 c) { return TBitmap32(w, h, c); }
TColor32 GreyPixel(uint8_t g) { return Color32(g, g, g); }

// A grid of one cell whose corners are the given node positions; (U, V) from 0 to 1.
TMapGrid OneCell(float left = -1, float top = -1, float right = 1, float bottom = 1, float z = 0) {
  TMapGrid g;
  g.Cols = g.Rows = 1;
  g.Nodes = {{left, top, z, 0, 0}, {right, top, z, 1, 0}, {left, bottom, z, 0, 1}, {right, bottom, z, 1, 1}};
  g.Cells = {{0, 1, 3, 2, 0, 0, 0}};
  return g;
}

// Four texels: red, green on top; blue, white below.
TBitmap32 Quadrants() {
  TBitmap32 t(2, 2);
  t.SetPixel(0, 0, Color32(255, 0, 0));
  t.SetPixel(1, 0, Color32(0, 255, 0));
  t.SetPixel(0, 1, Color32(0, 0, 255));
  t.SetPixel(1, 1, Color32(255, 255, 255));
  return t;
}

// A camera-space square at depth z seen by a 90-degree camera, as two triangles
// (TopLeft, TopRight, BottomRight) with Y up; (U, V) = (0, 0) at the top-left.
TMapGrid SceneSquare(float z, float half, int32_t key = 0) {
  TMapGrid g;
  g.Nodes = {{-half, half, z, 0, 0}, {half, half, z, 1, 0}, {half, -half, z, 1, 1}, {-half, -half, z, 0, 1}};
  g.Cells = {{0, 1, 2, 3, 0, 0, key}, {0, 2, 3, 0, 0, 0, key}};
  return g;
}

constexpr float kRightAngle = float(M_PI / 2);

struct Recorder : TProgress {
  std::vector<std::string> begun, messages;
  int steps = 0;
  void Begin(const std::string& m, int) override { begun.push_back(m); }
  void Message(const std::string& m) override { messages.push_back(m); }
  void Step() override { ++steps; }
  void End() override {}
};

}  // namespace

// ---- the composite: exact integer arithmetic ----

TEST(DrapeComposite, MultiplyGivesTheDrapeThePhotosShading) {
  TBitmap32 result = Solid(4, 1, GreyPixel(10));
  const TBitmap32 photo = Solid(4, 1, GreyPixel(200));
  const TBitmap32 drape = Solid(4, 1, 0xFFFFFFFFu);
  TByteMap mask(4, 1, 255);
  ComposeMultiply(result, drape, photo, mask, 0xFFFFFFFFu, 255);
  EXPECT_EQ(result.Pixel(0, 0), GreyPixel(198));  // 255 * 255 * 200 div 65536

  // Half coverage blends at alpha 128; no transparency leaves the result alone.
  result = Solid(4, 1, GreyPixel(10));
  mask.Clear(128);
  ComposeMultiply(result, drape, photo, mask, 0xFFFFFFFFu, 255);
  EXPECT_EQ(result.Pixel(1, 0), MixThroughMask(GreyPixel(198), GreyPixel(10), 128));
  result = Solid(4, 1, GreyPixel(10));
  mask.Clear(255);
  ComposeMultiply(result, drape, photo, mask, 0xFFFFFFFFu, 0);
  EXPECT_EQ(result.Pixel(2, 0), GreyPixel(10));

  // Colour and drape multiply channel by channel.
  const TColor32 c = Color32(200, 100, 50);
  ComposeMultiply(result, Solid(4, 1, c), photo, mask, c, 255);
  EXPECT_EQ(result.Pixel(3, 0), Color32(200 * 200 * 200 >> 16, 100 * 100 * 200 >> 16, 50 * 50 * 200 >> 16));
}

// The vector composite against the per-pixel rule on random pixels (any alpha), masks
// with empty runs, partial values and full coverage, every transparency class, widths
// that leave each remainder of the four-pixel loop, and a large image split across the
// threads; a mask smaller than the images limits the work to the common area.
TEST(DrapeComposite, MultiplyEqualsThePerPixelRuleBitForBit) {
  std::mt19937 gen(77);
  auto randomBitmap = [&](int w, int h) {
    TBitmap32 b(w, h);
    for (size_t i = 0; i < size_t(w) * h; ++i) b.Bits()[i] = TColor32(gen());
    return b;
  };
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 1}, {4, 2}, {5, 5}, {7, 3}, {13, 11}, {64, 9}, {733, 401}};
  for (auto [w, h] : sizes) {
    const TBitmap32 drape = randomBitmap(w, h), photo = randomBitmap(w, h), start = randomBitmap(w, h);
    TByteMap mask(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t r = gen();
        // Stretches of zeros, of full coverage and of anything in between.
        mask.SetValue(x, y, uint8_t((x / 5 + y) % 3 == 0 ? 0 : (x / 5 + y) % 3 == 1 ? 255 : r));
      }
    for (int t : {0, 1, 128, 230, 255}) {
      const TColor32 color = TColor32(gen());
      TBitmap32 fast = start, reference = start;
      ComposeMultiply(fast, drape, photo, mask, color, uint8_t(t));
      ComposeMultiplyReference(reference, drape, photo, mask, color, uint8_t(t));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(fast.Pixel(x, y), reference.Pixel(x, y)) << w << "x" << h << " at " << x << "," << y << " T " << t;
    }
  }
  // A mask narrower and shorter than the images.
  const TBitmap32 drape = randomBitmap(30, 20), photo = randomBitmap(30, 20), start = randomBitmap(30, 20);
  TBitmap32 fast = start, reference = start;
  ComposeMultiply(fast, drape, photo, TByteMap(17, 9, 200), 0xFFFFFFFFu, 255);
  ComposeMultiplyReference(reference, drape, photo, TByteMap(17, 9, 200), 0xFFFFFFFFu, 255);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      ASSERT_EQ(fast.Pixel(x, y), reference.Pixel(x, y)) << x << "," << y;
      if (x >= 17 || y >= 9) {
        ASSERT_EQ(fast.Pixel(x, y), start.Pixel(x, y)) << x << "," << y;
      }
    }
}

TEST(DrapeComposite, GlareOverlaysTheTintedDrapeOnThePhoto) {
  TBitmap32 photo(2, 1);
  photo.SetPixel(0, 0, GreyPixel(100));
  photo.SetPixel(1, 0, GreyPixel(200));
  TBitmap32 result = Solid(2, 1, 0xFF000000u);
  ComposeGlare(result, Solid(2, 1, 0xFFFFFFFFu), photo, TByteMap(2, 1, 255), 0xFFFFFFFFu, 255);
  // k = 255 * 255 div 256 = 254; dark base: 100 * 254 div 128; light base: 255 - 55 * 1 div 128.
  EXPECT_EQ(result.Pixel(0, 0), GreyPixel(198));
  EXPECT_EQ(result.Pixel(1, 0), GreyPixel(255));
  EXPECT_EQ(OverlayChannel(127, 0), 0u);
  EXPECT_EQ(OverlayChannel(128, 0), 2u);  // 255 - 127 * 255 div 128
}

TEST(DrapeComposite, LevelUpLiftsTheBrightestToWhiteAndLeavesUnmaskedPixels) {
  TBitmap32 image(3, 1);
  image.SetPixel(0, 0, GreyPixel(180));
  image.SetPixel(1, 0, Color32(100, 100, 100));
  image.SetPixel(2, 0, Color32(250, 0, 0));
  TByteMap mask(3, 1, 255);
  mask.SetValue(2, 0, 0);
  ApplyLevelUp(image, mask);
  EXPECT_EQ(image.Pixel(0, 0), GreyPixel(255));
  EXPECT_EQ(image.Pixel(1, 0), GreyPixel(100 + 75));
  EXPECT_EQ(image.Pixel(2, 0), Color32(250, 0, 0));

  // One intensity under the whole mask: grey, nothing divided.
  TBitmap32 flat = Solid(2, 1, Color32(0, 0, 255));
  ApplyLevelUp(flat, TByteMap(2, 1, 255));
  EXPECT_EQ(flat.Pixel(1, 0), GreyPixel(20));
}

TEST(DrapeComposite, HiContrastStretchesOnlyFullyMaskedPixelsRoundingHalvesToEven) {
  TBitmap32 image(4, 1);
  image.SetPixel(0, 0, GreyPixel(51));   // intensity 50
  image.SetPixel(1, 0, GreyPixel(151));  // 150
  image.SetPixel(2, 0, GreyPixel(101));  // 100
  image.SetPixel(3, 0, Color32(101, 101, 0));
  TByteMap mask(4, 1, 255);
  mask.SetValue(3, 0, 200);
  ApplyHiContrast(image, mask);
  EXPECT_EQ(image.Pixel(0, 0), GreyPixel(0));
  EXPECT_EQ(image.Pixel(1, 0), GreyPixel(255));
  EXPECT_EQ(image.Pixel(2, 0), GreyPixel(128));  // 127.5 to the even 128
  const uint8_t g = Intensity(Color32(101, 101, 0));
  EXPECT_EQ(image.Pixel(3, 0), GreyPixel(g));  // grey, not stretched
}

TEST(DrapeComposite, MakeSeamlessCropsTheOverlapAndFadesTheEdges) {
  TBitmap32 t(100, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) t.SetPixel(x, y, Color32(uint8_t(x * 2), uint8_t(y * 3), 7));
  const TBitmap32 h = MakeSeamless(t, 25, 0);
  EXPECT_EQ(h.Width(), 75);
  EXPECT_EQ(h.Height(), 80);
  // Column 0 is mostly the right end (alpha 10 of the left over column 75).
  EXPECT_EQ(h.Pixel(0, 5), BlendPixel((t.Pixel(0, 5) & 0x00FFFFFFu) | 10u << 24, t.Pixel(75, 5)));
  EXPECT_EQ(h.Pixel(24, 5), t.Pixel(24, 5));  // the ramp ends at 255
  EXPECT_EQ(h.Pixel(50, 5), t.Pixel(50, 5));

  const TBitmap32 v = MakeSeamless(t, 0, 20);
  EXPECT_EQ(v.Width(), 100);
  EXPECT_EQ(v.Height(), 60);
  EXPECT_EQ(v.Pixel(9, 0), t.Pixel(9, 60) | 0xFF000000u);  // row 0 has alpha 0: the bottom shows
  EXPECT_EQ(v.Pixel(9, 20), t.Pixel(9, 20));

  // Overlaps beyond the texture keep one column and row instead of an empty texture.
  const TBitmap32 tiny = MakeSeamless(t, 500, -3);
  EXPECT_EQ(tiny.Width(), 1);
  EXPECT_EQ(tiny.Height(), 80);
}

TEST(DrapeComposite, FillTiledRepeatsFromTheCornerAndClearDrapePutsThePhotoBack) {
  TBitmap32 d(5, 3, 0);
  FillTiled(d, Quadrants());
  EXPECT_EQ(d.Pixel(0, 0), Color32(255, 0, 0));
  EXPECT_EQ(d.Pixel(3, 0), Color32(0, 255, 0));
  EXPECT_EQ(d.Pixel(4, 2), Color32(255, 0, 0));
  EXPECT_EQ(d.Width(), 5);

  TBitmap32 result = Solid(3, 1, 1);
  TByteMap mask(3, 1, 0);
  mask.SetValue(1, 0, 3);
  ClearDrape(result, Solid(3, 1, 9), mask);
  EXPECT_EQ(result.Pixel(0, 0), 1u);
  EXPECT_EQ(result.Pixel(1, 0), 9u);
}

// ---- texture coordinates ----

TEST(TexCoords, RotationTurnsAboutTheCentreAndTilingScales) {
  const auto [s, t] = RotateUV(90, 1, 0);
  EXPECT_NEAR(s, 1, 1e-6);
  EXPECT_NEAR(t, 1, 1e-6);
  const auto [s2, t2] = NodeTexCoord({0, 0.5f, 0.25f, 3, 2}, 1, 1);
  EXPECT_FLOAT_EQ(s2, 3.5f);
  EXPECT_FLOAT_EQ(t2, 2.25f);
}

TEST(TexCoords, GenLinearDividesByAThousandAndSubtractsY) {
  TMapGrid g;
  g.Nodes = {{1, 2, 3, 9, 9}};
  GenLinearTexCoords(g, {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000});
  EXPECT_FLOAT_EQ(g.Nodes[0].U, 3);
  EXPECT_FLOAT_EQ(g.Nodes[0].V, 3);
  GenLinearTexCoords(g, TTexGenCoefficients{});
  EXPECT_FLOAT_EQ(g.Nodes[0].U, 0.003f);

  EXPECT_FALSE(ParseTexGenCoefficients({"1", "1", "abc", "1", "1", "1", "1", "1"}));
  EXPECT_FALSE(ParseTexGenValue(""));
  EXPECT_FALSE(ParseTexGenValue("1e999"));
  EXPECT_EQ(ParseTexGenValue("-1,5"), -1.5);
  EXPECT_EQ(ParseTexGenValue(" 2.25 "), 2.25);
}

TEST(Jitter, TablesHaveOnePointPerPass) {
  for (int p : {2, 3, 4, 8, 15, 24, 66}) EXPECT_EQ(JitterTable(p).size(), size_t(p)) << p;
  EXPECT_TRUE(JitterTable(5).empty());
  EXPECT_TRUE(JitterTable(-1).empty());
  EXPECT_DOUBLE_EQ(JitterTable(66).back().dy, 0.221726);
}

// ---- choosing the rasteriser ----

TEST(RenderChoice, PerspectiveViewportCropsTheShorterAxis) {
  EXPECT_EQ(PerspectiveViewport(400, 300), (TViewport{0, -50, 400, 400}));
  EXPECT_EQ(PerspectiveViewport(300, 401), (TViewport{-50, 0, 401, 401}));
}

TEST(RenderChoice, NoAntialiasingRendersPlainWhileTheMaskStillTakesTwoPasses) {
  TKVXParamBlock scene;
  scene.FieldOfView = 0.5f;
  TRenderOptions none{TTextureSampling::Linear, -1, true};
  EXPECT_EQ(TKVXLayer::ChooseRasteriser(scene, none), TKVXLayer::TRasteriser::Perspective);
  EXPECT_EQ(TKVXLayer::ChooseRasteriser(scene, {TTextureSampling::Linear, 8, true}),
            TKVXLayer::TRasteriser::PerspectiveAA);
  EXPECT_EQ(TKVXLayer::ChooseRasteriser(scene, {TTextureSampling::Linear, 8, false}),
            TKVXLayer::TRasteriser::Perspective);
  EXPECT_EQ(TKVXLayer::ChooseRasteriser(TKVXParamBlock{}, none), TKVXLayer::TRasteriser::Flat);

  const TMapGrid square = SceneSquare(-2, 1);
  const TSceneObject objects[] = {{&square, 0}};
  TByteMap mask(8, 8);
  Recorder progress;
  ASSERT_TRUE(RenderMaskAA(objects, 0, kRightAngle, mask, none, &progress));
  EXPECT_EQ(progress.begun, (std::vector<std::string>{"Pass 1", "Pass 2"}));
}

// ---- rendering through OpenGL ----

TEST(RenderFlat, OneCellReproducesTheTextureTopRowAtTheTop) {
  TBitmap32 target(64, 48, 0);
  const TMapGrid g = OneCell();
  ASSERT_TRUE(RenderFlat(g, Quadrants(), target, {}, 0xFF000000u, {TTextureSampling::Nearest, -1, false}));
  EXPECT_EQ(target.Pixel(0, 0), Color32(255, 0, 0));
  EXPECT_EQ(target.Pixel(63, 0), Color32(0, 255, 0));
  EXPECT_EQ(target.Pixel(0, 47), Color32(0, 0, 255));
  EXPECT_EQ(target.Pixel(63, 47), Color32(255, 255, 255));
  EXPECT_EQ(target.Pixel(31, 23), Color32(255, 0, 0));
  EXPECT_EQ(target.Pixel(32, 24), Color32(255, 255, 255));
}

TEST(RenderFlat, UncoveredPixelsTakeTheColourAndTheEarlierCellWinsOverlaps) {
  TMapGrid g = OneCell(-1, -1, 0, 1);  // the left half
  TMapGrid second = OneCell(-1, -1, 1, 1);
  for (TMapNode& n : second.Nodes) n.U = n.V = 0.75f;  // all white
  AppendGrid(g, second, 0, 0);
  TBitmap32 target(40, 20, 0);
  const TColor32 c = Color32(10, 20, 30);
  ASSERT_TRUE(RenderFlat(g, Quadrants(), target, {}, c, {TTextureSampling::Nearest, 8, true}));
  EXPECT_EQ(target.Pixel(0, 0), Color32(255, 0, 0));
  EXPECT_EQ(target.Pixel(19, 19), Color32(255, 255, 255));  // texel (1, 1) of the first cell
  EXPECT_EQ(target.Pixel(30, 5), Color32(255, 255, 255));   // only the second cell

  g.Cells.resize(1);
  target.Clear(0);
  ASSERT_TRUE(RenderFlat(g, Quadrants(), target, {}, c, {}));
  EXPECT_EQ(target.Pixel(30, 5), c);
}

TEST(RenderFlat, LargeTargetsAreDrawnTileByTileWithoutSeams) {
  TBitmap32 target(2100, 1500, 0);
  ASSERT_TRUE(RenderFlat(OneCell(), Quadrants(), target, {}, 0, {TTextureSampling::Nearest, -1, false}));
  // Three tiles across (edges at x = 700 and 1400), two down (edge at y = 750): the
  // texel edge at x = 1050 falls inside a tile, the one at y = 750 on a tile edge.
  for (int x : {0, 699, 700, 1023, 1024, 1049}) EXPECT_EQ(target.Pixel(x, 1023), Color32(0, 0, 255)) << x;
  for (int x : {1399, 1400}) EXPECT_EQ(target.Pixel(x, 749), Color32(0, 255, 0)) << x;
  for (int x : {699, 700}) EXPECT_EQ(target.Pixel(x, 749), Color32(255, 0, 0)) << x;
  for (int x : {1050, 2047, 2048, 2099}) EXPECT_EQ(target.Pixel(x, 1024), Color32(255, 255, 255)) << x;
  for (int y : {0, 749}) EXPECT_EQ(target.Pixel(2099, y), Color32(0, 255, 0)) << y;
  EXPECT_EQ(target.Pixel(2099, 750), Color32(255, 255, 255));
}

TEST(FlatRenderer, KeepsItsContextAndTextureAndGivesRenderFlatsPixels) {
  // A bent 3 x 2 lattice over a texture of distinct texels, tiled and turned.
  TMapGrid g;
  DivideRect(g, 0, 0, 90, 60, 90, 60, 3, 2);
  g.Nodes[5].X += 0.2f;
  g.Nodes[5].Y -= 0.15f;
  TBitmap32 texture(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) texture.SetPixel(x, y, Color32(uint8_t(x * 16), uint8_t(y * 32), uint8_t(x * y)));
  const TTexturePlacement place{15, 0.1f, 0, 2, 1.5f};
  const TRenderOptions linear{TTextureSampling::Linear, -1, false};
  TFlatRenderer renderer;
  auto expectSame = [&](const char* what, const TBitmap32& t, uint64_t key, int w, int h, TColor32 c,
                        const TRenderOptions& options) {
    SCOPED_TRACE(what);
    TBitmap32 fast(w, h, 0), reference(w, h, 0);
    ASSERT_TRUE(renderer.Render(g, t, key, fast, place, c, options));
    ASSERT_TRUE(RenderFlat(g, t, reference, place, c, options));
    EXPECT_TRUE(std::equal(fast.Bits(), fast.Bits() + size_t(w) * h, reference.Bits()));
  };
  expectSame("first render", texture, 1, 90, 60, 0xFF102030u, linear);
  // The grid moves and RenderFlat's own context has come and gone in between.
  g.Nodes[6].X -= 0.3f;
  expectSame("moved grid", texture, 1, 90, 60, 0xFF102030u, linear);
  expectSame("other sampling", texture, 1, 90, 60, 0xFF102030u, {TTextureSampling::Smooth, -1, false});
  TBitmap32 other = texture;
  other.Clear(0xFF00FF00u);
  expectSame("a new texture under a new key", other, 2, 90, 60, 0xFF102030u, linear);
  expectSame("no texture: the colour", TBitmap32(), 3, 90, 60, 0xFF804020u, linear);
  expectSame("no texture, another colour", TBitmap32(), 3, 90, 60, 0xFF2040A0u, linear);
  expectSame("a target of two tiles", texture, 4, 1100, 40, 0xFF102030u, linear);
  expectSame("back to a small one", texture, 4, 30, 20, 0xFF102030u, linear);
  // Under the same key the kept texture is drawn: the key is the caller's promise.
  TBitmap32 kept(30, 20, 0), fresh(30, 20, 0);
  ASSERT_TRUE(renderer.Render(g, other, 4, kept, place, 0, linear));
  ASSERT_TRUE(RenderFlat(g, texture, fresh, place, 0, linear));
  EXPECT_TRUE(std::equal(kept.Bits(), kept.Bits() + 600, fresh.Bits()));
}

TEST(RenderPerspective, CameraSpaceYPointsUpOnTheTarget) {
  TBitmap32 target(40, 30, 0);
  // A square filling the 90-degree view at depth 1.
  const TMapGrid g = SceneSquare(-1, 1);
  ASSERT_TRUE(RenderPerspective(g, Quadrants(), target, {}, 0, kRightAngle, {TTextureSampling::Nearest, -1, false}));
  EXPECT_EQ(target.Pixel(0, 0), Color32(255, 0, 0));
  EXPECT_EQ(target.Pixel(39, 29), Color32(255, 255, 255));
  EXPECT_EQ(target.Pixel(0, 29), Color32(0, 0, 255));
}

TEST(RenderPerspective, AntialiasingSoftensEdgesAndDrawsOnlyTheObjectsKey) {
  TMapGrid g = SceneSquare(-2, 1, 5);  // half the view: x in -0.5..0.5 after projection
  const TMapGrid other = SceneSquare(-1.5f, 1, 6);
  AppendGrid(g, other, 5, 6);  // keyed 5 as well: it would cover
  g.Cells.back().Key = g.Cells[g.Cells.size() - 2].Key = 6;
  const TBitmap32 white(1, 1, 0xFFFFFFFFu);
  TBitmap32 target(41, 41, 0);
  Recorder progress;
  ASSERT_TRUE(RenderPerspectiveAA(g, white, target, {}, 0xFF000000u, kRightAngle, 5,
                                  {TTextureSampling::Linear, 4, true}, &progress));
  EXPECT_EQ(progress.begun.back(), "Antialiasing");
  EXPECT_EQ(target.Pixel(20, 20), 0xFFFFFFFFu);
  EXPECT_EQ(target.Pixel(0, 0), 0xFF000000u);  // the larger square, keyed 6, was not drawn
  // Where the square's edge crosses a pixel the passes mix white and black.
  int partial = 0;
  for (int x = 0; x < 41; ++x) {
    const int v = RedComponent(target.Pixel(x, 20));
    partial += v > 0 && v < 255;
  }
  EXPECT_GE(partial, 2);
}

TEST(RenderMaskAA, TheMaskKeepsOnlyTheVisiblePart) {
  const TMapGrid back = SceneSquare(-2, 2);  // fills the view
  TMapGrid front;
  front.Nodes = {{-1, 1, -1, 0, 0}, {0, 1, -1, 0, 0}, {0, -1, -1, 0, 0}, {-1, -1, -1, 0, 0}};
  front.Cells = {{0, 1, 2, 3, 0, 0, 3}, {0, 2, 3, 0, 0, 0, 3}};  // the left half, nearer
  const TSceneObject objects[] = {{&back, 0}, {&front, 3}};
  TByteMap mask(32, 32);
  ASSERT_TRUE(RenderMaskAA(objects, 0, kRightAngle, mask, {TTextureSampling::Linear, 8, true}));
  EXPECT_EQ(mask.Value(4, 16), 0);
  EXPECT_EQ(mask.Value(28, 16), 255);
  TByteMap frontMask(32, 32);
  ASSERT_TRUE(RenderMaskAA(objects, 1, kRightAngle, frontMask, {TTextureSampling::Linear, 8, true}));
  EXPECT_EQ(frontMask.Value(4, 16), 255);
  EXPECT_EQ(frontMask.Value(28, 16), 0);
}

// ---- the fill pipeline ----

TEST(DrapeFill, WhiteTextureTakesThePhotosBrightnessStepByStep) {
  TBitmap32 photo(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) photo.SetPixel(x, y, GreyPixel(uint8_t(40 + x * 10 + y)));
  TBitmap32 result = photo;
  TMapGrid grid = OneCell();
  TKVXLayer layer;
  layer.SetGrid(&grid, 0);
  const TBitmap32 white(4, 4, 0xFFFFFFFFu);
  TByteMap mask(16, 8, 255);
  mask.SetValue(0, 0, 0);
  TFillInput in;
  in.Base = &photo;
  in.Result = &result;
  in.Mask = &mask;
  in.Texture = &white;
  Recorder progress;
  ASSERT_TRUE(DrapeFill(layer, in, &progress));
  EXPECT_EQ(result.Pixel(0, 0), photo.Pixel(0, 0));
  const uint8_t g = Intensity(photo.Pixel(5, 3));
  EXPECT_EQ(result.Pixel(5, 3), GreyPixel(uint8_t(255 * 255 * g >> 16)));
  const char* steps[] = {"Prepere image... ", "Prepate texture... ", "Render object... ", "Level Up... ",
                         "Hi contrast... ", "Apply Texture... "};
  ASSERT_EQ(progress.messages.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(progress.messages[i].rfind(steps[i], 0), 0u) << progress.messages[i];

  // Without a texture the drape is the colour: R(c) squared times the intensity.
  result = photo;
  in.Texture = nullptr;
  in.Color = Color32(200, 100, 50);
  ASSERT_TRUE(DrapeFill(layer, in));
  EXPECT_EQ(RedComponent(result.Pixel(5, 3)), 200u * 200 * g >> 16);

  // No mask, no fill.
  result = photo;
  in.Mask = nullptr;
  ASSERT_TRUE(DrapeFill(layer, in));
  EXPECT_TRUE(std::equal(result.Bits(), result.Bits() + 16 * 8, photo.Bits()));
}

TEST(DrapeFill, MultiObjectFillRendersTheMergedGridsAndGivesTheGridBack) {
  const TBitmap32 photo(20, 10, GreyPixel(255));
  TBitmap32 result = photo;
  TMapGrid own = OneCell(-1, -1, -0.8f, -0.8f);
  TMapGrid left = OneCell(-1, -1, 0, 1), right = OneCell(0, -1, 1, 1);
  right.Cells[0].Key = 7;
  for (TMapNode& n : left.Nodes) n.U = n.V = 0.25f;   // red
  for (TMapNode& n : right.Nodes) n.U = n.V = 0.75f;  // white
  TKVXLayer layer;
  layer.SetGrid(&own, 0);
  layer.Options.Sampling = TTextureSampling::Nearest;
  const TBitmap32 texture = Quadrants();
  layer.SetTexture(texture);
  TByteMap mask(20, 10, 255);
  TFillInput in;
  in.Base = &photo;
  in.Result = &result;
  in.Mask = &mask;
  in.Texture = &texture;
  in.Color = Color32(0, 0, 255);
  const TFillObject selected[] = {{&left, 0}, {&right, 7}};
  ASSERT_TRUE(DrapeFillMulti(layer, in, selected));
  EXPECT_EQ(layer.Grid, &own);
  EXPECT_EQ(result.Pixel(2, 5), Color32(0, 0, 0));  // red texture x blue colour
  EXPECT_EQ(result.Pixel(17, 5), Color32(0, 0, 253));  // 255 x 255 x 255 div 65536
}
