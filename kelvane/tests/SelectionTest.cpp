#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "TestSupport.h"
#include "app/THistory.h"
#include "project/TempFiles.h"
#include "select/GBlur1byte.h"
#include "select/MaskEdit.h"
#include "select/Selection.h"
#include "select/SelectionDisplay.h"

namespace kelvane {
namespace {

int covered(const TBitmap32& c, int x, int y) { return RedComponent(c.Pixel(x, y)); }

TEST(Marquee, RectanglesDraggedEitherWayAndClicks) {
  TBitmap32 c(40, 40);
  RectangleCoverage(c, {10, 10}, {20, 20});
  EXPECT_EQ(covered(c, 10, 10), 255);
  EXPECT_EQ(covered(c, 19, 19), 255);
  EXPECT_EQ(covered(c, 20, 20), 0);
  TBitmap32 back(40, 40);
  RectangleCoverage(back, {20, 20}, {10, 10});
  EXPECT_EQ(covered(back, 20, 20), 255);  // leftward and upward reach one further
  EXPECT_EQ(covered(back, 21, 21), 0);
  EXPECT_EQ(NormalisedMarquee({5, 7}, {5, 7}), (TRect{5, 7, 6, 8}));  // a click: one pixel
}

TEST(Marquee, EllipsesAreFullInsideAndPartialOnTheEdge) {
  TBitmap32 c(60, 40);
  EllipseCoverage(c, {10, 10}, {50, 30});
  EXPECT_EQ(covered(c, 30, 20), 255);
  EXPECT_EQ(covered(c, 11, 11), 0);  // the corner of the box is outside
  int partial = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) partial += covered(c, x, y) > 0 && covered(c, x, y) < 255;
  EXPECT_GT(partial, 0);
}

TEST(Polygon, NonZeroFillWithAntialiasedEdges) {
  TBitmap32 c(30, 30);
  PolygonCoverage(c, {{2, 2}, {20, 2}, {20, 20}, {2, 20}});
  EXPECT_EQ(covered(c, 10, 10), 255);
  EXPECT_EQ(covered(c, 25, 25), 0);
  TBitmap32 diag(30, 30);
  PolygonCoverage(diag, {{0, 0}, {20, 0}, {0, 20}});
  const int edge = covered(diag, 10, 9);  // cut by the hypotenuse
  EXPECT_GT(edge, 0);
  EXPECT_LT(edge, 255);
  TBitmap32 few(10, 10);
  PolygonCoverage(few, {{1, 1}, {5, 5}});
  EXPECT_EQ(covered(few, 3, 3), 0);
}

TEST(Combine, AddSubtractAndTheRuleOf240) {
  TByteMap mask(4, 1);
  TBitmap32 c(4, 1, 0);
  mask.SetValue(0, 0, 100);
  c.SetPixel(0, 0, 0xFFFFFFFFu);
  mask.SetValue(1, 0, 241);  // untouched by the shape
  CombineCoverage(mask, c, TCombineMode::cmAdd);
  EXPECT_EQ(mask.Value(0, 0), 255);
  EXPECT_EQ(mask.Value(1, 0), 255);

  TByteMap m2(3, 1);
  m2.SetValue(0, 0, 255);
  m2.SetValue(1, 0, 100);
  TBitmap32 half(3, 1, 0);
  half.SetPixel(0, 0, 0xFF808080u);
  half.SetPixel(1, 0, 0xFF808080u);
  CombineCoverage(m2, half, TCombineMode::cmSubtract);
  EXPECT_EQ(m2.Value(0, 0), 127);
  EXPECT_EQ(m2.Value(1, 0), 100);

  TByteMap m3(1, 1, 255), other(1, 1, 100);
  ExcludeMask(m3, other);
  EXPECT_EQ(m3.Value(0, 0), 155);
}

TEST(GBlur, UniformStaysWithinOneZeroStaysZeroAndASpotSpreadsBoundedly) {
  TByteMap uniform(20, 15, 200);
  GBlur(uniform, 4);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_GE(uniform.Value(x, y), 199);
  TByteMap zero(10, 10, 0);
  GBlur(zero, 7);
  EXPECT_EQ(zero, TByteMap(10, 10, 0));
  TByteMap spot(81, 81, 0);
  spot.SetValue(40, 40, 255);
  GBlur(spot, 3);
  const int s = int(GBlurKernel(3).size() / 2);
  for (int y = 0; y < 81; ++y)
    for (int x = 0; x < 81; ++x)
      if (std::abs(x - 40) > s || std::abs(y - 40) > s) {
        ASSERT_EQ(spot.Value(x, y), 0);
      }
  EXPECT_GT(spot.Value(40, 40), 0);
  TByteMap untouched(5, 5, 9);
  GBlur(untouched, 0);  // feather 0 skips
  EXPECT_EQ(untouched, TByteMap(5, 5, 9));
}

TEST(GBlur, FlatWindowsGiveWhatTheFullSumGives) {
  // Blocks of flat values with sharp edges, as masks are: the flat shortcut and the full
  // double-precision sums must agree everywhere.
  TByteMap m(70, 50);
  std::mt19937 gen(2);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 70; ++x) m.SetValue(x, y, uint8_t((x / 9 + y / 7) % 3 == 0 ? 255 : (x * 7 + y) % 5 == 0 ? gen() % 256 : 0));
  for (double r : {1.5, 4.0, 30.0}) {
    TByteMap fast = m;
    GBlur(fast, r);
    const std::vector<float> k = GBlurKernel(r);
    const int s = int(k.size() / 2);
    TByteMap rows = m, ref = m;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 70; ++x) {
        double t = 0;
        for (int j = -s; j <= s; ++j) t += m.Value(std::clamp(x - j, 0, 69), y) * double(k[size_t(j + s)]);
        rows.SetValue(x, y, t < 0 ? 0 : t >= 255 ? 255 : uint8_t(t));
      }
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 70; ++x) {
        double t = 0;
        for (int j = -s; j <= s; ++j) t += rows.Value(x, std::clamp(y - j, 0, 49)) * double(k[size_t(j + s)]);
        ref.SetValue(x, y, t < 0 ? 0 : t >= 255 ? 255 : uint8_t(t));
      }
    EXPECT_EQ(fast, ref) << "radius " << r;
  }
}

