#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "canvas/Lighting.h"

namespace daubwell {
namespace {

// Shown grey of a pixel whose paint is black: the displaced highlight itself.
int shownGrey(Canvas& c, uint32_t x, uint32_t y) {
  shadePixel(c, x, y);
  const uint32_t rgb = c.surface.pixel(x, y);
  EXPECT_EQ(rgb >> 16, rgb & 0xFF) << "not grey at " << x << "," << y;
  return int(rgb & 0xFF);
}

// A one-row strip of black, unlit paint whose highlight is 8 * x.
Canvas highlightStrip(uint32_t width) {
  Canvas c;
  c.create(width, 1);
  for (uint32_t x = 0; x < width; ++x) {
    CanvasPixel& p = c.at(x, 0);
    p.red = p.green = p.blue = 0;
    p.highlight = uint8_t(8 * x);
  }
  return c;
}

TEST(Lighting, BlankCanvasShowsWhiteWhateverTheFlags) {
  for (bool hq : {false, true}) {
    for (bool lit : {false, true}) {
      Canvas c;
      c.create(7, 5);
      c.highQuality = hq;
      c.lightingOn = lit;
      relightAll(c);
      EXPECT_TRUE(c.lightingValid);
      for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x) EXPECT_EQ(c.surface.pixel(x, y), 0xFFFFFFu);
    }
  }
}

TEST(Lighting, LeftEdgeIsFlatAndRightEdgeTakesOnlyTheLeftDifference) {
  Canvas c = highlightStrip(30);
  c.highQuality = false;
  c.at(1, 0).height = 5.0f;   // would tilt pixel 0 if it looked right
  c.at(28, 0).height = -1.0f;
  EXPECT_EQ(shownGrey(c, 0, 0), 0);  // N.x = 0: own highlight
  // x = 29: N.x = h(29) - h(28) = 1, normalised 0.707: column (int)(29 + 14.1) = 43 -> 13.
  EXPECT_EQ(shownGrey(c, 29, 0), 8 * 13);
  // x = 28 inside: h(29) - h(27) = 0, flat.
  EXPECT_EQ(shownGrey(c, 28, 0), 8 * 28);
}

TEST(Lighting, NegativeHighlightColumnsWrapAsUnsignedNumbers) {
  Canvas c = highlightStrip(30);
  c.highQuality = false;
  c.at(1, 0).height = 5.0f;
  // x = 2: N.x = h(3) - h(1) = -5 -> -0.98; column (int)(2 - 19.6) = -17, which as an
  // unsigned number modulo 30 is 29 (not 13, as a signed modulo would give).
  EXPECT_EQ(shownGrey(c, 2, 0), 8 * 29);
}

TEST(Lighting, HighQualityAveragesFourInterpolationsOfFourTaps) {
  Canvas c;
  c.create(16, 2);
  for (CanvasPixel& p : c.pixels) p.red = p.green = p.blue = 0;
  c.lightingOn = false;
  c.at(1, 0).highlight = 100;  // q00 for pixel (1, 0) with a flat normal
  c.at(2, 0).highlight = 20;   // q10
  c.at(1, 1).highlight = 40;   // q01
  c.at(2, 1).highlight = 255;  // q11 takes no part when both weights are 0
  c.highQuality = true;
  EXPECT_EQ(shownGrey(c, 1, 0), (100 + 40 + 100 + 20) >> 2);
  c.highQuality = false;
  EXPECT_EQ(shownGrey(c, 1, 0), 100);

  // Pixel (2, 0) tilted so that 20 N.x = 7.5: taps at columns 9 and 10, wx = 0.5.
  c.at(3, 0).height = float(0.375 / std::sqrt(1.0 - 0.375 * 0.375));
  c.at(9, 0).highlight = 0;
  c.at(10, 0).highlight = 101;
  c.at(9, 1).highlight = 41;
  c.at(10, 1).highlight = 200;
  c.highQuality = true;
  // top 50, bottom 120, left 0, right 101 (wy = 0).
  EXPECT_EQ(shownGrey(c, 2, 0), (50 + 120 + 0 + 101) >> 2);
  c.highQuality = false;
  EXPECT_EQ(shownGrey(c, 2, 0), 0);  // column (int)(2 + 7.5) = 9
}

TEST(Lighting, HighQualitySecondTapsWrapAtTheRightAndBottomEdges) {
  Canvas c;
  c.create(4, 3);
  for (CanvasPixel& p : c.pixels) p.red = p.green = p.blue = 0;
  c.at(3, 2).highlight = 80;
  c.at(3, 0).highlight = 24;  // row 3 wraps to row 0
  c.at(0, 2).highlight = 8;   // column 4 wraps to column 0
  EXPECT_EQ(shownGrey(c, 3, 2), (80 + 24 + 80 + 8) >> 2);
}

TEST(Lighting, FullShadingFacingAwayFromTheLightShowsBlack) {
  Canvas c;
  c.create(5, 1);
  for (CanvasPixel& p : c.pixels) {
    p.red = p.green = p.blue = 200;
    p.highlight = 50;
    p.shading = 255;
  }
  c.at(1, 0).height = 10.0f;  // pixel 2 leans far to the left, away from the light
  shadePixel(c, 2, 0);
  EXPECT_EQ(c.surface.pixel(2, 0), 0u);
  // Lighting off: the highlight still shows, unlit.
  c.lightingOn = false;
  shadePixel(c, 2, 0);
  EXPECT_EQ(c.surface.pixel(2, 0), 0xFAFAFAu);
}

TEST(Lighting, ShadingWeightBlendsBetweenFlatAndLitColour) {
  Canvas c;
  c.create(1, 1);
  CanvasPixel& p = c.at(0, 0);
  p.red = 200;
  p.green = 100;
  p.blue = 0;
  const float d = c.light[1];  // flat normal: N . light = light.y
  p.shading = 255;
  shadePixel(c, 0, 0);
  EXPECT_EQ(c.surface.pixel(0, 0) >> 16, uint32_t(int(200 + (200 * d - 200) * (255 * (1.0f / 255.0f)))));
  p.shading = 0;
  shadePixel(c, 0, 0);
  EXPECT_EQ(c.surface.pixel(0, 0), 0xC86400u);
}

TEST(Lighting, ColoursAboveWhiteAreClamped) {
  Canvas c;
  c.create(1, 1);
  c.at(0, 0).highlight = 200;
  c.lightingOn = false;
  relightAll(c);
  EXPECT_EQ(c.surface.pixel(0, 0), 0xFFFFFFu);
}

TEST(Lighting, UnboundedReliefShowsFlatInsteadOfFailing) {
  Canvas c = test::randomCanvas(6, 6, 3);
  c.at(2, 2).height = std::numeric_limits<float>::infinity();
  c.at(3, 3).height = std::numeric_limits<float>::quiet_NaN();
  c.at(4, 1).height = 3e38f;
  relightAll(c);  // must not trap, even under the sanitizers
  EXPECT_TRUE(c.lightingValid);
}

// Every build of the passes the processor runs (baseline, AVX2, AVX-512).
std::vector<int> vectorBuildList() {
  std::vector<int> out;
  for (int b = 0; b < vectorBuilds(); ++b) out.push_back(b);
  return out;
}

struct WideVectorsReset {
  ~WideVectorsReset() { useVectorBuild(vectorBuilds() - 1); }
};

TEST(Lighting, RelightAllMatchesThePixelByPixelReference) {
  WideVectorsReset reset;
  for (int wide : vectorBuildList()) {
    useVectorBuild(wide);
    // The last two are shared out between threads, the tall one in several parts of rows.
    for (auto [w, h, seed] :
         {std::tuple{1u, 1u, 1u}, {2u, 3u, 2u}, {37u, 5u, 3u}, {600u, 80u, 5u}, {301u, 257u, 4u}, {40u, 2100u, 6u}}) {
      for (bool hq : {false, true}) {
        for (bool lit : {false, true}) {
          Canvas fast = test::randomCanvas(w, h, seed, 60.0f);
          fast.highQuality = hq;
          fast.lightingOn = lit;
          Canvas ref = fast;
          relightAll(fast);
          relightAllReference(ref);
          ASSERT_EQ(fast.surface.bytes(), ref.surface.bytes())
              << w << "x" << h << " hq " << hq << " lit " << lit << " build " << wide;
        }
      }
    }
  }
}

// Reliefs that stress the arithmetic: steps from subnormal to huge, signed zeros,
// infinities and NaN, on odd sizes; every pixel as the reference shows it.
TEST(Lighting, ExtremeReliefShowsAsTheReferenceInEveryBuild) {
  WideVectorsReset reset;
  const float specials[] = {0.0f, -0.0f, 1e-40f, -1e-38f, 1e-7f, 0.5f, -3.25f, 19.99f, 1e6f, -1e30f, 3e38f,
                            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};
  for (auto [w, h, seed] : {std::tuple{257u, 3u, 21u}, {5u, 301u, 22u}, {263u, 67u, 23u}}) {
    Canvas base = test::randomCanvas(w, h, seed, 25.0f);
    std::mt19937 gen(seed);
    for (CanvasPixel& p : base.pixels) {
      const uint32_t r = gen() % 8;
      if (r == 0) p.height = specials[gen() % std::size(specials)];
      else if (r == 1) p.height = float(int(gen() % 41) - 20) * 0.05f;  // slopes near whole taps
    }
    for (bool hq : {false, true}) {
      for (bool lit : {false, true}) {
        Canvas ref = base;
        ref.highQuality = hq;
        ref.lightingOn = lit;
        relightAllReference(ref);
        for (int wide : vectorBuildList()) {
          useVectorBuild(wide);
          Canvas fast = base;
          fast.highQuality = hq;
          fast.lightingOn = lit;
          relightAll(fast);
          ASSERT_EQ(fast.surface.bytes(), ref.surface.bytes())
              << w << "x" << h << " hq " << hq << " lit " << lit << " build " << wide;
          Canvas rect = base;
          rect.highQuality = hq;
          rect.lightingOn = lit;
          relightRect(rect, -1, -1, int(w) + 1, int(h) + 1);
          ASSERT_EQ(rect.surface.bytes(), ref.surface.bytes())
              << w << "x" << h << " hq " << hq << " lit " << lit << " build " << wide << " (rect)";
        }
      }
    }
  }
}

// Rectangles of every kind (inside, over each edge, wider than a band of columns, of one
// row or column) on canvases whose highlight taps wrap and whose relief holds infinities
// and NaN: each must show what the pixel-by-pixel reference shows inside it.
TEST(Lighting, RelightRectMatchesTheReferenceAnywhere) {
  WideVectorsReset reset;
  for (int wide : vectorBuildList()) {
  useVectorBuild(wide);
  for (auto [w, h, seed] : {std::tuple{3u, 2u, 8u}, {45u, 300u, 9u}, {700u, 260u, 10u}}) {
    for (bool hq : {false, true}) {
      Canvas base = test::randomCanvas(w, h, seed, 60.0f);
      base.at(w / 2, h / 2).height = std::numeric_limits<float>::infinity();
      base.at(w / 3, h / 3).height = std::numeric_limits<float>::quiet_NaN();
      base.highQuality = hq;
      Canvas ref = base;
      relightAllReference(ref);
      const int W = int(w), H = int(h);
      for (auto [x0, y0, x1, y1] : {std::tuple{-5, -5, W + 5, H + 5}, {1, 1, 2, H}, {0, H - 1, W, H},
                                    {W / 2, H / 3, W / 2 + 300, H / 3 + 40}, {W - 25, -3, W + 1, 30}}) {
        Canvas c = base;
        relightRect(c, x0, y0, x1, y1);
        for (int y = std::max(y0, 0); y < std::min(y1, H); ++y)
          for (int x = std::max(x0, 0); x < std::min(x1, W); ++x)
            ASSERT_EQ(c.surface.pixel(uint32_t(x), uint32_t(y)), ref.surface.pixel(uint32_t(x), uint32_t(y)))
                << w << "x" << h << " hq " << hq << " build " << wide << " at " << x << "," << y;
      }
    }
  }
  }
}

// Changes announced row by row (next to the edges too, where the highlight taps wrap to
// the far side), some of them relit by their squares as dabs are: relighting what changed
// shows what relighting everything shows; a display flag changed or the lighting
// invalidated since relights everything.
TEST(Lighting, RelightChangedShowsWhatRelightAllShows) {
  for (auto [w, h, seed] : {std::tuple{50u, 130u, 31u}, {9u, 30u, 32u}, {300u, 61u, 33u}, {1600u, 400u, 34u}}) {
    Canvas c = test::randomCanvas(w, h, seed, 12.0f);
    relightAll(c);
    std::mt19937 rng(seed);
    auto gen = [&] { return uint32_t(rng()); };
    for (int round = 0; round < 12; ++round) {
      for (int k = 0; k < 3; ++k) {
        const uint32_t y0 = k == 0 ? 0 : k == 1 ? h - 1 - gen() % 3 : gen() % h;
        const uint32_t y1 = std::min(h, y0 + 1 + gen() % 4);
        c.aboutToWrite(y0, y1);
        for (uint32_t y = y0; y < y1; ++y) {
          CanvasPixel& p = c.at(gen() % w, y);
          p.height += float(int(gen() % 200) - 100) * 0.1f;
          p.highlight = uint8_t(gen());
          p.red = uint8_t(gen());
        }
        if (gen() % 2) relightRect(c, int(gen() % w) - 3, int(y0) - 2, int(gen() % w) + 4, int(y1) + 2);
      }
      if (round == 5) c.highQuality = !c.highQuality;
      if (round == 8) {
        c.aboutToWriteAll();
        for (CanvasPixel& p : c.pixels) p.shading = uint8_t(255 - p.shading);
        c.invalidateLighting();
      }
      relightChanged(c);
      EXPECT_TRUE(c.lightingValid);
      Canvas ref = c;
      relightAllReference(ref);
      ASSERT_EQ(c.surface.bytes(), ref.surface.bytes()) << w << "x" << h << " round " << round;
    }
  }
}

TEST(Lighting, RelightRectClampsToTheCanvasAndTouchesOnlyItsSquare) {
  Canvas c = test::randomCanvas(12, 9, 7, 20.0f);
  Canvas whole = c;
  relightAll(whole);
  relightRect(c, 2, 3, 5, 4);
  for (uint32_t y = 0; y < 9; ++y)
    for (uint32_t x = 0; x < 12; ++x)
      EXPECT_EQ(c.surface.pixel(x, y), (x >= 2 && x < 5 && y == 3) ? whole.surface.pixel(x, y) : 0u);
  relightRect(c, -100, -100, 1000, 1000);
  EXPECT_EQ(c.surface.bytes(), whole.surface.bytes());
  relightRect(c, 8, 8, 3, 3);  // empty: nothing happens
}

}  // namespace
}  // namespace daubwell
