#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "TestSupport.h"
#include "raster/ByteStream.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

// A bitmap file written field by field, for layouts our writer does not produce.
std::vector<uint8_t> bmpFile(int32_t w, int32_t h, uint16_t bits, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& pixels) {
  ByteWriter out;
  out.raw("BM", 2);
  out.le<uint32_t>(uint32_t(54 + palette.size() + pixels.size()));
  out.le<uint32_t>(0);
  out.le<uint32_t>(uint32_t(54 + palette.size()));
  out.le<uint32_t>(40);
  out.le<int32_t>(w);
  out.le<int32_t>(h);
  out.le<uint16_t>(1);
  out.le<uint16_t>(bits);
  out.le<uint32_t>(0);
  out.zeros(12);
  out.le<uint32_t>(uint32_t(palette.size() / 4));  // colours used
  out.zeros(4);
  out.raw(palette);
  out.raw(pixels);
  return std::move(out.bytes());
}

TEST(Bmp, RoundTripsAt24And32Bits) {
  const TBitmap32 opaque = test::gradient(7, 5);  // odd width: padded rows
  auto back = ReadBmp(WriteBmp(opaque, 24));
  ASSERT_TRUE(back.ok()) << back.error();
  EXPECT_EQ(std::memcmp(back->Bits(), opaque.Bits(), 7 * 5 * 4), 0);
  const TBitmap32 alpha = test::gradient(3, 4, true);
  auto back32 = ReadBmp(WriteBmp(alpha, 32));
  ASSERT_TRUE(back32.ok());
  EXPECT_EQ(std::memcmp(back32->Bits(), alpha.Bits(), 3 * 4 * 4), 0);
}

TEST(Bmp, TwentyFourBitLayoutIsTheStandardOne) {
  const auto bytes = WriteBmp(test::gradient(5, 3), 24);
  EXPECT_EQ(bytes.size(), 54u + 16 * 3);
  uint32_t offset, width;
  std::memcpy(&offset, &bytes[10], 4);
  std::memcpy(&width, &bytes[18], 4);
  EXPECT_EQ(offset, 54u);
  EXPECT_EQ(width, 5u);
  EXPECT_EQ(bytes[28], 24);
}

TEST(Bmp, ReadsTopDownRowsAndPalettes) {
  // 2 x 2, 8-bit, top-down: rows of 4 bytes (2 indices + padding).
  const std::vector<uint8_t> palette{0, 0, 255, 0, 0, 255, 0, 0};  // red, green
  auto bmp = ReadBmp(bmpFile(2, -2, 8, palette, {0, 1, 0, 0, 1, 0, 0, 0}));
  ASSERT_TRUE(bmp.ok()) << bmp.error();
  EXPECT_EQ(bmp->Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp->Pixel(0, 1), 0xFF00FF00u);
}

TEST(Bmp, ThirtyTwoBitsWithoutAnyAlphaAreOpaque) {
  auto bmp = ReadBmp(bmpFile(1, 1, 32, {}, {1, 2, 3, 0}));
  ASSERT_TRUE(bmp.ok());
  EXPECT_EQ(bmp->Pixel(0, 0), 0xFF030201u);
}

TEST(Bmp, DamagedFilesFailWithAReason) {
  const auto good = WriteBmp(test::gradient(6, 4), 24);
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(ReadBmp({good.data(), n}).ok()) << "cut at " << n;
  for (size_t i = 0; i < 54; ++i) {
    auto bad = good;
    bad[i] ^= 0xFF;
    (void)ReadBmp(bad);  // an error or a picture, never a crash
  }
  auto huge = ReadBmp(bmpFile(100000, 1, 24, {}, {}));
  ASSERT_FALSE(huge.ok());
  EXPECT_EQ(huge.error(), "BMP: image size 100000x1 out of range");
  EXPECT_EQ(ReadBmp(bmpFile(1, 1, 4, {}, {0, 0, 0, 0})).error(), "BMP: 4-bit pictures are not supported");
}

TEST(Jpeg, RoundTripsCloseToTheOriginal) {
  TBitmap32 smooth(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) smooth.SetPixel(x, y, Color32(uint8_t(x * 8), uint8_t(y * 16), 128));
  auto bytes = WriteJpeg(smooth, 95);
  ASSERT_TRUE(bytes.ok());
  auto back = ReadJpeg(bytes.value());
  ASSERT_TRUE(back.ok()) << back.error();
  ASSERT_EQ(back->Width(), 32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_NEAR(GreenComponent(back->Pixel(x, y)), GreenComponent(smooth.Pixel(x, y)), 12) << x << "," << y;
  EXPECT_LT(WriteJpeg(smooth, 10)->size(), bytes->size());
}

TEST(Jpeg, DamagedDataFailsWithLibjpegsMessage) {
  auto bytes = WriteJpeg(test::gradient(16, 16), 80).value();
  for (size_t n = 0; n < bytes.size(); n += 7) (void)ReadJpeg({bytes.data(), n});
  auto bad = ReadJpeg(std::vector<uint8_t>{1, 2, 3, 4});
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error().rfind("JPEG: ", 0), 0u);
}

TEST(Png, RoundTripsExactlyWithAlpha) {
  const TBitmap32 b = test::gradient(9, 7, true);
  auto bytes = WritePng(b);
  ASSERT_TRUE(bytes.ok());
  auto back = ReadPng(bytes.value());
  ASSERT_TRUE(back.ok()) << back.error();
  EXPECT_EQ(std::memcmp(back->Bits(), b.Bits(), 9 * 7 * 4), 0);
  // Every cut into the image data fails (a file missing only its 12-byte end chunk may
  // still give the whole picture).
  for (size_t n = 0; n + 12 < bytes->size(); ++n) EXPECT_FALSE(ReadPng({bytes->data(), n}).ok()) << n;
}

TEST(PictureRegistry, LooksUpExtensionsWithoutRegardToCase) {
  test::TempDir dir;
  const TBitmap32 b = test::gradient(4, 4);
  for (const char* name : {"a.BMP", "b.Png", "c.JPEG", "d.jpg"}) {
    ASSERT_TRUE(SavePicture(dir.file(name), b).ok()) << name;
    auto back = LoadPicture(dir.file(name));
    ASSERT_TRUE(back.ok()) << name << ": " << back.error();
    EXPECT_EQ(back->Width(), 4);
  }
  EXPECT_TRUE(PictureFormats::instance().canRead("x.JpE"));
  EXPECT_EQ(LoadPicture(dir.file("x.gif")).error(), "Unknown picture file extension (.gif)");
  EXPECT_EQ(LoadPicture(dir.file("missing.png")).error(), "Cannot open file " + dir.file("missing.png"));
}

TEST(PictureRegistry, TakesMoreFormats) {
  PictureFormats::instance().add({"TEST1", "Test pictures",
                                  [](std::span<const uint8_t>) -> Result<TBitmap32> { return TBitmap32(2, 3); }, {}});
  test::TempDir dir;
  std::ofstream(dir.file("p.test1")) << "x";
  auto p = LoadPicture(dir.file("p.test1"));
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p->Height(), 3);
  EXPECT_FALSE(SavePicture(dir.file("p.test1"), TBitmap32(1, 1)).ok());
}

}  // namespace
}  // namespace kelvane
