#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/ObjectFill.h"
#include "app/TKVXEditSession.h"
#include "drape/FollowFolds.h"
#include "drape/KVXGridTools.h"
#include "drape/OglRender.h"
#include "drape/ProjectiveCells.h"
#include "drape/TileSize.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

// Checks of `side` pixels: black and white squares, two across and two down.
TBitmap32 checker(int side) {
  TBitmap32 t(2 * side, 2 * side);
  for (int y = 0; y < t.Height(); ++y)
    for (int x = 0; x < t.Width(); ++x) t.SetPixel(x, y, ((x / side) + (y / side)) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
  return t;
}

TMapGrid lattice(int w, int h, int cols = 1, int rows = 1) {
  TMapGrid g;
  DivideRect(g, 0, 0, w, h, w, h, cols, rows);
  return g;
}

// The lengths of the runs of equal brightness along a line of pixels, without the two
// runs the line's ends cut.
std::vector<int> innerRuns(const std::vector<TColor32>& line) {
  std::vector<int> runs;
  int n = 1;
  for (size_t i = 1; i < line.size(); ++i) {
    if ((line[i] & 0x80) == (line[i - 1] & 0x80)) {
      ++n;
      continue;
    }
    runs.push_back(n);
    n = 1;
  }
  if (!runs.empty()) runs.erase(runs.begin());
  return runs;
}

std::pair<double, double> checkSize(const TBitmap32& b) {
  std::vector<TColor32> row, col;
  for (int x = 0; x < b.Width(); ++x) row.push_back(b.Pixel(x, b.Height() / 2 + 3));
  for (int y = 0; y < b.Height(); ++y) col.push_back(b.Pixel(b.Width() / 2 + 3, y));
  auto mean = [](const std::vector<int>& r) {
    double s = 0;
    for (int v : r) s += v;
    return r.empty() ? 0.0 : s / double(r.size());
  };
  return {mean(innerRuns(row)), mean(innerRuns(col))};
}

TEST(KeepProportions, SquaresStaySquareOnAThreeByTwoGrid) {
  const TMapGrid g = lattice(300, 200);
  TKVXParamBlock p;
  p.TileX = p.TileY = 5;
  TBitmap32 plain(300, 200), kept(300, 200);
  const TRenderOptions nearest{TTextureSampling::Nearest, -1, false};
  ASSERT_TRUE(RenderFlat(g, checker(8), plain, {0, 0, 0, p.TileX, p.TileY}, 0xFF000000u, nearest));
  // Today's tiling: 5 repeats each way, so the checks are 30 x 20.
  const auto [pw, ph] = checkSize(plain);
  EXPECT_NEAR(pw, 30, 1);
  EXPECT_NEAR(ph, 20, 1);

  TTileRule rule;
  rule.KeepProportions = true;
  auto tiles = RuleTiles(rule, p, g, 300, 200, 16, 16);
  ASSERT_TRUE(tiles.ok()) << tiles.error();
  EXPECT_FLOAT_EQ(tiles->first, 5);
  EXPECT_NEAR(tiles->second, 5 * 200.0 / 300.0, 1e-4);
  ASSERT_TRUE(RenderFlat(g, checker(8), kept, {0, 0, 0, tiles->first, tiles->second}, 0xFF000000u, nearest));
  const auto [kw, kh] = checkSize(kept);
  EXPECT_NEAR(kw, 30, 1);
  EXPECT_NEAR(kh, 30, 1);
}

TEST(KeepProportions, FollowsTheTexturesProportionsItsSeamlessCropAndTheGridsCells) {
  TKVXParamBlock p;
  p.TileX = 2;
  TTileRule rule;
  rule.KeepProportions = true;
  // A texture twice as wide as high on a square grid: twice the repeats down.
  const TMapGrid square = lattice(100, 100, 4, 4);
  EXPECT_NEAR(RuleTiles(rule, p, square, 100, 100, 64, 32)->second, 4, 1e-4);
  // The seamless crop makes a 100 x 100 texture 75 x 100.
  p.SeamlessX = 0.25f;
  EXPECT_NEAR(RuleTiles(rule, p, square, 100, 100, 100, 100)->second, 2 * 0.75, 1e-4);
  p.SeamlessX = 0;
  // The grid covers half the image's width: its cells, not the image, count.
  TMapGrid half;
  DivideRect(half, 0, 0, 50, 100, 100, 100, 3, 3);
  EXPECT_NEAR(RuleTiles(rule, p, half, 100, 100, 10, 10)->second, 2 * 100.0 / 50.0, 1e-4);
  // Turned a quarter, the texture's width lies along the grid's height.
  p.Rotate = 90;
  EXPECT_NEAR(RuleTiles(rule, p, half, 100, 100, 10, 10)->second, 2 * 50.0 / 100.0, 1e-3);
  // Nothing to measure.
  EXPECT_FALSE(RuleTiles(rule, p, TMapGrid{}, 100, 100, 10, 10).ok());
  EXPECT_FALSE(RuleTiles(rule, p, square, 100, 100, 0, 10).ok());
}

TEST(RealSizes, CentimetresGiveTheTiles) {
  const TMapGrid g = lattice(300, 200, 6, 4);
  TKVXParamBlock p;
  TTileRule rule;
  rule.ObjectWidthCm = 240;  // 0.8 cm a pixel, so the object is 160 cm high
  rule.RepeatXCm = 20;
  auto t = RuleTiles(rule, p, g, 300, 200, 50, 50);
  ASSERT_TRUE(t.ok());
  EXPECT_NEAR(t->first, 12, 1e-4);
  EXPECT_NEAR(t->second, 8, 1e-4);  // a square texture: a 20 x 20 cm repeat
  rule.RepeatYCm = 40;
  EXPECT_NEAR(RuleTiles(rule, p, g, 300, 200, 50, 50)->second, 4, 1e-4);
  // A repeat without a height takes the texture's: 50 x 100 pixels, 20 x 40 cm.
  rule.RepeatYCm = 0;
  EXPECT_NEAR(RuleTiles(rule, p, g, 300, 200, 50, 100)->second, 4, 1e-4);
  // A scene object is measured in its own units: a 3 x 1 plane in depth.
  TMapGrid scene = lattice(300, 200);
  for (TMapNode& n : scene.Nodes) n.X *= 1.5f, n.Y *= 0.5f, n.Z = -5;
  p.FieldOfView = 0.8f;
  rule.ObjectWidthCm = 300;
  rule.RepeatXCm = 50;
  t = RuleTiles(rule, p, scene, 300, 200, 10, 10);
  EXPECT_NEAR(t->first, 6, 1e-4);
  EXPECT_NEAR(t->second, 2, 1e-4);
}

// One-pixel stripes: black on even columns, white on odd ones.
TBitmap32 fineStripes(int side) {
  TBitmap32 t(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) t.SetPixel(x, y, x % 2 ? 0xFFFFFFFFu : 0xFF000000u);
  return t;
}

std::pair<int, int> greenRange(const TBitmap32& b) {
  int lo = 255, hi = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const int g = GreenComponent(b.Pixel(x, y));
      lo = std::min(lo, g), hi = std::max(hi, g);
    }
  return {lo, hi};
}