// The flat-window shortcuts and the interleaved sums against plain full sums: random
// noise (nothing flat), blocks with sharp edges, sparse spots on a flat ground, runs of
// random lengths (read a word at a time where long, ending anywhere in a word); sides of
// one pixel, sides below and above the kernel's width, and maps large enough to be
// split between threads.
TEST(GBlur, FastPathGivesTheFullSumsExactly) {
  std::mt19937 gen(4);
  const int sizes[][2] = {{1, 1}, {1, 40}, {37, 1}, {3, 5}, {90, 61}, {130, 7}, {701, 503}};
  int trial = 0;
  for (const auto& [w, h] : sizes)
    for (double r : {0.4, 1.5, 5.0, 12.5, 50.0}) {
      TByteMap m(w, h);
      const int kind = trial++ % 4;
      int runLeft = 0;
      uint8_t runValue = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          if (runLeft-- <= 0) {
            runLeft = int(gen() % 100);
            runValue = uint8_t(gen() % 3 * 127);
          }
          m.SetValue(x, y, kind == 0   ? uint8_t(gen())
                           : kind == 1 ? uint8_t((x / 13 + y / 9) % 2 * 255)
                           : kind == 2 ? uint8_t(gen() % 50 == 0 ? gen() : 200)
                                       : runValue);
        }
      TByteMap fast = m, slow = m;
      GBlur(fast, r);
      GBlurReference(slow, r);
      ASSERT_EQ(fast, slow) << w << "x" << h << " radius " << r;
    }
}

