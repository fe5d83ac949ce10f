#include <gtest/gtest.h>

#include <random>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/DocumentCommands.h"
#include "app/FilterDialogs.h"
#include "app/TKVXEditSession.h"
#include "filters/Convolution.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

TBitmap32 Noise(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
  b.OuterColor = b.Pixel(0, 0);
  return b;
}

TBitmap32 CropOf(const TBitmap32& b, int x0, int y0, int w, int h) {
  TBitmap32 out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.SetPixel(x, y, b.Pixel(x0 + x, y0 + y));
  return out;
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

TEST(FilterPreview, TheVisiblePartComesOutAsTheWholePicturesFilterWouldMakeIt) {
  const TBitmap32 source = Noise(90, 70, 7);
  TFilterValues values;
  PickReference(values.Colors, source.Pixel(5, 5), false);
  WriteControls(values.Colors, {.H = 0.6f, .kS = 0.5f, .kL = 1.2f, .DeltaH = 50, .DeltaS = 1, .DeltaL = 1});
  for (const TFilterKind& kind : FilterKinds()) {
    if (kind.Margin < 0 || kind.MaskItself) continue;
    TBitmap32 whole = source;
    kind.Run(whole, nullptr, values, nullptr);
    TFilterPreview preview(source, nullptr, 40, 30);
    // The top-left corner, the middle and the far corner (clamped there).
    for (auto [dx, dy] : {std::pair{0, 0}, std::pair{-23, -17}, std::pair{-500, -500}}) {
      preview.PanBy(dx, dy);
      preview.Recompute(kind, values);
      const TPan p = preview.Pan();
      EXPECT_TRUE(SamePixels(preview.Filtered(), CropOf(whole, -p.x, -p.y, 40, 30)))
          << kind.Id << " at " << p.x << "," << p.y;
    }
    EXPECT_EQ(preview.Pan(), (TPan{40 - 90, 30 - 70})) << kind.Id;
  }
}

TEST(FilterPreview, AMaskedBlursPreviewIsItsFinalResultOnTheVisiblePart) {
  const TBitmap32 source = Noise(120, 80, 3);
  TByteMap mask(120, 80);
  for (int y = 10; y < 60; ++y)
    for (int x = 30; x < 100; ++x) mask.SetValue(x, y, x < 40 ? 128 : 255);
  TBitmap32 final = source;
  BlurFilter(final, &mask);
  TFilterPreview preview(source, &mask, 64, 48);
  preview.PanBy(-25, -5);
  preview.Recompute(*FindFilterKind("ABlur"), {});
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const int sx = x + 25, sy = y + 5;
      const uint8_t m = mask.Value(sx, sy);
      // The dialog shows the filtered colour with the mask as its alpha.
      EXPECT_EQ(preview.CompositePixel(x, y) >> 24, m);
      if (m == 255) {
        EXPECT_EQ(preview.Filtered().Pixel(x, y) & 0xFFFFFF, final.Pixel(sx, sy) & 0xFFFFFF) << x << "," << y;
      } else if (m == 0) {
        EXPECT_EQ(final.Pixel(sx, sy) & 0xFFFFFF, source.Pixel(sx, sy) & 0xFFFFFF);
      }
    }
  // Outside the mask the checkerboard shows: grey in the top-left square.
  EXPECT_EQ(preview.Shown().Pixel(0, 0), 0xFFB0B0B0u);
  EXPECT_EQ(preview.Shown().Pixel(8, 0), 0xFFFFFFFFu);
}

TEST(FilterPreview, AnUncheckedPreviewStaysAsItWasAndAPictureSmallerThanItShowsTheBoard) {
  const TBitmap32 source = Noise(20, 10, 1);
  TFilterPreview preview(source, nullptr, 40, 30);
  EXPECT_EQ(preview.Pan(), (TPan{0, 0}));
  EXPECT_EQ(preview.Shown().Pixel(35, 25), 0xFFFFFFFFu);  // beyond the picture: the board
  EXPECT_EQ(preview.Shown().Pixel(3, 3), source.Pixel(3, 3));
  preview.Enabled = false;
  preview.Recompute(*FindFilterKind("ASobel"), {});
  EXPECT_EQ(preview.Shown().Pixel(3, 3), source.Pixel(3, 3));
  preview.Enabled = true;
  preview.Recompute(*FindFilterKind("ASobel"), {});
  EXPECT_NE(preview.Shown().Pixel(3, 3), source.Pixel(3, 3));
}