TEST(SmoothSampling, FineStripesTiledEightTimesAverageToGreyWhereLinearAliases) {
  const TMapGrid g = lattice(100, 100);
  const TTexturePlacement eight{0, 0, 0, 8, 8};
  TBitmap32 linear(100, 100), smooth(100, 100);
  ASSERT_TRUE(RenderFlat(g, fineStripes(64), linear, eight, 0xFF000000u, {TTextureSampling::Linear, -1, false}));
  ASSERT_TRUE(RenderFlat(g, fineStripes(64), smooth, eight, 0xFF000000u, {TTextureSampling::Smooth, -1, false}));
  const auto [llo, lhi] = greenRange(linear);
  EXPECT_GT(lhi - llo, 100) << "the plain filter picks stripes";
  const auto [slo, shi] = greenRange(smooth);
  EXPECT_GE(slo, 120);
  EXPECT_LE(shi, 136);
  // A texture whose side is not a power of two goes through the mipmap builder.
  ASSERT_TRUE(RenderFlat(g, fineStripes(60), smooth, eight, 0xFF000000u, {TTextureSampling::Smooth, -1, false}));
  EXPECT_LE(greenRange(smooth).second - greenRange(smooth).first, 40);
}

TEST(SmoothSampling, ATextureWiderThanTheRendererTakesGetsItsSmallerLevelsToo) {
  // Shrunk once to 16384 columns and loaded as one level; the others are made from it.
  TBitmap32 t(17000, 2);
  for (int x = 0; x < 17000; ++x) t.FillRect({x, 0, x + 1, 2}, x % 2 ? 0xFFFFFFFFu : 0xFF000000u);
  TBitmap32 target(64, 8);
  ASSERT_TRUE(RenderFlat(lattice(64, 8), t, target, {}, 0xFF000000u, {TTextureSampling::Smooth, -1, false}));
  const auto [lo, hi] = greenRange(target);
  EXPECT_GE(lo, 110);
  EXPECT_LE(hi, 145);
}

