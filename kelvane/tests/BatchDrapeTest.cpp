#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "TestSupport.h"
#include "app/BatchDrape.h"
#include "app/ProjectFromPicture.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TexLibRoots.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// A grey 24 x 16 project whose one object covers everything.
TKVXFile2 greyProject() {
  TKVXFile2 doc;
  NewProjectFromPicture(doc, TBitmap32(24, 16, Color32(180, 180, 180)));
  doc.GetObjectView(0).Mask.Clear(255);
  return doc;
}

void write(const std::string& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(SaveFileAtomically(path, bytes).ok());
}

std::vector<uint8_t> solidPng(TColor32 c) { return WritePng(TBitmap32(4, 4, c)).value(); }

TEST(BatchDrape, OnePicturePerTextureGoingPastUnreadableOnes) {
  test::TempDir dir;
  write(dir.file("fabrics/red.png"), solidPng(Color32(255, 0, 0)));
  write(dir.file("fabrics/torn.png"), {'n', 'o'});
  write(dir.file("fabrics/blue.bmp"), WriteBmp(TBitmap32(4, 4, Color32(0, 0, 255)), 24));
  write(dir.file("fabrics/room.kvx"), {'x'});  // projects are no textures
  TKVXFile2 doc = greyProject();
  const TBitmap32 result = doc.Result;
  doc.GetObjectView(0).Texture = TBitmap32(2, 2, Color32(0, 255, 0));
  TBatchDrape job;
  job.Textures = dir.file("fabrics");
  job.OutFolder = dir.file("out/new");
  job.Format = "png";
  std::vector<std::string> seen;
  job.OnItem = [&](const TBatchItem& i) { seen.push_back(i.Texture); };
  auto report = BatchDrape(doc, job);
  ASSERT_TRUE(report.ok()) << report.error();
  ASSERT_EQ(report->Items.size(), 3u);
  EXPECT_EQ(seen, (std::vector<std::string>{"blue.bmp", "red.png", "torn.png"}));
  EXPECT_EQ(report->Failures(), 1u);
  EXPECT_NE(report->Items[2].Error.find("PNG"), std::string::npos);
  const TBitmap32 red = LoadPicture(dir.file("out/new/red.png")).value();
  EXPECT_GT(RedComponent(red.Pixel(5, 5)), 100);
  EXPECT_EQ(GreenComponent(red.Pixel(5, 5)), 0);
  const TBitmap32 blue = LoadPicture(dir.file("out/new/blue.png")).value();
  EXPECT_GT(BlueComponent(blue.Pixel(5, 5)), 100);  // each drape starts from the original result
  EXPECT_EQ(RedComponent(blue.Pixel(5, 5)), 0);
  EXPECT_FALSE(fs::exists(dir.file("out/new/torn.png")));
  // The document is as it was.
  EXPECT_EQ(doc.Result.Pixel(5, 5), result.Pixel(5, 5));
  EXPECT_EQ(doc.GetObjectView(0).Texture.Pixel(0, 0), Color32(0, 255, 0));
}

TEST(BatchDrape, LibrariesGiveOnePicturePerEntry) {
  test::TempDir dir;
  const TBitmap32 a(4, 4, Color32(255, 0, 0)), b(4, 4, Color32(0, 0, 255));
  write(dir.file("fab.kvt"), WriteTextureLibrary({{"png", solidPng(a.Pixel(0, 0))}, {"xyz", {1}}, {"png", solidPng(b.Pixel(0, 0))}},
                                                 {a, a, b}));
  TKVXFile2 doc = greyProject();
  TBatchDrape job;
  job.Textures = dir.file("fab.kvt");
  job.OutFolder = dir.file("out");
  auto report = BatchDrape(doc, job);
  ASSERT_TRUE(report.ok()) << report.error();
  ASSERT_EQ(report->Items.size(), 3u);
  EXPECT_EQ(report->Items[0].Texture, "fab.kvt:0");
  EXPECT_EQ(report->Items[0].Output, dir.file("out/fab-0.jpg"));
  EXPECT_FALSE(report->Items[1].Error.empty());  // a format nothing reads
  EXPECT_TRUE(fs::exists(dir.file("out/fab-2.jpg")));
}