TEST(ColorReplaceControls, PicksReplaceOrAddEntriesAndTheControlsGoIntoEveryOne) {
  TRepColorSet set;
  WriteControls(set, {});
  ASSERT_EQ(set.size(), 1u);  // the default entry, the controls' defaults written in
  EXPECT_FLOAT_EQ(set[0].dH, 0.01f);
  PickReference(set, 0xFFFF0000u, false);
  PickReference(set, 0xFF00FF00u, true);
  ASSERT_EQ(set.size(), 2u);
  EXPECT_NEAR(set[1].H, 1.0 / 3, 1e-6);
  WriteControls(set, {.H = 0.5f, .kS = 2, .kL = 0.5f, .DeltaH = 30, .DeltaS = 0.4f, .DeltaL = 0.3f});
  for (const TRepColor& e : set) {
    EXPECT_FLOAT_EQ(e.newH, 0.5f);
    EXPECT_FLOAT_EQ(e.dH, 0.03f);
    EXPECT_FLOAT_EQ(e.dS, 0.4f);
  }
  PickReference(set, 0xFF0000FFu, false);
  ASSERT_EQ(set.size(), 1u);
  EXPECT_NEAR(set[0].H, 2.0 / 3, 1e-6);
  EXPECT_FLOAT_EQ(set[0].newH, 0.5f);  // a pick keeps what the controls say
}

TEST(BalancePreview, MovesOnlyTheVisiblePartUntilOKAndCancelPutsItBack) {
  TBitmap32 result = Noise(60, 40, 9), base = Noise(60, 40, 10);
  const TBitmap32 oldResult = result, oldBase = base;
  BalanceInputs in;
  in.brightness = 40;
  {
    TBalancePreview b(result, {10, 10, 30, 20});
    b.Preview(in);
    EXPECT_NE(result.Pixel(15, 15), oldResult.Pixel(15, 15));
    EXPECT_EQ(result.Pixel(45, 30), oldResult.Pixel(45, 30));
    b.Cancel();
    EXPECT_TRUE(SamePixels(result, oldResult));
    EXPECT_TRUE(SamePixels(base, oldBase));
  }
  TBalancePreview b(result, {10, 10, 30, 20});
  b.Preview(in);
  b.Ok(base, in);
  TBitmap32 expected = oldResult;
  ApplyBalanceTable(expected, BuildBalanceTable(in));
  EXPECT_TRUE(SamePixels(result, expected));
  EXPECT_TRUE(SamePixels(base, expected));
}

// ---- the filters on a document

struct FilterSession : ::testing::Test {
  test::TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};

  void Open(int w, int h) {
    RegisterKvxPictureFormat();
    const std::string path = dir.file("room.png");
    ASSERT_TRUE(SavePicture(path, Noise(w, h, 5)).ok());
    s.SetViewSize(400, 300);
    ASSERT_TRUE(s.Load(path));
  }
};

TEST_F(FilterSession, DialogsLeaveBothImagesAsTheyWereUntilOK) {
  Open(80, 60);
  for (int y = 10; y < 40; ++y)
    for (int x = 10; x < 50; ++x) s.CurrentMask()->SetValue(x, y, 255);
  const TBitmap32 result = s.Doc.Result, base = s.Doc.Base;
  TFilterValues values;
  values.Npr.noise = 20;
  for (const TFilterKind& kind : FilterKinds()) {
    TFilterPreview preview(s.Doc.Result, s.CurrentMask(), 50, 40);
    preview.Recompute(kind, values);
    preview.PanBy(-10, -10);
    preview.Recompute(kind, values);
    EXPECT_TRUE(SamePixels(s.Doc.Result, result)) << kind.Id;
    EXPECT_TRUE(SamePixels(s.Doc.Base, base)) << kind.Id;
  }
  // OK: the filter through the mask, on the result only.
  const int jobs = world.jobs.ran;
  EXPECT_TRUE(RunDocumentCommand(s, "ABlur"));
  EXPECT_NE(s.Doc.Result.Pixel(20, 20), result.Pixel(20, 20));
  EXPECT_EQ(s.Doc.Result.Pixel(60, 50), result.Pixel(60, 50));
  EXPECT_TRUE(SamePixels(s.Doc.Base, base));
  EXPECT_EQ(world.jobs.ran, jobs);  // a small picture: at once
}

TEST_F(FilterSession, ALongFilterOnALargePictureRunsInTheBackgroundWithProgress) {
  Open(1000, 1000);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) s.CurrentMask()->SetValue(x, y, 255);
  const TBitmap32 before = s.Doc.Result;
  const int jobs = world.jobs.ran;
  s.RunFilter(*FindFilterKind("AFindEdge"), {});
  EXPECT_EQ(world.jobs.ran, jobs + 1);
  EXPECT_FALSE(s.Busy());
  EXPECT_EQ(world.progress.messages.back(), "Find Edge");
  EXPECT_NE(s.Doc.Result.Pixel(50, 50), before.Pixel(50, 50));
  EXPECT_EQ(s.Doc.Result.Pixel(500, 500), before.Pixel(500, 500));
}

}  // namespace
}  // namespace kelvane
