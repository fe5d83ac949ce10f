#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "raster/RotateByAngle.h"
#include "raster/TByteMap.h"

namespace kelvane {
namespace {

TEST(Color, IntensityWeightsGreenMost) {
  EXPECT_EQ(Intensity(Color32(255, 255, 255)), 255);
  EXPECT_EQ(Intensity(Color32(255, 0, 0)), 60);   // 61 * 255 >> 8
  EXPECT_EQ(Intensity(Color32(0, 255, 0)), 173);  // 174 * 255 >> 8
  EXPECT_EQ(Intensity(Color32(0, 0, 255)), 20);
  EXPECT_EQ(Intensity(0xFF000000u), 0);
}

TEST(Color, BlendRoundsOnceToTheNearest) {
  // Half-transparent white over opaque black: 255 * 128 / 255 = 128.
  EXPECT_EQ(BlendPixel(0x80FFFFFFu, 0xFF000000u), 0xFF808080u);
  // Opaque source replaces, transparent source leaves the background.
  EXPECT_EQ(BlendPixel(0xFF123456u, 0xFF654321u), 0xFF123456u);
  EXPECT_EQ(BlendPixel(0x00123456u, 0xFF654321u), 0xFF654321u);
  // Master alpha scales the source alpha: 255 * 128 / 255 = 128 again.
  EXPECT_EQ(BlendPixel(0xFFFFFFFFu, 0xFF000000u, 128), 0xFF808080u);
  // Over a transparent background the colour stays and the alpha builds up.
  EXPECT_EQ(BlendPixel(0x80FFFFFFu, 0x00000000u), 0x80FFFFFFu);
  EXPECT_EQ(BlendPixel(0x80FF0000u, 0x800000FFu), 0xC0AA0055u);
  for (uint32_t v = 0; v <= 255 * 255; v += 7) ASSERT_EQ(Div255(v), (v + 127) / 255) << v;
}

TEST(Color, LineBlendingMatchesPixelBlendingOverAnyBackground) {
  std::mt19937 gen(5);
  std::vector<TColor32> src(4096), dst(4096);
  for (auto& c : src) c = TColor32(gen());
  for (bool opaque : {true, false}) {
    for (auto& c : dst) c = TColor32(gen()) | (opaque ? 0xFF000000u : 0u);
    for (int master : {0, 1, 128, 254, 255}) {
      auto line = dst;
      BlendLine(src.data(), line.data(), line.size(), uint8_t(master));
      for (size_t i = 0; i < src.size(); ++i)
        ASSERT_EQ(line[i], BlendPixel(src[i], dst[i], uint8_t(master))) << i << " master " << master;
    }
  }
}

TEST(Color, LerpRoundsEachChannel) {
  EXPECT_EQ(LerpPixel(0x00000000u, 0xFFFFFFFFu, 128), 0x80808080u);
  EXPECT_EQ(LerpPixel(0x10203040u, 0x50607080u, 0), 0x10203040u);
  EXPECT_EQ(LerpPixel(0x10203040u, 0x50607080u, 256), 0x50607080u);
  EXPECT_EQ(LerpPixel(0x000000FFu, 0x00000000u, 1), 0x000000FEu);  // (255 * 255 + 128) >> 8
}

TEST(Bitmap, LargeBlendsSplitAcrossThreadsGiveThePixelByPixelResult) {
  TBitmap32 src = test::gradient(700, 500, true), dst = test::gradient(700, 500);
  const TBitmap32 before = dst;
  src.DrawMode = TDrawMode::dmBlend;
  src.MasterAlpha = 190;
  src.DrawTo(dst, 0, 0);
  for (int y = 0; y < 500; y += 7)
    for (int x = 0; x < 700; x += 3)
      ASSERT_EQ(dst.Pixel(x, y), BlendPixel(src.Pixel(x, y), before.Pixel(x, y), 190)) << x << "," << y;
}

TEST(Bitmap, CopiesCarryEverySetting) {
  TBitmap32 a(2, 2, 0xFF112233u);
  a.OuterColor = 0xAABBCCDDu;
  a.DrawMode = TDrawMode::dmBlend;
  a.MasterAlpha = 77;
  a.StretchFilter = TStretchFilter::sfLinear;
  const TBitmap32 b = a;
  EXPECT_EQ(b.Pixel(-1, 0), 0xAABBCCDDu);
  EXPECT_EQ(b.DrawMode, TDrawMode::dmBlend);
  EXPECT_EQ(b.MasterAlpha, 77);
  EXPECT_EQ(b.StretchFilter, TStretchFilter::sfLinear);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF112233u);
}

TEST(Bitmap, RefusesSizesBeyondTheLimits) {
  TBitmap32 b;
  EXPECT_FALSE(b.SetSize(TBitmap32::kMaxSide + 1, 1));
  EXPECT_FALSE(b.SetSize(TBitmap32::kMaxSide, TBitmap32::kMaxSide));  // past kMaxPixels
  EXPECT_TRUE(b.SetSize(0, 5));
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ResizingAMovedFromBitmapToItsOldSizeGivesItPixelsAgain) {
  TBitmap32 a(600, 600, 0xFF102030u);  // large enough to be filled on several threads
  TBitmap32 b(std::move(a));
  ASSERT_TRUE(a.SetSize(600, 600, 0xFFFFFFFFu));
  EXPECT_EQ(a.Pixel(599, 599), 0xFFFFFFFFu);
  TBitmap32 c(std::move(b));
  ASSERT_TRUE(b.SetSizeUninitialized(600, 600));
  b.Clear(0xFF000000u);
  EXPECT_EQ(b.Pixel(599, 599), 0xFF000000u);
  EXPECT_EQ(c.Pixel(599, 599), 0xFF102030u);
}

TEST(Bitmap, OpaqueDrawIsClippedToTheTarget) {
  const TBitmap32 src = test::gradient(4, 3);
  TBitmap32 dst(5, 5, 0xFF000000u);
  src.DrawTo(dst, -1, 3);
  EXPECT_EQ(dst.Pixel(0, 3), src.Pixel(1, 0));
  EXPECT_EQ(dst.Pixel(2, 4), src.Pixel(3, 1));
  EXPECT_EQ(dst.Pixel(3, 3), 0xFF000000u);
  EXPECT_EQ(dst.Pixel(0, 2), 0xFF000000u);
}

TEST(Bitmap, BlendedDrawUsesMasterAlpha) {
  TBitmap32 src(2, 2, 0xFFFFFFFFu);
  src.DrawMode = TDrawMode::dmBlend;
  src.MasterAlpha = 128;
  TBitmap32 dst(2, 2, 0xFF000000u);
  src.DrawTo(dst, 0, 0);
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF808080u);
}