TEST(BatchDrape, RefusesJobsThatCannotStartAndStopsWhenCancelled) {
  test::TempDir dir;
  write(dir.file("f/a.png"), solidPng(0xFFFFFFFFu));
  write(dir.file("f/b.png"), solidPng(0xFFFFFFFFu));
  write(dir.file("blocker"), {'x'});
  TKVXFile2 doc = greyProject();
  TBatchDrape job;
  job.Textures = dir.file("f");
  job.OutFolder = dir.file("out");
  job.Object = 3;
  EXPECT_FALSE(BatchDrape(doc, job).ok());
  job.Object = 0;
  job.Format = "xyz";
  EXPECT_FALSE(BatchDrape(doc, job).ok());
  job.Format = "jpg";
  job.Textures = dir.file("empty");
  EXPECT_FALSE(BatchDrape(doc, job).ok());
  job.Textures = dir.file("f");
  job.OutFolder = dir.file("blocker/out");
  EXPECT_FALSE(BatchDrape(doc, job).ok());
  job.OutFolder = dir.file("out");
  std::atomic<bool> cancel{false};
  job.Cancel = &cancel;
  job.OnItem = [&](const TBatchItem&) { cancel = true; };
  auto report = BatchDrape(doc, job);
  ASSERT_TRUE(report.ok());
  EXPECT_TRUE(report->Cancelled);
  EXPECT_EQ(report->Items.size(), 1u);
  EXPECT_FALSE(fs::exists(dir.file("out/b.jpg")));
}

TEST(BatchDrape, PicturesSharingANameKeepTheirExtension) {
  EXPECT_EQ(BatchOutputNames({"/t/a.jpg", "/t/a.png", "/t/b.png"}), (std::vector<std::string>{"a.jpg", "a.png", "b"}));
  // One file name in two folders of a list, and a stem that looks like a file name.
  EXPECT_EQ(BatchOutputNames({"/s/x.jpg", "/t/x.jpg", "/t/x.jpg-2.png", "/u/x.jpg"}),
            (std::vector<std::string>{"x.jpg", "x.jpg-3", "x.jpg-2", "x.jpg-4"}));
  EXPECT_EQ(BatchOutputNames({"/t/a.png", "/t/a.png.jpg", "/t/a.jpg"}),
            (std::vector<std::string>{"a.png", "a.png-2", "a.jpg"}));
}

// Every file of a folder, by name, with its bytes.
std::map<std::string, std::vector<uint8_t>> folderBytes(const std::string& path) {
  std::map<std::string, std::vector<uint8_t>> out;
  for (const auto& e : fs::directory_iterator(path)) out[e.path().filename().string()] = ReadFileBytes(e.path().string()).value();
  return out;
}

// Seven fabrics of different colours and sizes, one of them unreadable.
std::string sevenFabrics(const test::TempDir& dir) {
  for (int i = 0; i < 7; ++i) {
    const std::string name = dir.file("fabrics/f" + std::to_string(i) + (i % 2 ? ".png" : ".bmp"));
    const TBitmap32 t = test::gradient(3 + i, 5 + 2 * i);
    write(name, i == 4 ? std::vector<uint8_t>{'b', 'a', 'd'} : i % 2 ? WritePng(t).value() : WriteBmp(t, 24));
  }
  return dir.file("fabrics");
}

