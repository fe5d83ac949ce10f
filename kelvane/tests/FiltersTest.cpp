#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "TestSupport.h"
#include "filters/Adjust.h"
#include "filters/ColorPicker.h"
#include "filters/ColorReplace.h"
#include "filters/Convolution.h"
#include "filters/FilterPreview.h"
#include "filters/NPR.h"
#include "raster/ApplyThroughMask.h"
#include "raster/HSL.h"

namespace kelvane {
namespace {

bool samePixels(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  return std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * a.Height(), b.Bits());
}

TEST(ApplyThroughMask, MixesByTheMaskAndCopiesWithoutOne) {
  TBitmap32 target(3, 1, 0xFF000000u), filtered(3, 1, 0x80FFFFFFu);
  TByteMap mask(3, 1);
  mask.SetValue(1, 0, 128);
  mask.SetValue(2, 0, 255);
  ApplyThroughMask(filtered, target, &mask);
  EXPECT_EQ(target.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(target.Pixel(1, 0), 0xFF808080u);
  EXPECT_EQ(target.Pixel(2, 0), 0xFFFFFFFFu);  // the target's alpha kept
  ApplyThroughMask(filtered, target, nullptr);
  EXPECT_EQ(target.Pixel(0, 0), 0x80FFFFFFu);
}

TEST(Convolution, BlurAndSharpenLeaveUniformImagesAndEdgesTurnThemWhite) {
  const TBitmap32 uniform(9, 7, 0xFF6496C8u);
  for (auto filter : {BlurFilter, SharpenFilter}) {
    TBitmap32 b = uniform;
    filter(b, nullptr, nullptr);
    EXPECT_TRUE(samePixels(b, uniform));
  }
  for (auto filter : {SobelFilter, FindEdgeFilter}) {
    TBitmap32 b = uniform;
    filter(b, nullptr, nullptr);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(b.Pixel(x, y), 0xFFFFFFFFu) << x << "," << y;
  }
}

TEST(Convolution, SharpenSaturatesABrightPixelAndClampsNegativeSumsToZero) {
  TBitmap32 b(5, 5, 0xFF000000u);
  b.SetPixel(2, 2, 0xFF404040u);
  SharpenFilter(b, nullptr);
  EXPECT_EQ(b.Pixel(2, 2), 0xFF808080u);  // 64 * 16 / 8 = 128
  b.SetPixel(2, 2, 0xFFFFFFFFu);
  SharpenFilter(b, nullptr);
  EXPECT_EQ(b.Pixel(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(1, 2), 0xFF000000u);
}

TEST(Convolution, QuotientsAbove254BecomeFullAndBordersRepeatTheEdge) {
  // 255 exactly can only come from the clamp: a quotient of 255 is above 254.
  TBitmap32 b(2, 1);
  b.SetPixel(0, 0, Color32(0, 127, 254));
  b.SetPixel(1, 0, Color32(0, 127, 254));
  Convolve3x3({1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, b);  // the border repeats the edge: a plain mean
  EXPECT_EQ(b.Pixel(0, 0), Color32(0, 127, 254));
  Convolve3x3({0, 0, 0, 0, 2, 0, 0, 0, 0}, 1, b);  // doubled: 254 and 508 give 255
  EXPECT_EQ(b.Pixel(1, 0), Color32(0, 254, 255));
}

// The one-pass Find Edge against the eight convolutions it replaces: noise (every sum
// clamps somewhere), a few flat levels (ties between the kernels), with and without a
// mask, odd sizes down to one pixel and one size split between threads.
TEST(Convolution, OnePassFindEdgeMatchesEightConvolutions) {
  std::mt19937 gen(8);
  const int sizes[][2] = {{1, 1}, {1, 6}, {7, 1}, {2, 3}, {33, 17}, {611, 457}};
  int trial = 0;
  for (const auto& [w, h] : sizes)
    for (int kind = 0; kind < 3; ++kind, ++trial) {
      TBitmap32 img(w, h);
      for (int i = 0; i < w * h; ++i)
        img.Bits()[i] = kind == 0 ? TColor32(gen()) : 0xFF000000u | (gen() % 4) * 0x3F3F3Fu;
      img.OuterColor = 0x11223344u;
      TByteMap m(w, h);
      for (int i = 0; i < w * h; ++i) m.Bits()[i] = uint8_t(gen());
      TBitmap32 fast = img, slow = img;
      FindEdgeFilter(fast, kind == 2 ? &m : nullptr);
      FindEdgeFilterReference(slow, kind == 2 ? &m : nullptr);
      ASSERT_TRUE(samePixels(fast, slow)) << w << "x" << h << " kind " << kind;
      EXPECT_EQ(fast.OuterColor, slow.OuterColor);
    }
}

TEST(Convolution, BlurEdgeWithEmptyOrFullMaskChangesNothing) {
  const TBitmap32 image = test::gradient(8, 6);
  for (uint8_t v : {uint8_t(0), uint8_t(255)}) {
    TBitmap32 b = image;
    BlurEdge(b, TByteMap(8, 6, v));
    EXPECT_TRUE(samePixels(b, image)) << int(v);
  }
  TBitmap32 b(8, 6, 0xFF000000u);
  b.SetPixel(4, 3, 0xFFFFFFFFu);
  TByteMap mask(8, 6);
  mask.SetValue(4, 3, 255);
  BlurEdge(b, mask);
  EXPECT_EQ(b.Pixel(3, 3), 0xFF3F3F3Fu);  // just outside: (255 + 0 + 0 + 0) shr 2
  EXPECT_EQ(b.Pixel(4, 3), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
}

TEST(WaterColor, RemovesASingleOddPixelAndKeepsUniformImages) {
  TBitmap32 b(9, 9, 0xFF336699u);
  b.OuterColor = 0xFF336699u;
  const TBitmap32 uniform = b;
  WaterColorFilter(b, nullptr);
  EXPECT_TRUE(samePixels(b, uniform));
  b.SetPixel(4, 4, 0xFFFFFFFFu);
  WaterColorFilter(b, nullptr);
  EXPECT_EQ(b.Pixel(4, 4), 0xFF336699u);
}

TEST(WaterColor, SlidingMedianMatchesSortingEachNeighbourhood) {
  TBitmap32 b(23, 17);
  std::mt19937 gen(3);
  for (int i = 0; i < 23 * 17; ++i) b.Bits()[i] = 0xFF000000u | (gen() & 0x3F3F3F);  // many equal intensities
  b.OuterColor = 0xFF102030u;
  const TBitmap32 fast = MedianByIntensity(b);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x) {
      std::vector<std::pair<int, int>> keyed;  // (intensity, reading order)
      for (int j = -2; j <= 2; ++j)
        for (int i = -2; i <= 2; ++i) keyed.push_back({Intensity(b.Pixel(x + i, y + j)), (j + 2) * 5 + (i + 2)});
      std::sort(keyed.begin(), keyed.end());
      const int n = keyed[12].second;
      ASSERT_EQ(fast.Pixel(x, y), b.Pixel(x + n % 5 - 2, y + n / 5 - 2)) << x << "," << y;
    }
}

// The median network against sorting: widths on both sides of the eight-pixel groups,
// sides of one pixel, images smaller than the window, ties everywhere (a few levels) and
// nowhere (noise), a bright and a dark outer colour, and one size split between threads.
TEST(WaterColor, MedianNetworkMatchesTheSortingReference) {
  std::mt19937 gen(12);
  const int sizes[][2] = {{1, 1}, {1, 9}, {8, 1}, {9, 2}, {3, 3}, {16, 5}, {17, 11}, {640, 430}};
  int trial = 0;
  for (const auto& [w, h] : sizes)
    for (int kind = 0; kind < 3; ++kind, ++trial) {
      TBitmap32 b(w, h);
      for (int i = 0; i < w * h; ++i) b.Bits()[i] = kind == 0 ? TColor32(gen()) : 0xFF000000u | (gen() % 3) * 0x404040u;
      b.OuterColor = kind == 2 ? 0xFFFFFFFFu : 0x80102030u;
      const TBitmap32 fast = MedianByIntensity(b), slow = MedianByIntensityReference(b);
      ASSERT_TRUE(samePixels(fast, slow)) << w << "x" << h << " kind " << kind;
      EXPECT_EQ(fast.OuterColor, b.OuterColor);
    }
}

TEST(NPR, NoDistortionNoNoiseAndAnEmptyMaskChangeNothing) {
  const TBitmap32 image = test::gradient(12, 10);
  TBitmap32 b = image;
  TByteMap empty(12, 10, 0);
  struct Count : TProgress {
    int steps = 0;
    bool ended = false;
    void Begin(const std::string& m, int max) override {
      EXPECT_EQ(m, "Apply NPR Filter");
      EXPECT_EQ(max, 8);
    }
    void Step() override { ++steps; }
    void End() override { ended = true; }
  } progress;
  TNPRParams p;
  p.noise = 0;
  NPRFilter(b, p, &empty, &progress, 1);
  EXPECT_TRUE(samePixels(b, image));
  EXPECT_EQ(progress.steps, 8);
  EXPECT_TRUE(progress.ended);
}

TEST(NPR, NoiseNeverWrapsAndZeroNoiseIsNoNoise) {
  TBitmap32 b(64, 64);
  for (int i = 0; i < 64 * 64; ++i) b.Bits()[i] = TColor32(i * 2654435761u);
  const TBitmap32 before = b;
  AddNoise(b, 0, 5);
  EXPECT_TRUE(samePixels(b, before));
  AddNoise(b, 10, 5);
  const auto* p = reinterpret_cast<const uint8_t*>(b.Bits());
  const auto* q = reinterpret_cast<const uint8_t*>(before.Bits());
  for (int i = 0; i < 64 * 64 * 4; ++i) {
    // Mid-range bytes move by at most n / 2 either way; bytes near 0 or 255 are first
    // pushed inwards by n, so they never wrap.
    const int d = int(p[i]) - int(q[i]);
    if (q[i] >= 10 && q[i] + 10 <= 255) {
      ASSERT_LE(std::abs(d), 5) << i;
    }
    ASSERT_LE(std::abs(d), 15) << i;
  }
}

TEST(NPR, RemapAtZeroIsExactAndTheCentreReadsItself) {
  const TBitmap32 image = test::gradient(10, 8);
  EXPECT_TRUE(samePixels(Remap(image, 0), image));
  const TBitmap32 r = Remap(image, 10);
  EXPECT_EQ(r.Pixel(5, 4), image.Pixel(5, 4));
  EXPECT_FALSE(samePixels(r, image));
}

TEST(ColorReplace, GreyStaysGreyAndLaterEntriesSeeEarlierChanges) {
  TBitmap32 b(3, 1);
  b.SetPixel(0, 0, 0xFF808080u);  // grey: hue 0, saturation 0
  b.SetPixel(1, 0, 0xFFC04040u);  // a soft red: hue 0
  b.SetPixel(2, 0, 0xFFFF0000u);  // saturation 1: |0 - 1| is not below dS = 1
  TRepColorSet set{DefaultRepColor()};
  set[0].newH = 0.55f;
  ColorReplace(set, b, nullptr);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF808080u);
  const THSL recoloured = RGBToHSL(b.Pixel(1, 0)), before = RGBToHSL(0xFFC04040u);
  EXPECT_NEAR(recoloured.H, 0.55f, 0.005f);
  EXPECT_NEAR(recoloured.S, before.S, 0.01f);
  EXPECT_NEAR(recoloured.L, before.L, 0.01f);
  EXPECT_EQ(b.Pixel(2, 0), 0xFFFF0000u);
  // Two equal entries: the second tests the recoloured hue 0.55 and lets it be.
  TBitmap32 c(1, 1, 0xFFC04040u);
  ColorReplace({set[0], set[0]}, c, nullptr);
  EXPECT_EQ(c.Pixel(0, 0), b.Pixel(1, 0));
  // A scaled lightness beyond 1 is brought back to white, not wrapped.
  set[0].kL = 2;
  TBitmap32 d(1, 1, 0xFFC04040u);
  ColorReplace(set, d, nullptr);
  EXPECT_EQ(d.Pixel(0, 0), 0xFFFFFFFFu);
}

TEST(ColorReplace, HslRoundTripsAndStripsSpanTheirRanges) {
  for (TColor32 c : {0xFF102030u, 0xFFFF8000u, 0xFF00FF00u, 0xFFFFFFFFu, 0xFF000000u}) {
    const THSL h = RGBToHSL(c);
    EXPECT_EQ(HSLToRGB(h.H, h.S, h.L), c);
  }
  const auto hue = HueStrip(6);
  EXPECT_EQ(hue[0], 0xFFFF0000u);
  EXPECT_EQ(hue[3], 0xFF00FFFFu);
  EXPECT_EQ(MatchedHueBand(4, DefaultRepColor()).size(), 4u);
}

TEST(Adjust, QuarterTurnsAndFlipsRestoreTheImage) {
  const TBitmap32 image = test::gradient(5, 3);
  const TBitmap32 r = Rotate90(image);
  EXPECT_EQ(r.Width(), 3);
  EXPECT_EQ(r.Pixel(2, 0), image.Pixel(0, 0));  // top-left to top-right
  EXPECT_TRUE(samePixels(Rotate90(Rotate90(Rotate90(Rotate90(image)))), image));
  EXPECT_TRUE(samePixels(Rotate270(Rotate90(image)), image));
  EXPECT_TRUE(samePixels(Rotate180(Rotate180(image)), image));
  EXPECT_TRUE(samePixels(FlipHorizontal(FlipHorizontal(image)), image));
  EXPECT_TRUE(samePixels(FlipVertical(FlipVertical(image)), image));
  EXPECT_EQ(FlipVertical(image).Pixel(0, 0), image.Pixel(0, 2));
}

TEST(Adjust, RotationByAnAngleKeepsTheSizeAndBlackensUncoveredCorners) {
  TBitmap32 image(40, 20, 0xFFFFFFFFu);
  image.StretchFilter = TStretchFilter::sfNearest;
  const TBitmap32 r = RotateByAngle(image, 30);
  EXPECT_EQ(r.Width(), 40);
  EXPECT_EQ(r.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(r.Pixel(20, 10), 0xFFFFFFFFu);
  const TBitmap32 none = RotateByAngle(test::gradient(9, 9), 0);
  EXPECT_EQ(none.Pixel(4, 4), test::gradient(9, 9).Pixel(4, 4));
}

TEST(Adjust, ImageSizeKeepsProportionsAndBalanceCancelRestores) {
  EXPECT_EQ(ConstrainedSide(200, 400, 300), 150);
  EXPECT_EQ(ConstrainedSide(150, 300, 400), 200);
  TBitmap32 result = test::gradient(6, 4), base;
  const TBitmap32 before = result;
  TBalanceSession session(result);
  session.Preview({.brightness = 50});
  EXPECT_FALSE(samePixels(result, before));
  session.Ok(base, {.brightness = 50});
  EXPECT_TRUE(samePixels(base, result));
  session.Cancel();
  EXPECT_TRUE(samePixels(result, before));
}

TEST(FilterPreview, PanIsClampedAndTheCheckerboardStartsGrey) {
  EXPECT_EQ(PanBy({0, 0}, 50, 50, 169, 153, 1000, 800), (TPan{0, 0}));
  EXPECT_EQ(PanBy({0, 0}, -5000, -20, 169, 153, 1000, 800), (TPan{169 - 1000, -20}));
  EXPECT_EQ(PanBy({0, 0}, -30, -30, 169, 153, 100, 100), (TPan{0, 0}));  // source smaller
  TBitmap32 area(20, 10);
  DrawCheckerboard(area);
  EXPECT_EQ(area.Pixel(0, 0), 0xFFB0B0B0u);
  EXPECT_EQ(area.Pixel(8, 0), 0xFFFFFFFFu);
  EXPECT_EQ(area.Pixel(8, 8), 0xFFB0B0B0u);
  TBitmap32 composite(4, 4, 0xFF112233u);
  TByteMap mask(10, 10);
  mask.SetValue(3, 3, 200);
  ApplyMaskAlpha(composite, mask, {-2, -2});
  EXPECT_EQ(AlphaComponent(composite.Pixel(1, 1)), 200);
  EXPECT_EQ(AlphaComponent(composite.Pixel(0, 0)), 0);
}

TEST(ColorPicker, ModesMapMarkerAndSliderAndHexGivesPureRed) {
  TColorPickerModel m;
  m.Pick(Color32(16, 32, 48));
  EXPECT_EQ(m.Slider(), 16);
  EXPECT_EQ(m.MarkerX(), 48);
  EXPECT_EQ(m.MarkerY(), 32);
  for (TPickerMode mode : {TPickerMode::R, TPickerMode::G, TPickerMode::B}) {
    m.SetMode(mode);
    EXPECT_EQ(m.Colour(), Color32(16, 32, 48));
    ASSERT_TRUE(m.SetHex("FF0000"));
    EXPECT_EQ(m.Colour(), 0xFFFF0000u);
    m.Pick(Color32(16, 32, 48));
  }
  m.SetMode(TPickerMode::G);
  EXPECT_EQ(m.FieldPixel(5, 6), Color32(6, 32, 5));
  EXPECT_EQ(m.StripPixel(9), Color32(16, 9, 48));
  EXPECT_FALSE(m.SetHex("GG"));
  EXPECT_TRUE(m.SetHex("12"));
  EXPECT_EQ(m.Hex(), "120000");
  EXPECT_EQ(m.Result(false), Color32(16, 32, 48));  // Cancel
  m.MoveMarker(300, -4);
  EXPECT_EQ(m.MarkerX(), 255);
  EXPECT_EQ(m.MarkerY(), 0);
}

}  // namespace
}  // namespace kelvane
