#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "project/TKVXFile2.h"
#include "project/Zlib.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"

namespace kelvane {
namespace {

std::vector<uint8_t> fileBytes(const std::string& path) { return ReadFileBytes(path).value(); }

int64_t trailerValue(const std::vector<uint8_t>& b, int fromEnd) {
  int64_t v;
  std::memcpy(&v, b.data() + b.size() - size_t(fromEnd), 8);
  return v;
}

// A project with one object carrying every kind of item content.
TKVXFile2 sampleProject() {
  TKVXFile2 doc;
  doc.Base = test::gradient(30, 20);
  doc.Result = test::gradient(30, 20);
  doc.Result.SetPixel(0, 0, 0xFF010203u);
  const int i = doc.AddObject();
  TObjectView v = doc.GetObjectView(i);
  v.Mask.SetSize(30, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) v.Mask.SetValue(x, y, uint8_t(x * 8 + y));
  int cw = 0, ch = 0;
  BuildLattice(v.Grid, 30, 20, cw, ch);
  InsertColumn(v.Grid, 1);  // 4 columns, 3 rows
  v.Param.Name = std::string(100, 'n');
  v.Param.TileX = 2.5f;
  v.Param.MaterialKey = 7;
  v.Texture = test::gradient(5, 4, true);
  doc.Objects[0]->ShortName = std::string(40, 's');
  return doc;
}

TEST(Project, EmptyProjectHasAnEmptyTableAndZeroObjects) {
  test::TempDir dir;
  TKVXFile2 doc;
  doc.Base = test::gradient(4, 3);
  doc.Result = doc.Base;
  ASSERT_TRUE(doc.SaveToFile(dir.file("e.kvx")).ok());
  const auto b = fileBytes(dir.file("e.kvx"));
  EXPECT_EQ(b[0], 0x30);
  EXPECT_EQ(b[3], 0x01);
  EXPECT_EQ(trailerValue(b, 8), 0);                     // n
  EXPECT_EQ(trailerValue(b, 16), trailerValue(b, 40));  // table of 0 records, then the list
  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("e.kvx")).ok());
  EXPECT_EQ(back.HighIndex(), -1);
  EXPECT_EQ(back.Width, 4);
  EXPECT_EQ(back.Height, 3);
}

TEST(Project, EveryItemRoundTripsAndLoadsOnlyWhenUsed) {
  test::TempDir dir;
  TKVXFile2 doc = sampleProject();
  const TByteMap mask = doc.GetObjectView(0).Mask;
  const TMapGrid grid = doc.GetObjectView(0).Grid;
  ASSERT_TRUE(doc.SaveToFile(dir.file("p.kvx")).ok());
  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("p.kvx")).ok());
  ASSERT_EQ(back.HighIndex(), 0);
  TKVXObject2& o = *back.Objects[0];
  EXPECT_TRUE(o.Mask->NotLoaded());
  EXPECT_TRUE(o.Grid->NotLoaded());
  EXPECT_TRUE(o.Param->NotLoaded());
  EXPECT_EQ(o.ShortName, std::string(30, 's'));  // cut to 30 on reading
  TObjectView v = back.GetObjectView(0);
  EXPECT_FALSE(o.Mask->NotLoaded());
  EXPECT_EQ(v.Mask, mask);
  EXPECT_EQ(v.Grid, grid);
  EXPECT_EQ(v.Grid.Cols, 4);
  EXPECT_EQ(v.Grid.Rows, 3);
  EXPECT_EQ(v.Param.Name, std::string(100, 'n'));  // the full name survives in the block
  EXPECT_EQ(v.Param.TileX, 2.5f);
  EXPECT_EQ(v.Param.MaterialKey, 7);
  EXPECT_EQ(std::memcmp(v.Texture.Bits(), test::gradient(5, 4, true).Bits(), 5 * 4 * 4), 0);
  EXPECT_EQ(v.Grid2.Nodes.size(), 1u);  // a new object's second grid
  EXPECT_EQ(back.Result.Pixel(0, 0), 0xFF010203u);
}