TEST(Bitmap, NearestStretchPicksPixelCentres) {
  const TBitmap32 src = test::gradient(4, 4);
  TBitmap32 dst(2, 2);
  src.DrawTo(dst, dst.BoundsRect());
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(1, 1));
  EXPECT_EQ(dst.Pixel(1, 1), src.Pixel(3, 3));
  TBitmap32 big(8, 8);
  src.DrawTo(big, big.BoundsRect());
  EXPECT_EQ(big.Pixel(7, 7), src.Pixel(3, 3));
  EXPECT_EQ(big.Pixel(2, 5), src.Pixel(1, 2));
}

TEST(Bitmap, LinearStretchAveragesAndHoldsTheEdges) {
  TBitmap32 src(2, 2);
  src.SetPixel(0, 0, 0xFF000000u);
  src.SetPixel(1, 0, 0xFF0000FFu);
  src.SetPixel(0, 1, 0xFF00FF00u);
  src.SetPixel(1, 1, 0xFFFF0000u);
  src.StretchFilter = TStretchFilter::sfLinear;
  const TBitmap32 one = src.Resampled(1, 1);
  EXPECT_EQ(one.Pixel(0, 0), 0xFF404040u);  // each channel (0 + 255) / 4, rounded
  const TBitmap32 wide = src.Resampled(4, 1);
  EXPECT_EQ(BlueComponent(wide.Pixel(0, 0)), 0);    // held at the first column
  EXPECT_EQ(BlueComponent(wide.Pixel(3, 0)), 128);  // held at the last column, rows averaged
  EXPECT_EQ(wide.StretchFilter, TStretchFilter::sfLinear);
}

