#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "output/ExportJpeg.h"
#include "output/PrintPreview.h"
#include "output/TJpegPreviewWorker.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

// A picture with detail everywhere, so that the quality shows in the size.
TBitmap32 noisy(int w, int h) {
  TBitmap32 b(w, h);
  uint32_t s = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      b.SetPixel(x, y, Color32(uint8_t(x * 3 + (s >> 24) / 4), uint8_t(y * 2 + (s >> 16 & 63)), uint8_t(s >> 8)));
    }
  return b;
}

TEST(FitRect, FillsTheLimitingSideAndCentresTheOther) {
  // A landscape picture on a portrait page fills the width, centred vertically.
  EXPECT_EQ(FitRect({0, 0, 400, 300}, {0, 0, 1000, 2000}), (TRect{0, 625, 1000, 1375}));
  // A portrait picture on the same page fills the height, centred horizontally.
  EXPECT_EQ(FitRect({0, 0, 300, 900}, {0, 0, 1000, 2000}), (TRect{166, 0, 833, 2000}));
  // Equal proportions fill the target; an offset target keeps its offset.
  EXPECT_EQ(FitRect({0, 0, 2, 1}, {10, 20, 210, 120}), (TRect{10, 20, 210, 120}));
  // Rounding halves to even: 3 * 5 / 2 = 7.5 gives 8, 5 * 5 / 2 = 12.5 gives 12.
  EXPECT_EQ(FitRect({0, 0, 3, 2}, {0, 0, 100, 5}), (TRect{46, 0, 54, 5}));
  EXPECT_EQ(FitRect({0, 0, 5, 2}, {0, 0, 100, 5}), (TRect{44, 0, 56, 5}));
  // (99 - 50) / 2 truncates to 24.
  EXPECT_EQ(FitRect({0, 0, 1, 1}, {0, 0, 99, 50}), (TRect{24, 0, 74, 50}));
  EXPECT_FALSE(FitRect({0, 0, 0, 10}, {0, 0, 100, 100}));
  EXPECT_FALSE(FitRect({0, 0, 10, 0}, {0, 0, 100, 100}));
  EXPECT_EQ(PrintRect(400, 300, 1000, 2000), FitRect({0, 0, 400, 300}, {0, 0, 1000, 2000}));
}

TEST(PageMiniature, APageOfTheAreaWithAMarginAndThePictureFitted) {
  // A 419 x 519 area, an A4-like portrait page of 2000 x 2800: k = min(400/2000, 500/2800).
  const TPageMiniature m = PageMiniature(419, 519, 2000, 2800, 400, 300);
  EXPECT_FLOAT_EQ(m.Scale, 500.0f / 2800.0f);
  EXPECT_EQ(m.Width, 357);
  EXPECT_EQ(m.Height, 500);
  EXPECT_EQ(m.Page, (TRect{2, 2, 355, 498}));
  ASSERT_TRUE(m.Picture);
  EXPECT_EQ(m.Picture->Width(), 353);
  EXPECT_EQ(m.Picture->Left, 2);
  // Landscape: the same area gives a wider page.
  const TPageMiniature l = PageMiniature(419, 519, 2800, 2000, 400, 300);
  EXPECT_EQ(l.Width, 400);
  EXPECT_EQ(l.Height, 286);
  const TBitmap32 drawn = DrawPageMiniature(m, TBitmap32(400, 300, Color32(10, 20, 30)));
  EXPECT_EQ(drawn.Pixel(1, 1), 0u);                  // the transparent margin
  EXPECT_EQ(drawn.Pixel(100, 20), 0xFFFFFFFFu);      // white page above the picture
  EXPECT_EQ(drawn.Pixel(100, 250), Color32(10, 20, 30));
  EXPECT_EQ(PageMiniature(419, 519, 0, 2800, 1, 1).Width, 0);
}

TEST(JpegExport, LowerQualitiesGiveSmallerFiles) {
  const TBitmap32 p = noisy(160, 120);
  size_t last = SIZE_MAX;
  for (int q : {100, 90, 75, 50, 20, 1}) {
    auto preview = PreviewJpeg(p, q);
    ASSERT_TRUE(preview.ok()) << preview.error();
    EXPECT_LT(preview->Size, last) << "quality " << q;
    last = preview->Size;
    EXPECT_EQ(preview->Picture.Width(), 160);
    EXPECT_EQ(preview->Size, EncodeJpeg(p, q)->size());
  }
  EXPECT_EQ(JpegSizeText(12345), "12345 bytes");
}

TEST(JpegExport, EncodesTheColoursOfThePicture) {
  TBitmap32 p(64, 32, Color32(200, 40, 90));
  p.FillRect({32, 0, 64, 32}, Color32(20, 180, 60));
  const TBitmap32 back = PreviewJpeg(p, 95)->Picture;
  for (auto [x, want] : {std::pair{8, Color32(200, 40, 90)}, std::pair{56, Color32(20, 180, 60)}}) {
    const TColor32 c = back.Pixel(x, 16);
    EXPECT_NEAR(RedComponent(c), RedComponent(want), 4);
    EXPECT_NEAR(GreenComponent(c), GreenComponent(want), 4);
    EXPECT_NEAR(BlueComponent(c), BlueComponent(want), 4);
  }
  EXPECT_FALSE(EncodeJpeg(TBitmap32(), 90).ok());
}

TEST(JpegExport, TheQualityEditIsRoundedIntoRange) {
  EXPECT_EQ(JpegQuality(100), 100);
  EXPECT_EQ(JpegQuality(80.5), 80);  // halves to even
  EXPECT_EQ(JpegQuality(81.5), 82);
  EXPECT_EQ(JpegQuality(0), 1);
  EXPECT_EQ(JpegQuality(250), 100);
  EXPECT_EQ(JpegQuality(std::nan("")), 1);
}

TEST(JpegExport, FilesAreWrittenWholeOrNotAtAll) {
  test::TempDir dir;
  const TBitmap32 p = test::gradient(9, 7);
  ASSERT_TRUE(ExportJpeg(dir.file("a.jpg"), p, 80).ok());
  EXPECT_EQ(ReadFileBytes(dir.file("a.jpg")).value(), EncodeJpeg(p, 80).value());
  ASSERT_TRUE(ExportPng(dir.file("a.png"), p).ok());
  const TBitmap32 back = ReadPng(ReadFileBytes(dir.file("a.png")).value()).value();
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(back.Pixel(x, y), p.Pixel(x, y));  // lossless
  EXPECT_FALSE(ExportJpeg(dir.file("no/such/folder/a.jpg"), p, 80).ok());
  EXPECT_FALSE(ExportPng(dir.file("e.png"), TBitmap32()).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.file("e.png")));
}

TEST(JpegPreviewWorker, OnlyTheLatestRequestCounts) {
  std::atomic<int> ready{0};
  TJpegPreviewWorker worker(noisy(400, 300), [&] { ++ready; });
  for (int q = 100; q >= 10; q -= 10) worker.Request(q);
  for (int i = 0; i < 1000 && worker.Busy(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  auto last = worker.Take();
  ASSERT_TRUE(last.has_value());
  ASSERT_TRUE(last->ok());
  EXPECT_EQ(last->value().Quality, 10);
  EXPECT_EQ(last->value().Size, EncodeJpeg(noisy(400, 300), 10)->size());
  EXPECT_LE(ready.load(), 10);
  EXPECT_FALSE(worker.Take().has_value());
}

}  // namespace
}  // namespace kelvane
