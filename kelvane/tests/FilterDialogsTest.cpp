#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/DocumentCommands.h"
#include "app/FilterDialogs.h"
#include "app/TKVXEditSession.h"
#include "filters/Convolution.h"
#include "filters/NPR.h"
#include "filters/RowBands.h"
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

bool SameBytes(const TBitmap32& a, const TBitmap32& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Bits(), b.Bits(), size_t(a.Width()) * a.Height() * sizeof(TColor32)) == 0;
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

TEST(FilterPreview, OpensOnASelectionThatTheCornerWouldNotShow) {
  TByteMap mask(300, 200);
  EXPECT_TRUE(SelectedBounds(mask).Empty());
  EXPECT_EQ(OpeningPan(&mask, 60, 40, 300, 200), (TPan{0, 0}));
  EXPECT_EQ(OpeningPan(nullptr, 60, 40, 300, 200), (TPan{0, 0}));
  // A ring's bounds come from its outer pixels, in every row.
  for (int x = 150; x < 171; ++x) mask.SetValue(x, 100, 1), mask.SetValue(x, 120, 200);
  for (int y = 100; y < 121; ++y) mask.SetValue(150, y, 255), mask.SetValue(170, y, 255);
  EXPECT_EQ(SelectedBounds(mask), (TRect{150, 100, 171, 121}));
  // Centred: the ring's middle (160, 110) at the preview's middle (30, 20).
  EXPECT_EQ(OpeningPan(&mask, 60, 40, 300, 200), (TPan{-130, -90}));
  const TBitmap32 source = Noise(300, 200, 4);
  TFilterPreview preview(source, &mask, 60, 40);
  EXPECT_EQ(preview.CompositePixel(30, 20) >> 24, 0u);
  preview.PanToSelection();
  EXPECT_EQ(preview.Pan(), (TPan{-130, -90}));
  EXPECT_EQ(preview.CompositePixel(21, 10) >> 24, 1u);  // on the ring's top edge
  EXPECT_EQ(preview.Shown().Pixel(20, 20), source.Pixel(150, 110));
  EXPECT_EQ(preview.Shown().Pixel(25, 15), 0xFFB0B0B0u);  // inside the ring: the board
  // By the far corner the pan stops at the picture's edge, as a drag does.
  TByteMap far(300, 200);
  far.SetValue(298, 198, 255);
  EXPECT_EQ(OpeningPan(&far, 60, 40, 300, 200), (TPan{-240, -160}));
  // A selection the corner already shows: the corner.
  TByteMap corner(300, 200);
  corner.SetValue(59, 39, 255);
  EXPECT_EQ(OpeningPan(&corner, 60, 40, 300, 200), (TPan{0, 0}));
  corner.SetValue(60, 0, 255);
  EXPECT_NE(OpeningPan(&corner, 60, 40, 300, 200), (TPan{0, 0}));
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

// ---- Cancel

// The long filters with values that make every stage work; no grain, so two runs agree.
TFilterValues LongFilterValues() {
  TFilterValues v;
  v.Npr.distortion = 4;
  v.Npr.noise = 0;
  v.Npr.edgeIntensity = 200;
  return v;
}

void SelectBlock(TByteMap& mask, int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) mask.SetValue(x, y, x < x0 + 20 ? 128 : 255);
}

TEST_F(FilterSession, CancelStopsALongFilterAndLeavesThePictureByteForByteAsItWas) {
  Open(1100, 1000);
  SelectBlock(*s.CurrentMask(), 100, 100, 900, 800);
  const TFilterValues values = LongFilterValues();
  const TBitmap32 before = s.Doc.Result;
  const int history = s.History.Position();
  for (const char* id : {"AFindEdge", "AWaterColor", "ANPR"}) {
    const TFilterKind& kind = *FindFilterKind(id);
    // How often the filter looks: once a band of each long pass, and between stages.
    test::RecordingProgress count;
    TBitmap32 copy = before;
    ASSERT_TRUE(kind.Run(copy, s.CurrentMask(), values, &count));
    const int questions = count.questions;
    ASSERT_GE(questions, 3) << id;
    // At the first question, in the middle and at the last.
    for (int after : {0, questions / 2, questions - 1}) {
      world.progress.cancelAfterQuestions = after;
      s.RunFilter(kind, values);
      // No band after the request; the callers look once more on their way out.
      EXPECT_LE(world.progress.questions, after + 3) << id;
      EXPECT_TRUE(SameBytes(s.Doc.Result, before)) << id << " cancelled after " << after;
      EXPECT_FALSE(s.Modified()) << id;
      EXPECT_FALSE(s.Busy()) << id;
      EXPECT_FALSE(world.progress.shown) << id;
      EXPECT_FALSE(world.progress.cancelOffered) << id;
    }
  }
  EXPECT_EQ(s.History.Position(), history);
}