// Linear resampling against a per-pixel model of its rule (rows mixed byte by byte at
// the row weight, then the two columns by LerpPixel), shrinking and growing to odd sizes
// on both sides of the thread split: every output pixel must be written.
TEST(Bitmap, LinearResampleMatchesThePerPixelRuleAndFillsEveryPixel) {
  auto tap = [](int d, int src, int dst, int& i0, int& i1) {
    const double s = std::clamp((d + 0.5) * double(src) / dst - 0.5, 0.0, double(src - 1));
    i0 = int(s);
    i1 = std::min(i0 + 1, src - 1);
    return int((s - i0) * 256 + 0.5);
  };
  std::mt19937 gen(6);
  TBitmap32 src(613, 457);
  for (int i = 0; i < 613 * 457; ++i) src.Bits()[i] = TColor32(gen());
  src.StretchFilter = TStretchFilter::sfLinear;
  for (auto [w, h] : {std::pair{306, 228}, {1, 1}, {1227, 915}, {7, 460}}) {
    const TBitmap32 out = src.Resampled(w, h);
    ASSERT_EQ(out.Width(), w);
    for (int y = 0; y < h; y += 1 + h / 97) {
      int r0, r1, c0, c1;
      const uint32_t wy = uint32_t(tap(y, 457, h, r0, r1));
      for (int x = 0; x < w; ++x) {
        const uint32_t wx = uint32_t(tap(x, 613, w, c0, c1));
        auto mixed = [&](int c) {
          const TColor32 a = src.Pixel(c, r0), b = src.Pixel(c, r1);
          TColor32 m = 0;
          for (int shift = 0; shift < 32; shift += 8)
            m |= ((((a >> shift) & 0xFF) * (256 - wy) + ((b >> shift) & 0xFF) * wy + 128) >> 8) << shift;
          return m;
        };
        ASSERT_EQ(out.Pixel(x, y), LerpPixel(mixed(c0), mixed(c1), wx)) << w << "x" << h << " at " << x << "," << y;
      }
    }
  }
  const TBitmap32 empty;
  const TBitmap32 blank = empty.Resampled(5, 4);
  EXPECT_EQ(blank.Width(), 5);
  EXPECT_EQ(blank.Pixel(4, 3), 0u);
}

TEST(Bitmap, StretchIntoAPartlyVisibleRectangleSamplesAsIfWhole) {
  const TBitmap32 src = test::gradient(6, 6);
  TBitmap32 whole(12, 12), part(6, 6);
  src.DrawTo(whole, whole.BoundsRect());
  src.DrawTo(part, TRect{-6, -6, 6, 6});
  EXPECT_EQ(part.Pixel(0, 0), whole.Pixel(6, 6));
  EXPECT_EQ(part.Pixel(5, 5), whole.Pixel(11, 11));
}

TEST(Bitmap, FillRectAndLineStayInside) {
  TBitmap32 b(4, 4, 0);
  b.FillRect({-2, 1, 2, 10}, 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(1, 3), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(2, 3), 0u);
  b.Line(-3, -3, 6, 6, 0xFF00FF00u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b.Pixel(i, i), 0xFF00FF00u);
  b.FillRectBlend({0, 0, 1, 1}, 0x80FFFFFFu);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF80FF80u);
}