TEST(ColourTools, RgbRangeToleranceOne) {
  TBitmap32 img(3, 1);
  img.SetPixel(0, 0, Color32(100, 100, 100));
  img.SetPixel(1, 0, Color32(101, 100, 100));
  img.SetPixel(2, 0, Color32(102, 100, 100));
  TBitmap32 c(3, 1, 0);
  ColorRangeCoverage(c, img, Color32(100, 100, 100), 1);
  EXPECT_EQ(covered(c, 0, 0), 255);
  EXPECT_EQ(covered(c, 1, 0), 255);
  EXPECT_EQ(covered(c, 2, 0), 0);
}

TEST(ColourTools, MagicWandFollowsFourConnectedPathsOfTheReferenceColour) {
  TBitmap32 uniform(8, 6, 0xFF445566u), c(8, 6);
  MagicWandCoverage(c, uniform, {3, 3}, 0xFF445566u, 30);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(c.Pixel(x, y), 0xFFFFFFFFu);
  // A diagonal line: no 4-connected step, so only the seed's own neighbours... none.
  TBitmap32 diag(6, 6, 0xFF000000u);
  for (int i = 0; i < 6; ++i) diag.SetPixel(i, i, 0xFFFFFFFFu);
  MagicWandCoverage(c = TBitmap32(6, 6), diag, {2, 2}, 0xFFFFFFFFu, 10);
  EXPECT_EQ(c.Pixel(2, 2), 0xFF000000u);  // the seed is reached back by nobody
  EXPECT_EQ(c.Pixel(3, 3), 0xFF000000u);
  // A gradient: stops where the colour is more than T from the seed's.
  TBitmap32 grad(40, 1);
  for (int x = 0; x < 40; ++x) grad.SetPixel(x, 0, Color32(uint8_t(x * 5), 0, 0));
  MagicWandCoverage(c = TBitmap32(40, 1), grad, {0, 0}, grad.Pixel(0, 0), 30);
  EXPECT_EQ(c.Pixel(6, 0), 0xFFFFFFFFu);
  EXPECT_EQ(c.Pixel(7, 0), 0xFF000000u);
  MagicWandCoverage(c, grad, {-1, 0}, grad.Pixel(0, 0), 30);  // outside: nothing
  EXPECT_EQ(c.Pixel(0, 0), 0xFF000000u);
}

// The wand with an unbounded queue, for comparison with the compacted one.
TBitmap32 queueWand(const TBitmap32& img, TPoint seed, TColor32 ref, int t) {
  const int w = img.Width(), h = img.Height();
  TBitmap32 c(w, h, 0xFF000000u);
  if (seed.x < 0 || seed.y < 0 || seed.x >= w || seed.y >= h) return c;
  std::vector<char> visited(size_t(w) * h, 0);
  std::vector<TPoint> q{seed};
  auto ok = [&](TColor32 p) {
    return std::abs(RedComponent(p) - RedComponent(ref)) <= t && std::abs(GreenComponent(p) - GreenComponent(ref)) <= t &&
           std::abs(BlueComponent(p) - BlueComponent(ref)) <= t;
  };
  for (size_t r = 0; r < q.size(); ++r) {
    const TPoint p = q[r];
    for (TPoint n : {TPoint{p.x + 1, p.y}, TPoint{p.x - 1, p.y}, TPoint{p.x, p.y + 1}, TPoint{p.x, p.y - 1}}) {
      if (n.x < 0 || n.y < 0 || n.x >= w || n.y >= h || visited[size_t(n.y) * w + n.x] || !ok(img.Pixel(n.x, n.y))) continue;
      visited[size_t(n.y) * w + n.x] = 1;
      q.push_back(n);
    }
  }
  for (size_t i = 0; i < visited.size(); ++i)
    if (visited[i]) c.Bits()[i] = 0xFFFFFFFFu;
  return c;
}