TEST_F(FilterSession, CancelBetweenTheNPRStagesStopsAtThatStage) {
  Open(1000, 1000);
  SelectBlock(*s.CurrentMask(), 0, 0, 1000, 1000);
  const TBitmap32 before = s.Doc.Result;
  world.progress.cancelAfterQuestions = -1;
  for (int steps = 0; steps < 8; ++steps) {
    world.progress.cancelAfterSteps = steps;
    s.RunFilter(*FindFilterKind("ANPR"), LongFilterValues());
    EXPECT_EQ(world.progress.position, steps);
    EXPECT_TRUE(SameBytes(s.Doc.Result, before)) << "cancelled after step " << steps;
  }
  EXPECT_FALSE(s.Modified());
  // Once the picture is written there is no going back: the last step finishes.
  world.progress.cancelAfterSteps = 8;
  s.RunFilter(*FindFilterKind("ANPR"), LongFilterValues());
  EXPECT_EQ(world.progress.position, 8);
  EXPECT_FALSE(SameBytes(s.Doc.Result, before));
  EXPECT_TRUE(s.Modified());
}

TEST_F(FilterSession, ALongFilterNotCancelledGivesWhatTheFilterGivesInOnePiece) {
  Open(1100, 1000);
  SelectBlock(*s.CurrentMask(), 50, 60, 1000, 900);
  const TFilterValues values = LongFilterValues();
  const TBitmap32 original = s.Doc.Result;
  for (const TFilterKind& kind : FilterKinds()) {
    if (!kind.Long) continue;
    s.Doc.Result = original;
    TBitmap32 expected = original;
    expected.OuterColor = expected.Pixel(0, 0);
    kind.Run(expected, s.CurrentMask(), values, nullptr);
    world.progress.cancelAfterQuestions = 1000;
    const int jobs = world.jobs.ran;
    s.RunFilter(kind, values);
    EXPECT_EQ(world.jobs.ran, jobs + 1) << kind.Id;
    EXPECT_TRUE(world.progress.questions > 1) << kind.Id;  // it did look, band by band
    EXPECT_TRUE(SameBytes(s.Doc.Result, expected)) << kind.Id;
    EXPECT_FALSE(SameBytes(s.Doc.Result, original)) << kind.Id;
  }
}

// The passes in bands against the same passes in one piece, on a picture of several
// bands; each pass's own tests pin what the one-piece result is.
TEST(CancellableFilters, BandsGiveTheOnePieceResultAndAStopLeavesTheTargetAlone) {
  test::RecordingProgress never;
  const TBitmap32 source = Noise(700, 1700, 11);
  ASSERT_GT(source.Height(), 2 * CancelBandRows(source.Width()));
  TByteMap mask(700, 1700);
  for (int y = 100; y < 1500; ++y)
    for (int x = 30; x < 600; ++x) mask.SetValue(x, y, uint8_t(x % 256));
  using Filter = bool (*)(TBitmap32&, const TByteMap*, const TProgress*);
  for (Filter f : {Filter(BlurFilter), Filter(SharpenFilter), Filter(SobelFilter), Filter(FindEdgeFilter),
                   Filter(WaterColorFilter)}) {
    TBitmap32 whole = source, banded = source, stopped = source;
    EXPECT_TRUE(f(whole, &mask, nullptr));
    EXPECT_TRUE(f(banded, &mask, &never));
    EXPECT_TRUE(SameBytes(whole, banded));
    test::RecordingProgress cancel;
    cancel.cancelAfterQuestions = 1;
    EXPECT_FALSE(f(stopped, &mask, &cancel));
    EXPECT_TRUE(SameBytes(stopped, source));
  }
  EXPECT_TRUE(SameBytes(Remap(source, 7), Remap(source, 7, &never)));
  EXPECT_TRUE(SameBytes(MedianByIntensity(source), MedianByIntensity(source, &never)));
  TBitmap32 a = source, b = source;
  AddNoise(a, 30, 99);
  EXPECT_TRUE(AddNoise(b, 30, 99, &never));
  EXPECT_TRUE(SameBytes(a, b));
  TBitmap32 npr = source, nprBanded = source;
  TNPRParams p;
  p.noise = 12;
  p.distortion = 5;
  EXPECT_TRUE(NPRFilter(npr, p, &mask, nullptr, 5));
  EXPECT_TRUE(NPRFilter(nprBanded, p, &mask, &never, 5));
  EXPECT_TRUE(SameBytes(npr, nprBanded));
}

}  // namespace
}  // namespace kelvane