TEST(Project, SaveReplacesTheFileOnlyWhenCompleteAndReadsFromTheNewOne) {
  test::TempDir dir;
  TKVXFile2 doc = sampleProject();
  ASSERT_TRUE(doc.SaveToFile(dir.file("p.kvx")).ok());
  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("p.kvx")).ok());
  back.GetObjectView(0).Param.Rotate = 30;
  ASSERT_TRUE(back.SaveToFile(dir.file("p.kvx")).ok());  // over the file it reads from
  EXPECT_FALSE(std::filesystem::exists(dir.file("p.kvx$$$")));
  TKVXFile2 again;
  ASSERT_TRUE(again.LoadFromFile(dir.file("p.kvx")).ok());
  EXPECT_EQ(again.GetObjectView(0).Param.Rotate, 30.0f);
  EXPECT_EQ(again.GetObjectView(0).Mask, back.GetObjectView(0).Mask);
  // A save that cannot be written (the disk is full) leaves the old file alone and says so.
  const auto before = fileBytes(dir.file("p.kvx"));
  {
    test::FileSizeLimit full(100);
    EXPECT_FALSE(again.SaveToFile(dir.file("p.kvx")).ok());
  }
  EXPECT_EQ(fileBytes(dir.file("p.kvx")), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 1);
}

TEST(Project, ObjectsSavedOnSeveralCoresLandInDocumentOrder) {
  test::TempDir dir;
  TKVXFile2 doc;
  doc.Base = test::gradient(20, 10);
  doc.Result = doc.Base;
  for (int i = 0; i < 9; ++i) {
    const int k = doc.AddObject();
    doc.GetObjectView(k).Mask.SetSize(20, 10, uint8_t(i * 20));
    doc.GetObjectView(k).Param.Name = "object " + std::to_string(i);
  }
  ASSERT_TRUE(doc.SaveToFile(dir.file("a.kvx")).ok());
  ASSERT_TRUE(doc.SaveToFile(dir.file("b.kvx")).ok());
  EXPECT_EQ(fileBytes(dir.file("a.kvx")), fileBytes(dir.file("b.kvx")));
  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("a.kvx")).ok());
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(back.GetObjectView(i).Mask.Value(3, 3), i * 20);
    EXPECT_EQ(back.GetObjectView(i).Param.Name, "object " + std::to_string(i));
  }
}

TEST(Project, LibraryTexturesAreStoredAsReferencesAndFetchedAgain) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("texlib"));
  SetTexLibFolder(dir.file("texlib/"));
  const TBitmap32 fabric = test::gradient(16, 8);
  const auto library = WriteTextureLibrary({{"png", WritePng(fabric).value()}}, {fabric});
  ASSERT_TRUE(SaveFileAtomically(dir.file("texlib/fabrics.kvt"), library).ok());
  TKVXFile2 doc = sampleProject();
  TKVXTexture& t = *doc.Objects[0]->Texture;
  t.FromLibrary = true;
  t.LibraryName = "fabrics.kvt";
  t.LibraryIndex = 0;
  t.Get() = TBitmap32();
  ASSERT_TRUE(doc.SaveToFile(dir.file("lib.kvx")).ok());
  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("lib.kvx")).ok());
  TBitmap32& texture = back.GetObjectView(0).Texture;
  EXPECT_TRUE(back.Objects[0]->Texture->FromLibrary);
  ASSERT_EQ(texture.Width(), 16);
  EXPECT_EQ(std::memcmp(texture.Bits(), fabric.Bits(), 16 * 8 * 4), 0);
  // Stored as kind 2 with its 35 bytes, no pixels.
  const auto bytes = back.Objects[0]->Texture->Bytes();
  EXPECT_EQ(bytes.size(), 36u);
  EXPECT_EQ(bytes[0], 2);
  SetTexLibFolder("");
}