bool samePixels(const TBitmap32& a, const TBitmap32& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * a.Height(), b.Bits());
}

TEST(ColourTools, CompactedQueueSelectsWhatAnUnboundedQueueSelects) {
  std::mt19937 gen(11);
  for (int trial = 0; trial < 40; ++trial) {
    TBitmap32 img(17, 13);
    for (int i = 0; i < 17 * 13; ++i) img.Bits()[i] = gen() % 3 ? 0xFF808080u : 0xFF000000u | (gen() & 0xFFFFFF);
    const TPoint seed{int(gen() % 17), int(gen() % 13)};
    const TColor32 ref = trial % 2 ? img.Pixel(seed.x, seed.y) : 0xFF808080u;
    TBitmap32 slowest(17, 13);
    MagicWandCoverageReference(slowest, img, seed, ref, 20);
    ASSERT_TRUE(samePixels(slowest, queueWand(img, seed, ref, 20))) << "trial " << trial;
  }
}

TEST(ColourTools, LargeRegionsCompactTheQueueWithoutLosingPixels) {
  // 300 x 300 mostly grey: more than 75000 pixels pass through the queue.
  TBitmap32 img(300, 300, 0xFF808080u);
  std::mt19937 gen(5);
  for (int i = 0; i < 4000; ++i) img.SetPixel(int(gen() % 300), int(gen() % 300), 0xFF000000u);
  TBitmap32 fast(300, 300), slow;
  MagicWandCoverage(fast, img, {150, 150}, 0xFF808080u, 10);
  MagicWandCoverageReference(slow, img, {150, 150}, 0xFF808080u, 10);
  EXPECT_TRUE(samePixels(slow, queueWand(img, {150, 150}, 0xFF808080u, 10)));
  EXPECT_TRUE(samePixels(fast, slow));
}

// The span wand against the breadth-first one: mazes of random density (so regions wind
// round and re-enter spans from above and below), seeds in and out of tolerance, seeds
// on every border and outside, and sides of one pixel.
TEST(ColourTools, SpanWandSelectsWhatTheBreadthFirstWandSelects) {
  std::mt19937 gen(23);
  const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {31, 17}, {64, 3}, {5, 70}, {97, 61}};
  for (const auto& [w, h] : sizes) {
    for (int trial = 0; trial < 30; ++trial) {
      TBitmap32 img(w, h);
      const unsigned density = 2 + trial % 5;  // one pixel in `density` breaks the region
      for (int i = 0; i < w * h; ++i)
        img.Bits()[i] = gen() % density ? 0xFF808080u + (gen() % 9) * 0x010101u : 0xFF000000u | (gen() & 0xFFFFFF);
      TPoint seed{int(gen() % unsigned(w + 2)) - 1, int(gen() % unsigned(h + 2)) - 1};
      if (trial % 7 == 0) seed = {w - 1, h - 1};
      const TColor32 ref = trial % 3 == 0 ? img.Pixel(seed.x, seed.y) : 0xFF848484u;
      const int t = trial % 4 == 3 ? 0 : 6;
      TBitmap32 fast(3, 3, 0x12345678u), slow;
      MagicWandCoverage(fast, img, seed, ref, t);
      MagicWandCoverageReference(slow, img, seed, ref, t);
      ASSERT_TRUE(samePixels(fast, slow)) << w << "x" << h << " trial " << trial;
    }
  }
  // An in-tolerance seed walled in takes nothing; from outside the wall the same grey
  // is taken round it but not across it. Alpha plays no part.
  TBitmap32 img(5, 5, 0x00808080u), fast, slow;
  for (const TPoint p : {TPoint{2, 1}, TPoint{1, 2}, TPoint{3, 2}, TPoint{2, 3}}) img.SetPixel(p.x, p.y, 0xFF000000u);
  for (const TPoint seed : {TPoint{2, 2}, TPoint{0, 0}}) {
    MagicWandCoverage(fast, img, seed, 0xFF808080u, 0);
    MagicWandCoverageReference(slow, img, seed, 0xFF808080u, 0);
    EXPECT_TRUE(samePixels(fast, slow));
  }
  EXPECT_EQ(fast.Pixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(fast.Pixel(2, 2), 0xFF000000u);
  MagicWandCoverage(fast, img, {2, 2}, 0xFF808080u, 0);
  EXPECT_EQ(fast.Pixel(4, 4), 0xFF000000u);
}

