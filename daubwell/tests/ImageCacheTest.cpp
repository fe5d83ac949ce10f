#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "files/BmpWriter.h"
#include "files/DocumentFlows.h"
#include "files/ImageCache.h"

namespace daubwell {
namespace {

DisplaySurface greyImage(uint32_t w, uint32_t h, int seed) {
  DisplaySurface s;
  s.create(w, h);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t v = uint8_t((x * 3 + y * 5 + uint32_t(seed)) % 256);
      s.setPixel(x, y, v, v, v);
    }
  return s;
}

TEST(ImageCache, GreyJgiOf400By400HoldsOnePlaneOf10000Blocks) {
  test::TempDir dir;
  ASSERT_TRUE(writeJgi(greyImage(400, 400, 0), dir.file("a.jgi"), 3, true));
  std::ifstream f(dir.file("a.jgi"), std::ios::binary);
  int32_t head[4];
  f.read(reinterpret_cast<char*>(head), sizeof head);
  EXPECT_EQ(head[0], 3);
  EXPECT_EQ(head[1], 400);
  EXPECT_EQ(head[2], 400);
  EXPECT_EQ(std::filesystem::file_size(dir.file("a.jgi")), 12u + 4u + uint32_t(head[3]));
  EXPECT_GE(head[3], 10000 * 12 / 8);
}

TEST(ImageCache, JgiRoundTripsGreyAndColourWithinTheLevel) {
  test::TempDir dir;
  DisplaySurface colour;
  colour.create(13, 9);
  for (uint32_t y = 0; y < 9; ++y)
    for (uint32_t x = 0; x < 13; ++x) colour.setPixel(x, y, uint8_t(x * 19), uint8_t(y * 28), uint8_t(x + y));
  ASSERT_TRUE(writeJgi(colour, dir.file("c.jgi"), 1, false));
  DisplaySurface back;
  ASSERT_TRUE(readJgi(back, dir.file("c.jgi"), false).ok());
  ASSERT_EQ(back.width(), 13u);
  EXPECT_TRUE(back.hasAlpha());
  for (uint32_t y = 0; y < 9; ++y)
    for (uint32_t x = 0; x < 13; ++x) {
      const uint32_t a = colour.pixel(x, y), b = back.pixel(x, y);
      for (int shift : {0, 8, 16}) EXPECT_LE(std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)), 1);
    }
}

TEST(ImageCache, DamagedCacheFilesAreRefused) {
  test::TempDir dir;
  ASSERT_TRUE(writeJgi(greyImage(40, 40, 1), dir.file("g.jgi"), 3, true));
  std::vector<uint8_t> bytes(std::filesystem::file_size(dir.file("g.jgi")));
  std::ifstream(dir.file("g.jgi"), std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), long(bytes.size()));
  DisplaySurface s;
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::ofstream(dir.file("cut.jgi"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(n));
    EXPECT_FALSE(readJgi(s, dir.file("cut.jgi"), true).ok()) << n;
  }
  // A header claiming a huge picture with a tiny body.
  std::vector<uint8_t> huge{3, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
  std::ofstream(dir.file("huge.jgi"), std::ios::binary).write(reinterpret_cast<const char*>(huge.data()), 16);
  EXPECT_FALSE(readJgi(s, dir.file("huge.jgi"), true).ok());
  EXPECT_FALSE(s.valid());
}

TEST(ImageCache, MissingCacheIsBuiltFromTheBitmapAndThenWins) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("WorkData"));
  const ImageFolders folders{dir.file("WorkData/"), dir.file("data/"), ""};
  ASSERT_TRUE(writeBmp(greyImage(20, 10, 0), dir.file("WorkData/paint4.bmp")));
  test::ScriptedMessages messages;
  DisplaySurface first;
  ASSERT_TRUE(loadGreyImage(first, "paint4", folders, messages));
  EXPECT_TRUE(std::filesystem::exists(dir.file("data/paint4.jgi")));
  // A changed bitmap is not noticed while the cache exists.
  ASSERT_TRUE(writeBmp(greyImage(20, 10, 100), dir.file("WorkData/paint4.bmp")));
  DisplaySurface second;
  ASSERT_TRUE(loadGreyImage(second, "paint4", folders, messages));
  EXPECT_EQ(second.bytes(), first.bytes());
  // Deleting the cache rebuilds it from the new bitmap.
  std::filesystem::remove(dir.file("data/paint4.jgi"));
  DisplaySurface third;
  ASSERT_TRUE(loadGreyImage(third, "paint4", folders, messages));
  EXPECT_NE(third.bytes(), first.bytes());
  EXPECT_TRUE(messages.shown.empty());
}

TEST(ImageCache, ReadOnlyProgramFoldersCacheInTheUsersFolder) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("WorkData"));
  ASSERT_TRUE(writeBmp(greyImage(8, 8, 0), dir.file("WorkData/bump1.bmp")));
  std::ofstream(dir.file("data")) << "a file where the cache folder should be";
  const ImageFolders folders{dir.file("WorkData/"), dir.file("data/"), dir.file("user/")};
  test::ScriptedMessages messages;
  DisplaySurface s;
  ASSERT_TRUE(loadGreyImage(s, "bump1", folders, messages));
  EXPECT_TRUE(std::filesystem::exists(dir.file("user/bump1.jgi")));
}

TEST(ImportImage, GreyPicturesBecomeGlossAndColourAboveTheFloorBecomesPaint) {
  test::TempDir dir;
  DisplaySurface picture;
  picture.create(3, 2);
  picture.fill(90, 90, 90);
  picture.setPixel(2, 1, 200, 120, 100);
  ASSERT_TRUE(writeBmp(picture, dir.file("p.bmp")));
  Document doc;
  test::ScriptedMessages messages;
  ASSERT_TRUE(importImage(doc, dir.file("p.bmp"), messages));
  ASSERT_EQ(doc.canvas.width, 3u);
  EXPECT_EQ(doc.canvas.at(0, 0).red, 0);
  EXPECT_EQ(doc.canvas.at(0, 0).highlight, 90);
  EXPECT_EQ(doc.canvas.at(2, 1).red, 100);
  EXPECT_EQ(doc.canvas.at(2, 1).green, 20);
  EXPECT_EQ(doc.canvas.at(2, 1).highlight, 100);
  EXPECT_EQ(doc.canvas.at(2, 1).shading, 255);
  EXPECT_EQ(doc.canvas.at(2, 1).height, 1.0f);
  // A picture that does not load says so once, each time.
  for (int i = 0; i < 2; ++i) {
    messages.shown.clear();
    EXPECT_FALSE(importImage(doc, dir.file("none.png"), messages));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Image failed to load!"});
  }
}

}  // namespace
}  // namespace daubwell