// A floor in perspective: one cell narrower at the top, black on the left half of the
// texture and white on the right.
TMapGrid trapezoid() {
  TMapGrid g;
  g.Cols = g.Rows = 1;
  g.Nodes = {{-0.5f, -0.8f, 0, 0, 0}, {0.5f, -0.8f, 0, 1, 0}, {-0.9f, 0.8f, 0, 0, 1}, {0.9f, 0.8f, 0, 1, 1}};
  g.Cells = {{0, 1, 3, 2, 0, 0, 0}};
  return g;
}

TBitmap32 halves() {
  TBitmap32 t(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) t.SetPixel(x, y, x < 4 ? 0xFF000000u : 0xFFFFFFFFu);
  return t;
}

// The first white pixel of each row inside the cell, and how far the farthest lies from
// the straight line fitted through them all.
struct TEdgeFit {
  double meanX = 0, worst = 0;
};
TEdgeFit fitStripeEdge(const TBitmap32& b) {
  std::vector<double> xs, ys;
  for (int y = 25; y < 175; ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (RedComponent(b.Pixel(x, y)) > 200) {
        xs.push_back(x);
        ys.push_back(y);
        break;
      }
  const double n = double(xs.size());
  double sy = 0, sx = 0, syy = 0, sxy = 0;
  for (size_t i = 0; i < xs.size(); ++i) sy += ys[i], sx += xs[i], syy += ys[i] * ys[i], sxy += xs[i] * ys[i];
  const double b1 = (n * sxy - sx * sy) / (n * syy - sy * sy), a = (sx - b1 * sy) / n;
  TEdgeFit f;
  f.meanX = sx / n;
  for (size_t i = 0; i < xs.size(); ++i) f.worst = std::max(f.worst, std::abs(xs[i] - (a + b1 * ys[i])));
  return f;
}

TEST(ProjectiveCells, AStripeEdgeStaysStraightInATrapezoidCell) {
  TRenderOptions o{TTextureSampling::Nearest, -1, false};
  TBitmap32 kinked(200, 200), straight(200, 200);
  ASSERT_TRUE(RenderFlat(trapezoid(), halves(), kinked, {}, 0xFF808080u, o));
  o.ProjectiveCells = true;
  ASSERT_TRUE(RenderFlat(trapezoid(), halves(), straight, {}, 0xFF808080u, o));
  // Two triangles bend the edge at the diagonal, about 20 pixels off at the middle.
  EXPECT_GT(fitStripeEdge(kinked).worst, 5);
  const TEdgeFit f = fitStripeEdge(straight);
  EXPECT_LT(f.worst, 1.01);
  EXPECT_NEAR(f.meanX, 100, 1.5);  // the axis of the symmetric cell
}

TEST(ProjectiveCells, TheCornersMapOntoTheirTextureCoordinatesAndBadCellsFallBack) {
  const std::array<std::array<double, 2>, 4> from = {{{0, 0}, {4, 1}, {5, 6}, {-1, 3}}},
                                             to = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
  const auto h = QuadToQuad(from, to);
  ASSERT_TRUE(h.has_value());
  for (size_t k = 0; k < 4; ++k) {
    const auto p = MapPoint(*h, from[k][0], from[k][1]);
    EXPECT_NEAR(p[0], to[k][0], 1e-9);
    EXPECT_NEAR(p[1], to[k][1], 1e-9);
  }
  // Three corners on a line.
  EXPECT_FALSE(QuadToQuad({{{0, 0}, {1, 0}, {2, 0}, {0, 1}}}, to).has_value());
  TMapGrid g = trapezoid();
  const auto q = ProjectiveCellTexCoords(g, g.Cells[0], {});
  ASSERT_TRUE(q.has_value());
  EXPECT_GT((*q)[2].Q, (*q)[0].Q);  // the wide end is the near end
  EXPECT_NEAR((*q)[1].S / (*q)[1].Q, 1, 1e-6);
  // A bow-tie cell and a cell pointing outside the nodes draw as before.
  std::swap(g.Nodes[2], g.Nodes[3]);
  EXPECT_FALSE(ProjectiveCellTexCoords(g, g.Cells[0], {}).has_value());
  g.Cells[0].BottomLeft = 9;
  EXPECT_FALSE(ProjectiveCellTexCoords(g, g.Cells[0], {}).has_value());
}

// A grey 30 x 20 photo whose one object covers it, draped with the given texture.
TKVXFile2 greyWithTexture(const TBitmap32& texture) {
  TKVXFile2 doc;
  doc.Width = 30;
  doc.Height = 20;
  doc.Base = TBitmap32(30, 20, Color32(200, 200, 200));
  doc.Result = doc.Base;
  TObjectView v = doc.GetObjectView(doc.AddObject());
  v.Mask.SetSize(30, 20);
  v.Mask.Clear(255);
  int cw = 0, ch = 0;
  BuildLattice(v.Grid, 30, 20, cw, ch);
  v.Texture = texture;
  return doc;
}

TEST(TextureAlpha, SeeThroughTexturesLeaveThePhotoAndHalfAlphaHalfCovers) {
  TKVXFile2 doc = greyWithTexture(TBitmap32(4, 4, Color32(255, 0, 0, 0)));
  TDocumentFill how;
  how.Render.Sampling = TTextureSampling::Nearest;
  how.TextureAlpha = true;
  ASSERT_TRUE(FillObject(doc, 0, how));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(doc.Result.Pixel(x, y), doc.Base.Pixel(x, y)) << x << "," << y;
  // Without the option the alpha is ignored, as ever: the drape is red.
  how.TextureAlpha = false;
  ASSERT_TRUE(FillObject(doc, 0, how));
  EXPECT_GT(RedComponent(doc.Result.Pixel(10, 10)), 150);
  EXPECT_EQ(GreenComponent(doc.Result.Pixel(10, 10)), 0);

  TKVXFile2 half = greyWithTexture(TBitmap32(4, 4, Color32(255, 0, 0, 128)));
  how.TextureAlpha = true;
  ASSERT_TRUE(FillObject(half, 0, how));
  const TColor32 p = half.Result.Pixel(10, 10);
  EXPECT_NEAR(GreenComponent(p), 200 / 2, 3);                  // half the photo
  EXPECT_NEAR(RedComponent(p), 200 / 2 + 198 / 2, 3);          // half the red drape (255 * g / 256)
}

TEST(TextureAlpha, TheColourOfHiddenPixelsDoesNotBleedIntoTheEdgesOfHoles) {
  // White lace whose holes are black pixels of alpha 0, linearly filtered.
  TBitmap32 lace(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) lace.SetPixel(x, y, (x / 2 + y / 2) % 2 ? Color32(255, 255, 255) : Color32(0, 0, 0, 0));
  TKVXFile2 doc = greyWithTexture(lace);
  TDocumentFill how;
  how.TextureAlpha = true;
  ASSERT_TRUE(FillObject(doc, 0, how));
  // Where the drape shows at all, it is the lace's white times the photo: never darker
  // than the photo.
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_GE(GreenComponent(doc.Result.Pixel(x, y)), 196) << x << "," << y;
}

TEST(FollowFolds, AFlatPhotoGivesThePlainLatticeOverTheMasksBox) {
  TByteMap mask(80, 60);
  for (int y = 10; y < 50; ++y)
    for (int x = 20; x < 70; ++x) mask.SetValue(x, y, 255);
  // One brightness inside the mask; the white wall around it does not pull the nodes.
  TBitmap32 photo(80, 60, 0xFFFFFFFFu);
  for (int y = 10; y < 50; ++y)
    for (int x = 20; x < 70; ++x) photo.SetPixel(x, y, Color32(90, 60, 40));
  TMapGrid plain;
  DivideRect(plain, 20, 10, 70, 50, 80, 60, 10, 8);
  for (double strength : {0.0, 50.0, -300.0}) {
    auto g = FollowFoldsGrid(photo, mask, {10, 8, strength});
    ASSERT_TRUE(g.ok()) << g.error();
    EXPECT_EQ(g.value(), plain) << strength;
  }
  EXPECT_FALSE(FollowFoldsGrid(photo, TByteMap(80, 60), {}).ok());
  EXPECT_FALSE(FollowFoldsGrid(photo, TByteMap(8, 6), {}).ok());
}

TEST(FollowFolds, NodesMoveAlongTheSlopeOfTheBrightnessByTheStrength) {
  // Brightness rising by one grey level a pixel to the right, across the whole photo.
  TBitmap32 photo(200, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) photo.SetPixel(x, y, Color32(uint8_t(x), uint8_t(x), uint8_t(x)));
  TByteMap mask(200, 100);
  mask.Clear(255);
  // Cells of 20 x 20 pixels: the brightness changes by 20 / 255 across one, so a
  // strength of 51 moves the pattern 4 pixels, U by 4 / 200.
  auto g = FollowFoldsGrid(photo, mask, {10, 5, 51});
  ASSERT_TRUE(g.ok());
  TMapGrid plain;
  DivideRect(plain, 0, 0, 200, 100, 200, 100, 10, 5);
  for (int64_t r = 1; r < 5; ++r)
    for (int64_t c = 2; c < 9; ++c) {
      const size_t i = size_t(r * 11 + c);
      EXPECT_NEAR(g->Nodes[i].U - plain.Nodes[i].U, 0.02, 1e-4) << r << "," << c;
      EXPECT_EQ(g->Nodes[i].V, plain.Nodes[i].V);
      EXPECT_EQ(g->Nodes[i].X, plain.Nodes[i].X);  // an ordinary lattice: only (U, V) bend
    }
  EXPECT_EQ(g->Cells, plain.Cells);
}

TEST(DrapeOptionsInTheWindow, FollowFoldsIsOneGridChangeAndTheTilingFollowsTheRule) {
  test::TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};
  TBitmap32 ramp(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ramp.SetPixel(x, y, Color32(uint8_t(x * 6), uint8_t(x * 6), uint8_t(x * 6)));
  ASSERT_TRUE(SavePicture(dir.file("ramp.png"), ramp).ok());
  s.SetViewSize(400, 300);
  ASSERT_TRUE(s.Load(dir.file("ramp.png")));
  s.SetMode(TWindowMode::Grid);
  const TMapGrid before = *s.Layer.Grid;
  const TGridToolButton& follow = kGridToolButtons[std::size(kGridToolButtons) - 1];
  ASSERT_EQ(follow.Command, TGridCommand::FollowFolds);
  // Without a selection there are no folds to follow: a word to the user, no dialog.
  s.SetMode(TWindowMode::None);
  s.Deselect();
  s.SetMode(TWindowMode::Grid);
  s.GridToolButton(follow);
  EXPECT_EQ(world.folds.asked, 0);
  ASSERT_EQ(world.messages.shown.size(), 1u);
  s.SetMode(TWindowMode::None);
  s.SelectAll();
  s.SetMode(TWindowMode::Grid);
  s.GridToolButton(follow);  // cancelled
  EXPECT_EQ(world.folds.asked, 1);
  EXPECT_EQ(*s.Layer.Grid, before);
  EXPECT_FALSE(s.Modified());
  world.folds.answer = TFoldOptions{8, 6, 40};
  s.GridToolButton(follow);
  ASSERT_EQ(s.Layer.Grid->Cols, 8);
  EXPECT_TRUE(s.Modified());
  EXPECT_NE(s.Layer.Grid->Nodes[20].U, 0.25f);  // row 2, column 2 of the 9 x 7 nodes
  s.Undo();
  EXPECT_EQ(*s.Layer.Grid, before);
  s.Redo();
  EXPECT_EQ(s.Layer.Grid->Rows, 6);

  // The texture is the document colour's one pixel: square; the grid a plain 4:3 lattice.
  *s.Layer.Grid = lattice(40, 30, 4, 3);
  s.CurrentParam()->TileX = 4;
  TTileRule keep;
  keep.KeepProportions = true;
  ASSERT_TRUE(s.ApplyTileRule(keep));
  EXPECT_NEAR(s.CurrentParam()->TileY, 3, 1e-4);
  EXPECT_TRUE(s.Modified());
}

}  // namespace
}  // namespace kelvane