TEST(ColourTools, HslRangeHasNoHueWrap) {
  TBitmap32 img(3, 1);
  img.SetPixel(0, 0, 0xFF808080u);  // grey, hue 0
  img.SetPixel(1, 0, 0xFFFF0000u);  // red, hue 0
  img.SetPixel(2, 0, 0xFFFF0008u);  // hue just below 1
  TBitmap32 c(3, 1);
  HSLRangeCoverage(c, img, 0xFFC04040u, 0.01f, 1, 1);
  EXPECT_EQ(covered(c, 0, 0), 255);
  EXPECT_EQ(covered(c, 1, 0), 255);
  EXPECT_EQ(covered(c, 2, 0), 0);
}

TEST(Commit, RecordsBeforeAndAfterFeathersAndCutsOthersOut) {
  const TBitmap32 image(20, 20, 0xFF808080u);
  TByteMap mask(20, 20, 0), other(20, 20, 0);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) other.SetValue(x, y, 255);
  THistory history;
  history.SetCurrent(&mask, nullptr);
  TSelectionGesture g;
  g.tool = TSelectionTool::stRectangle;
  g.start = {0, 0};
  g.end = {20, 20};
  TSelectionSettings s;
  s.overlapping = true;
  s.otherMasks = {&other, &mask};  // the current mask among them is skipped
  CommitSelection(mask, image, g, s, &history);
  EXPECT_EQ(mask.Value(5, 5), 0);
  EXPECT_EQ(mask.Value(15, 5), 255);
  EXPECT_TRUE(history.Undo());
  EXPECT_EQ(mask.Value(15, 5), 0);
  EXPECT_TRUE(history.Redo());
  EXPECT_EQ(mask.Value(15, 5), 255);

  s = {};
  s.feather = 2;
  g.start = {5, 5};
  g.end = {15, 15};
  CommitSelection(mask, image, g, s, &history);
  EXPECT_GT(mask.Value(10, 10), 240);
  EXPECT_GT(mask.Value(4, 10), 0);   // feathered past the edge
  EXPECT_LT(mask.Value(5, 10), 255);

  const TByteMap before = mask;
  TSelectionGesture none;
  CommitSelection(mask, image, none, s, &history);
  EXPECT_EQ(mask, before);
}

TEST(MaskCommands, InvertDeselectAndSelectAll) {
  TByteMap mask(3, 3, 10);
  InvertMask(mask);
  EXPECT_EQ(mask.Value(1, 1), 245);
  EXPECT_FALSE(Deselect(mask, 0.7f, nullptr));  // a scene document keeps its selection
  EXPECT_EQ(mask.Value(1, 1), 245);
  EXPECT_TRUE(Deselect(mask, 0, nullptr));
  EXPECT_EQ(mask.Value(1, 1), 0);
  EXPECT_FALSE(SelectAll(mask, 2));
  EXPECT_EQ(mask.Value(1, 1), 0);
  EXPECT_TRUE(SelectAll(mask, 1));
  EXPECT_EQ(mask.Value(2, 2), 255);
}