TEST(BatchShards, SlicesRunOneAfterAnotherGiveTheWholeJobsPicturesByteForByte) {
  test::TempDir dir;
  TKVXFile2 doc = greyProject();
  TBatchDrape job;
  job.Textures = sevenFabrics(dir);
  job.Tiles.KeepProportions = true;
  job.OutFolder = dir.file("whole");
  auto whole = BatchDrape(doc, job);
  ASSERT_TRUE(whole.ok()) << whole.error();
  EXPECT_EQ(whole->Items.size(), 7u);
  EXPECT_EQ(whole->Failures(), 1u);
  for (size_t n : {1u, 3u, 9u}) {
    job.OutFolder = dir.file("sliced" + std::to_string(n));
    job.ShardCount = n;
    std::set<std::string> inputs;
    for (size_t k = 0; k < n; ++k) {
      job.ShardIndex = k;
      auto part = BatchDrape(doc, job);
      ASSERT_TRUE(part.ok()) << part.error();
      for (const TBatchItem& i : part->Items) EXPECT_TRUE(inputs.insert(i.Input).second) << i.Input << " twice";
    }
    EXPECT_EQ(inputs.size(), 7u);
    EXPECT_EQ(folderBytes(job.OutFolder), folderBytes(dir.file("whole"))) << n << " slices";
  }
  job.ShardIndex = 3;
  job.ShardCount = 3;
  EXPECT_FALSE(BatchDrape(doc, job).ok());
  // The object's tiling is its own again.
  EXPECT_EQ(doc.GetObjectView(0).Param.TileY, 1);
}

TEST(BatchShards, ResumingSkipsWhatIsThereAndMakesWhatIsMissing) {
  test::TempDir dir;
  TKVXFile2 doc = greyProject();
  TBatchDrape job;
  job.Textures = sevenFabrics(dir);
  job.OutFolder = dir.file("out");
  job.Format = "png";
  ASSERT_TRUE(BatchDrape(doc, job).ok());
  const auto first = folderBytes(job.OutFolder);
  ASSERT_EQ(first.size(), 6u);
  fs::remove(dir.file("out/f2.png"));
  write(dir.file("out/f3.png"), {'k', 'e', 'p', 't'});  // not made again: it is there
  job.Resume = true;
  auto again = BatchDrape(doc, job);
  ASSERT_TRUE(again.ok());
  std::vector<std::string> status;
  for (const TBatchItem& i : again->Items) status.push_back(i.Status());
  EXPECT_EQ(status, (std::vector<std::string>{"skipped", "skipped", "ok", "skipped", "failed", "skipped", "skipped"}));
  EXPECT_EQ(again->Items[3].Output, dir.file("out/f3.png"));
  const auto second = folderBytes(job.OutFolder);
  EXPECT_EQ(second.at("f2.png"), first.at("f2.png"));
  EXPECT_EQ(second.at("f3.png"), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
}

TEST(LibraryTextures, AFillFromAMissingLibrarySaysWhichLibraryInsteadOfDrapingNothing) {
  test::TempDir dir;
  SetTexLibFolder(dir.file("texlib"));
  TKVXFile2 doc = greyProject();
  TKVXTexture& t = *doc.Objects[0]->Texture;
  t.FromLibrary = true;
  t.LibraryName = "gone.kvt";
  t.LibraryIndex = 2;
  t.Get() = TBitmap32();
  EXPECT_FALSE(t.FetchStatus().ok());
  Status fill = FillObject(doc, 0, {});
  ASSERT_FALSE(fill.ok());
  EXPECT_NE(fill.error().find("texture 2 of the texture library \"gone.kvt\""), std::string::npos) << fill.error();
  // Once the library is there, the same object drapes.
  const TBitmap32 fabric(4, 4, Color32(0, 200, 0));
  write(dir.file("texlib/gone.kvt"),
        WriteTextureLibrary({{"png", solidPng(0xFFFFFFFFu)}, {"png", solidPng(0xFFFFFFFFu)}, {"png", WritePng(fabric).value()}},
                            {fabric, fabric, fabric}));
  EXPECT_TRUE(FillObject(doc, 0, {}).ok());
  EXPECT_TRUE(t.FetchStatus().ok());
  EXPECT_GT(GreenComponent(doc.Result.Pixel(3, 3)), 100);
  // A texture of its own again: the old failure no longer counts.
  t.FromLibrary = false;
  SetTexLibFolder("");
  EXPECT_TRUE(FillObject(doc, 0, {}).ok());
}

}  // namespace
}  // namespace kelvane
