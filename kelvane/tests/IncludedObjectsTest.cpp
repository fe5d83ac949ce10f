#include <gtest/gtest.h>

#include "TestSupport.h"
#include "drape/TIncObjList.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

TEST(IncludedObjects, AnEmptyListIsFourZeroBytes) {
  TIncObjList list;
  EXPECT_EQ(list.WriteIncludedList(), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(IncludedObjects, RecordsAre591BytesAndRoundTrip) {
  TIncObjList list;
  list.AddIncludedObject({10, 20, 110, 70});
  list[0].Brightness = -20;
  list[0].Opacity = 128;
  list[0].PicturePath = "/pictures/logo.png";
  list[0].AlphaPath = "/pictures/logo-alpha.bmp";
  const TIncObj e = list[0];
  list.AddIncludedObject({0, 0, 5, 5});
  const auto bytes = list.WriteIncludedList();
  ASSERT_EQ(bytes.size(), 4 + 2 * 591u);
  EXPECT_EQ(bytes[4 + 75], e.PicturePath.size());
  TIncObjList back;
  auto used = back.ReadIncludedList(bytes);
  ASSERT_TRUE(used.ok());
  EXPECT_EQ(*used, bytes.size());
  ASSERT_EQ(back.Count(), 2u);
  EXPECT_EQ(back[0].Width, 100.0f);
  EXPECT_EQ(back[0].Height, 50.0f);
  EXPECT_EQ(back[0].Brightness, -20);
  EXPECT_EQ(back[0].Opacity, 128);
  EXPECT_EQ(back[0].AlphaPath, e.AlphaPath);
  EXPECT_EQ(back[1].Opacity, 255);
  EXPECT_EQ(back.Selected(), -1);
}

TEST(IncludedObjects, HostileCountsAreRefused) {
  TIncObjList list;
  list.AddIncludedObject({0, 0, 1, 1});
  for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}, {1, 0, 0, 0, 9}, {2, 0}}) {
    auto r = list.ReadIncludedList(bad);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), "Stream read error");
  }
  EXPECT_EQ(list.Count(), 1u);  // untouched by a failed read
}

TEST(IncludedObjects, EntryRectRoundsHalvesToEvenAndEntryAtGrowsByFive) {
  TIncObjList list;
  list.AddIncludedObject({0, 0, 10, 10});
  list[0].Left = 2.5f;
  list[0].Top = 3.5f;
  list[0].HotX = 4;
  EXPECT_EQ(list.EntryRect(0), (TRect{2, 4, 12, 14}));
  EXPECT_EQ(list[0].HotX, 0);
  EXPECT_EQ(list.EntryAt(-3, 0), 0);
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(list.EntryAt(17, 5), -1);
  EXPECT_EQ(list.Selected(), -1);
}

TEST(IncludedObjects, DrawsHalfTransparentAtOpacity128AndStopsAtAMissingPicture) {
  test::TempDir dir;
  ASSERT_TRUE(SavePicture(dir.file("white.png"), TBitmap32(4, 4, 0xFFFFFFFFu)).ok());
  TIncObjList list;
  list.AddIncludedObject({0, 0, 8, 8});
  list[0].PicturePath = dir.file("white.png");
  list[0].Opacity = 128;
  list.AddIncludedObject({8, 8, 16, 16});
  list[1].PicturePath = dir.file("missing.png");
  TBitmap32 layer(16, 16, 0xFF123456u);
  Status s = list.DrawIncludedObjects(layer);
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error(), "Cannot open file " + dir.file("missing.png"));
  // The layer was cleared to 0 first: half-transparent white over nothing.
  EXPECT_EQ(layer.Pixel(3, 3), 0x80FFFFFFu);
  EXPECT_EQ(layer.Pixel(12, 12), 0u);
}

TEST(IncludedObjects, AlphaPictureSetsAlphaFromItsIntensity) {
  test::TempDir dir;
  ASSERT_TRUE(SavePicture(dir.file("red.png"), TBitmap32(2, 2, 0xFFFF0000u)).ok());
  TBitmap32 alpha(2, 2, 0xFF000000u);
  alpha.SetPixel(1, 1, 0xFFFFFFFFu);
  ASSERT_TRUE(SavePicture(dir.file("alpha.bmp"), alpha).ok());
  TIncObjList list;
  list.AddIncludedObject({0, 0, 2, 2});
  list[0].PicturePath = dir.file("red.png");
  list[0].AlphaPath = dir.file("alpha.bmp");
  TBitmap32 layer(2, 2);
  ASSERT_TRUE(list.DrawIncludedObjects(layer).ok());
  EXPECT_EQ(layer.Pixel(0, 0), 0u);
  EXPECT_EQ(AlphaComponent(layer.Pixel(1, 1)), 255);
  EXPECT_EQ(RedComponent(layer.Pixel(1, 1)), 255);
}

}  // namespace
}  // namespace kelvane
