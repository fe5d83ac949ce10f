#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

#include "TestSupport.h"
#include "files/AtomicFile.h"
#include "files/BmpWriter.h"
#include "files/ByteReader.h"
#include "files/PngWriter.h"

namespace daubwell {
namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

DisplaySurface gradient(uint32_t w, uint32_t h, bool alpha = false) {
  DisplaySurface s;
  s.create(w, h, alpha);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) s.setPixel(x, y, uint8_t(40 * x), uint8_t(60 * y), uint8_t(x + y));
  return s;
}

TEST(BmpWriter, WritesA24BitBottomUpFileWithPaddedRows) {
  const auto bmp = encodeBmp(gradient(5, 3));
  const size_t stride = 16;  // 5 * 3 = 15 bytes padded to 16
  ASSERT_EQ(bmp.size(), 54 + stride * 3);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32(bmp, 2), bmp.size());
  EXPECT_EQ(u32(bmp, 6), 0u);
  EXPECT_EQ(u32(bmp, 10), 54u);
  EXPECT_EQ(u32(bmp, 14), 40u);
  EXPECT_EQ(u32(bmp, 18), 5u);
  EXPECT_EQ(u32(bmp, 22), 3u);  // positive: bottom-up
  EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
  EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
  for (size_t at = 30; at < 54; ++at) EXPECT_EQ(bmp[at], 0) << at;
  // The first stored row is the bottom picture row (y = 2); pixel x = 1 there.
  EXPECT_EQ(bmp[54 + 3], 1 + 2);   // blue
  EXPECT_EQ(bmp[54 + 4], 120);     // green
  EXPECT_EQ(bmp[54 + 5], 40);      // red
  EXPECT_EQ(bmp[54 + 15], 0);      // row padding
}

TEST(BmpWriter, DropsTheAlphaByteOfFourByteSurfaces) {
  EXPECT_EQ(encodeBmp(gradient(3, 2, true)), encodeBmp(gradient(3, 2, false)));
}

TEST(BmpWriter, RefusesAnEmptySurface) {
  test::TempDir dir;
  EXPECT_FALSE(writeBmp(DisplaySurface{}, dir.file("x.bmp")));
}

TEST(PngWriter, WritesTheShownColoursTopRowFirst) {
  test::TempDir dir;
  const DisplaySurface s = gradient(4, 3);
  ASSERT_TRUE(writePng(s, dir.file("g.png")).ok());
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.file("g.png").c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(image.width, 4u);
  ASSERT_EQ(image.height, 3u);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 4; ++x) {
      const uint8_t* p = &rgb[(y * 4 + x) * 3];
      EXPECT_EQ(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2], s.pixel(x, y));
    }
}

TEST(AtomicFile, UncommittedWriterLeavesNoTraceAndTheOldFileIntact) {
  test::TempDir dir;
  const std::string path = dir.file("t.bin");
  const std::vector<uint8_t> old{1, 2, 3};
  ASSERT_TRUE(saveFileAtomically(path, old));
  {
    AtomicFileWriter w(path);
    ASSERT_TRUE(w.isOpen());
    EXPECT_TRUE(w.write(std::vector<uint8_t>{9, 9}));
  }  // abandoned, as when writing fails half way
  auto back = readWholeFile(path);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value(), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace daubwell