TEST(Project, ResizeResamplesImagesAndMasksButNotGrids) {
  TKVXFile2 doc = sampleProject();
  doc.Width = 30;
  doc.Height = 20;
  const TMapGrid grid = doc.GetObjectView(0).Grid;
  doc.Resize(60, 10, TStretchFilter::sfLinear);
  EXPECT_EQ(doc.Base.Width(), 60);
  EXPECT_EQ(doc.Result.Height(), 10);
  EXPECT_EQ(doc.GetObjectView(0).Mask.Width(), 60);
  EXPECT_EQ(doc.GetObjectView(0).Grid, grid);
  EXPECT_EQ(doc.Width, 60);
}

TEST(Project, ObjectsAreAddedDeletedAndTheirMappingsSwapped) {
  TKVXFile2 doc = sampleProject();
  doc.AddObject();
  EXPECT_EQ(doc.HighIndex(), 1);
  doc.GetObjectView(0).Param.MaterialKey2 = 9;
  doc.SwapMappings(0);
  EXPECT_EQ(doc.GetObjectView(0).Param.MaterialKey, 9);
  EXPECT_EQ(doc.GetObjectView(0).Grid2.Cols, 4);
  EXPECT_TRUE(doc.DeleteObject(0).ok());
  EXPECT_EQ(doc.HighIndex(), 0);
  EXPECT_EQ(doc.DeleteObject(5).error(), "Error Deletiong Object");
}

TEST(Project, DamagedFilesAreRefusedWithAReason) {
  test::TempDir dir;
  TKVXFile2 doc = sampleProject();
  ASSERT_TRUE(doc.SaveToFile(dir.file("p.kvx")).ok());
  const auto good = fileBytes(dir.file("p.kvx"));
  std::ofstream(dir.file("x.kvx")) << "not a project at all, but long enough for a header and a trailer....";
  TKVXFile2 wrong;
  EXPECT_EQ(wrong.LoadFromFile(dir.file("x.kvx")).error(), "Sorry Wrong File Format");
  EXPECT_EQ(wrong.HighIndex(), -1);
  // Cut anywhere: an error or (when only item bytes went) items that fail when used.
  for (size_t n = 0; n < good.size(); n += 97) {
    std::ofstream(dir.file("cut.kvx"), std::ios::binary).write(reinterpret_cast<const char*>(good.data()), long(n));
    TKVXFile2 cut;
    if (cut.LoadFromFile(dir.file("cut.kvx")).ok()) (void)cut.GetObjectView(0);
  }
  // An object count the table cannot hold.
  auto hostile = good;
  const int64_t many = int64_t(1) << 40;
  std::memcpy(hostile.data() + hostile.size() - 8, &many, 8);
  std::ofstream(dir.file("h.kvx"), std::ios::binary).write(reinterpret_cast<const char*>(hostile.data()), long(hostile.size()));
  TKVXFile2 h;
  EXPECT_FALSE(h.LoadFromFile(dir.file("h.kvx")).ok());
}

TEST(Project, ItemStreamsMustInflateToExactlyTheirSize) {
  const std::vector<uint8_t> data(100, 7);
  const auto z = Deflate9(data);
  EXPECT_TRUE(InflateExact(z, 100).ok());
  EXPECT_EQ(InflateExact(z, 99).error(), "ZLib error: target buffer may be too small");
  EXPECT_EQ(InflateExact(z, 101).error(), "ZLib error: target buffer may be too small");
  EXPECT_FALSE(InflateExact({z.data(), z.size() / 2}, 100).ok());
}

TEST(Project, TheKvxPictureFormatShowsTheResultImage) {
  test::TempDir dir;
  RegisterKvxPictureFormat();
  TKVXFile2 doc = sampleProject();
  ASSERT_TRUE(doc.SaveToFile(dir.file("p.KVX")).ok());
  auto picture = LoadPicture(dir.file("p.KVX"));
  ASSERT_TRUE(picture.ok()) << picture.error();
  EXPECT_EQ(picture->Pixel(0, 0), 0xFF010203u);
  EXPECT_EQ(PictureFormats::instance().find("kvx")->description, "Kelvane files");
}

}  // namespace
}  // namespace kelvane