TEST(Display, NearestNeighbourMaskAndMarchingAnts) {
  TByteMap source(10, 10, 0);
  source.SetValue(4, 4, 255);
  const TByteMap d = DisplayMask(source, 20, 20, 1.0, 0, 0);
  EXPECT_EQ(d.Width(), 22);
  // u - 1 = 4 * 11/10 = 4.4: display pixel 5 shows source pixel 4.
  EXPECT_EQ(d.Value(5, 5), 255);
  EXPECT_EQ(d.Value(0, 0), 0);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(TMarchingAnts::Colour(k, 0, 0), k <= 5 ? 0xFFFFFFFFu : 0xFF000000u);
  TMarchingAnts ants;
  TBitmap32 layer(22, 22, 0);
  ants.Tick(layer, d, {0, 0, 21, 21});  // builds the cache
  EXPECT_EQ(ants.Phase(), 50);
  EXPECT_FALSE(ants.Edge().empty());
  EXPECT_EQ(layer.Pixel(5, 5), 0u);
  ants.Tick(layer, d, {0, 0, 21, 21});  // draws it
  EXPECT_EQ(ants.Phase(), 49);
  EXPECT_NE(layer.Pixel(ants.Edge()[0].x, ants.Edge()[0].y), 0u);
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

TEST(MaskEditor, OkWithoutPaintingKeepsTheMaskExactly) {
  TByteMap mask(9, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) mask.SetValue(x, y, uint8_t(x * 29 + y));
  EXPECT_EQ(TMaskEditor(mask).Result(), mask);
}

TEST(MaskEditor, OneBrushClickRaisesTheCentreAndLeavesTheFarPixels) {
  TByteMap mask(120, 120, 0);
  TMaskEditor editor(mask);
  editor.Press({60, 60}, true);
  editor.Release();
  const TByteMap out = editor.Result();
  EXPECT_GE(out.Value(60, 60), 223);
  EXPECT_EQ(out.Value(60 + 25, 60), 0);
  EXPECT_EQ(out.Value(60, 60 - 26), 0);
  const TBitmap32 stamp = TMaskEditor::BrushStamp(50, 100, 0xFFFF0000u);
  EXPECT_EQ(AlphaComponent(stamp.Pixel(25, 25)), 223);
  EXPECT_EQ(AlphaComponent(stamp.Pixel(0, 25)), 0);
}

TEST(MaskEditor, StampsFollowTheStepsAndOpacityZeroPaintsNothing) {
  const auto centres = TMaskEditor::StampCentres({0, 0}, {40, 0}, 10);
  ASSERT_EQ(centres.size(), 4u);
  EXPECT_EQ(centres[0], (TPoint{10, 0}));
  EXPECT_EQ(centres[3], (TPoint{40, 0}));
  EXPECT_TRUE(TMaskEditor::StampCentres({0, 0}, {6, 0}, 10).empty());
  const auto diagonal = TMaskEditor::StampCentres({0, 0}, {10, 10}, 10);
  ASSERT_EQ(diagonal.size(), 1u);
  EXPECT_EQ(diagonal[0], (TPoint{8, 8}));  // 8 diagonal steps: 11.3 pixels

  TByteMap mask(60, 60, 50);
  TMaskEditor editor(mask);
  editor.Opacity = 0;
  editor.Press({30, 30}, true);
  editor.Move({40, 35});
  editor.Release();
  EXPECT_EQ(editor.Result(), mask);
}

TEST(MaskEditor, PencilPaintsAndTheRightButtonErases) {
  TByteMap mask(60, 30, 0);
  TMaskEditor editor(mask);
  editor.Pencil = true;
  editor.BrushSize = 6;
  editor.Press({10, 15}, true);
  editor.Move({50, 15});
  editor.Release();
  TByteMap painted = editor.Result();
  EXPECT_EQ(painted.Value(30, 15), 255);
  EXPECT_EQ(painted.Value(30, 25), 0);
  editor.Press({30, 15}, false);
  editor.Move({31, 15});
  editor.Release();
  EXPECT_EQ(editor.Result().Value(30, 15), 0);
  EXPECT_EQ(editor.Result().Value(45, 15), 255);
}

}  // namespace
}  // namespace kelvane