TEST(ByteMap, ResamplesLikeTheBitmapResampler) {
  TByteMap m(2, 1);
  m.SetValue(0, 0, 0);
  m.SetValue(1, 0, 255);
  const TByteMap up = m.Resampled(4, 1, TStretchFilter::sfLinear);
  ASSERT_EQ(up.Width(), 4);
  EXPECT_EQ(up.Value(0, 0), 0);
  EXPECT_EQ(up.Value(1, 0), 64);
  EXPECT_EQ(up.Value(2, 0), 191);
  EXPECT_EQ(up.Value(3, 0), 255);
  EXPECT_EQ(m.Resampled(4, 2, TStretchFilter::sfNearest).Value(3, 1), 255);
  EXPECT_EQ(m.Value(5, 5), 0);
}


// A dropped large bitmap's memory serves the next one of the same size; other sizes get
// memory of their own, and the kept buffers are safe to take from several threads.
TEST(LargeBuffers, DroppedBuffersComeBackForTheSameSize) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "buffers go back at once under the address sanitizer";
#endif
  const TColor32* first;
  {
    TBitmap32 a(2000, 1500, 1);
    first = a.Bits();
  }
  TBitmap32 b(2000, 1500, 7);
  EXPECT_EQ(b.Bits(), first);
  EXPECT_EQ(b.Pixel(1999, 1499), 7u);  // cleared like any new bitmap
  TBitmap32 larger(2100, 1500, 9);     // more than a kept buffer of the first size holds
  EXPECT_NE(larger.Bits(), b.Bits());
  EXPECT_EQ(larger.Pixel(2099, 1499), 9u);

  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &wrong] {
      for (int i = 0; i < 20; ++i) {
        TBitmap32 m(1100 + 100 * (i % 3), 1000, TColor32(t * 100 + i));
        if (m.Pixel(m.Width() - 1, 999) != TColor32(t * 100 + i)) ++wrong;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, 0);
}

// ---- vector paths against their per-pixel references, bit for bit ----

TBitmap32 randomBitmap(int w, int h, uint32_t seed) {
  std::mt19937 gen(seed);
  TBitmap32 b(w, h);
  for (size_t i = 0; i < size_t(w) * h; ++i) b.Bits()[i] = TColor32(gen());
  return b;
}

// The first pixel where two bitmaps differ, for the failure message; "" when equal.
std::string firstDifference(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "sizes differ";
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "at %d,%d: %08X, reference %08X", x, y, a.Pixel(x, y), b.Pixel(x, y));
        return text;
      }
  return "";
}

// Shrinking, growing, the exact half, single rows and columns, targets of one pixel and
// widths that leave every remainder of the four-pixel loop; 700 x 400 targets split
// across the threads.
TEST(StretchFast, LinearResampleEqualsThePerPixelRule) {
  const std::pair<int, int> sources[] = {{1, 1}, {2, 2}, {1, 9}, {9, 1}, {5, 3}, {613, 457}, {800, 600}, {1401, 3}};
  const std::pair<int, int> targets[] = {{1, 1}, {2, 1}, {3, 5}, {7, 460}, {306, 228}, {400, 300},
                                         {1227, 915}, {700, 400}, {13, 1}, {1, 13}, {401, 299}};
  uint32_t seed = 1;
  for (auto [sw, sh] : sources) {
    TBitmap32 src = randomBitmap(sw, sh, seed++);
    src.StretchFilter = TStretchFilter::sfLinear;
    for (auto [w, h] : targets) {
      if (int64_t(w) * h > 300000 && int64_t(sw) * sh < 1000) continue;  // tiny sources need no huge targets
      const TBitmap32 fast = src.Resampled(w, h);
      TBitmap32 reference(w, h);
      StretchLinearReference(src, reference, reference.BoundsRect());
      ASSERT_EQ(firstDifference(fast, reference), "") << sw << "x" << sh << " to " << w << "x" << h;
    }
  }
}

