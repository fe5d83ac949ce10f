#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TextureList.h"

namespace kelvane {
namespace {

TEST(TexLib, EmptyLibraryHasNoThumbnails) {
  test::TempDir dir;
  ASSERT_TRUE(SaveFileAtomically(dir.file("e.kvt"), WriteTextureLibrary({}, {})).ok());
  TKVXLibView lib;
  ASSERT_TRUE(lib.Open(dir.file("e.kvt")).ok());
  EXPECT_EQ(lib.Count(), 0u);
  EXPECT_TRUE(lib.LoadThumbnails()->empty());
}

TEST(TexLib, TexturesAreFoundThroughTheIndexWhateverTheRecordOrder) {
  test::TempDir dir;
  const TBitmap32 a = test::gradient(8, 8), b = test::gradient(12, 6);
  auto bytes = WriteTextureLibrary({{"png", WritePng(a).value()}, {"jpeg", WriteJpeg(b, 95).value()}}, {a, b});
  // Swap the two index entries: texture 0 is now the second record.
  int64_t first, second;
  std::memcpy(&first, bytes.data() + bytes.size() - 16, 8);
  std::memcpy(&second, bytes.data() + bytes.size() - 8, 8);
  std::memcpy(bytes.data() + bytes.size() - 16, &second, 8);
  std::memcpy(bytes.data() + bytes.size() - 8, &first, 8);
  ASSERT_TRUE(SaveFileAtomically(dir.file("l.kvt"), bytes).ok());
  TKVXLibView lib;
  ASSERT_TRUE(lib.Open(dir.file("l.kvt")).ok());
  auto t0 = lib.LoadTexture(0);  // "jpeg": four format bytes, no zero
  ASSERT_TRUE(t0.ok()) << t0.error();
  EXPECT_EQ(t0->Width(), 12);
  auto t1 = lib.LoadTexture(1);
  ASSERT_TRUE(t1.ok());
  EXPECT_EQ(t1->Pixel(3, 3), a.Pixel(3, 3));
  auto thumbs = lib.LoadThumbnails();
  ASSERT_TRUE(thumbs.ok());
  EXPECT_EQ(thumbs->at(0).Width(), 100);
  EXPECT_FALSE(lib.LoadTexture(2).ok());
}

TEST(TexLib, UnknownFormatsGiveNoTextureAndDamageIsReported) {
  test::TempDir dir;
  const TBitmap32 a = test::gradient(4, 4);
  ASSERT_TRUE(SaveFileAtomically(dir.file("u.kvt"), WriteTextureLibrary({{"xyz", {1, 2, 3}}}, {a})).ok());
  TKVXLibView lib;
  ASSERT_TRUE(lib.Open(dir.file("u.kvt")).ok());
  EXPECT_TRUE(lib.LoadTexture(0)->Empty());
  ASSERT_TRUE(SaveFileAtomically(dir.file("bad.kvt"), std::vector<uint8_t>{'K', 'V', 'X', 'L', 'I', 'B', 0xFF, 0xFF, 0xFF, 0x0F}).ok());
  EXPECT_FALSE(lib.Open(dir.file("bad.kvt")).ok());
  EXPECT_FALSE(lib.Open(dir.file("none.kvt")).ok());
}

TEST(TexLib, TextureListsKeepReadablePicturesInOrder) {
  const auto paths = ReadTextureList("[OTHER]\na=/x/skip.png\n[FILES]\n1=/t/b.jpg\r\n2=/t/c.doc\n3=/t/a.PNG\n");
  EXPECT_EQ(paths, (std::vector<std::string>{"/t/b.jpg", "/t/a.PNG"}));
}

}  // namespace
}  // namespace kelvane