// Rectangles hanging over every side of the target, drawn opaque and blended: only the
// visible part is written, sampled as if the rectangle were whole.
TEST(StretchFast, ClippedAndBlendedStretchesEqualTheReference) {
  TBitmap32 src = randomBitmap(97, 61, 40);
  src.StretchFilter = TStretchFilter::sfLinear;
  const TBitmap32 background = randomBitmap(120, 90, 41);
  const TRect rects[] = {{-30, -20, 150, 70}, {10, 5, 43, 88}, {-7, 50, 60, 200}, {119, 89, 300, 300}, {3, 4, 5, 6}};
  for (const TRect& r : rects) {
    TBitmap32 whole = background;
    StretchLinearReference(src, whole, r);
    for (bool blend : {false, true}) {
      TBitmap32 s = src, fast = background, expected = background;
      s.DrawMode = blend ? TDrawMode::dmBlend : TDrawMode::dmOpaque;
      s.MasterAlpha = 201;
      s.DrawTo(fast, r);
      for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, 90); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, 120); ++x)
          expected.SetPixel(x, y, blend ? BlendPixel(whole.Pixel(x, y), background.Pixel(x, y), 201) : whole.Pixel(x, y));
      ASSERT_EQ(firstDifference(fast, expected), "") << r.Left << "," << r.Top << " blend " << blend;
    }
  }
}

// Angles on both sides of zero, past a full turn, the quarter turns and a hair off zero;
// sizes from one pixel to ones split across the threads, with widths leaving every
// remainder of the four-pixel loop; random alpha, so the blend over black is exercised.
TEST(RotateFast, RotationEqualsThePerPixelRule) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {3, 3}, {4, 1}, {1, 7}, {5, 4}, {37, 23}, {64, 64}, {643, 481}};
  const double angles[] = {0, 17, -17, 45, 90, 180, -270, 359.5, 1e-9, 1000, -0.3, 33.3333};
  uint32_t seed = 100;
  for (auto [w, h] : sizes)
    for (TStretchFilter filter : {TStretchFilter::sfLinear, TStretchFilter::sfNearest}) {
      TBitmap32 src = randomBitmap(w, h, seed++);
      src.StretchFilter = filter;
      for (double a : angles) {
        if (w * h > 100000 && a != 17 && a != -0.3 && a != 90) continue;  // the large size at a few angles
        const TBitmap32 fast = RotateByAngle(src, a), reference = RotateByAngleReference(src, a);
        ASSERT_EQ(firstDifference(fast, reference), "") << w << "x" << h << " by " << a << " linear "
                                                        << (filter == TStretchFilter::sfLinear);
        ASSERT_EQ(fast.StretchFilter, filter);
      }
    }
}

// The rule itself on an opaque picture: the centre pixel of an odd square survives any
// angle, the corners of a turned oblong are black, and half alpha at the border mixes
// the edge with the black.
TEST(RotateFast, ReferenceKeepsTheCentreAndBlackensTheCorners) {
  TBitmap32 image(41, 21, 0xFF808080u);
  image.SetPixel(20, 10, 0xFFFF0000u);
  image.StretchFilter = TStretchFilter::sfLinear;
  for (double a : {10.0, 77.0, -150.0}) {
    const TBitmap32 r = RotateByAngleReference(image, a);
    EXPECT_EQ(r.Pixel(20, 10), 0xFFFF0000u) << a;
    EXPECT_EQ(r.Pixel(0, 0), 0xFF000000u) << a;
    EXPECT_EQ(r.Pixel(40, 20), 0xFF000000u) << a;
  }
  // At 0 degrees an interior pixel is read as is; a border pixel becomes transparent,
  // and over black it turns black.
  const TBitmap32 same = RotateByAngleReference(image, 0);
  EXPECT_EQ(same.Pixel(5, 5), 0xFF808080u);
  EXPECT_EQ(same.Pixel(0, 5), 0xFF000000u);
}

}  // namespace
}  // namespace kelvane
