#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TTexLibTree.h"
#include "texlib/TThumbnailer.h"
#include "texlib/TexLibRoots.h"
#include "texlib/TextureList.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

void touch(const std::string& path, std::vector<uint8_t> bytes = {}) {
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(SaveFileAtomically(path, bytes).ok());
}

std::vector<uint8_t> png(int w, int h) { return WritePng(test::gradient(w, h)).value(); }

std::vector<std::string> texts(const std::vector<std::unique_ptr<TTexLibNode>>& nodes) {
  std::vector<std::string> out;
  for (const auto& n : nodes) out.push_back(n->Text);
  return out;
}

// Everything the thumbnailer delivers for the node, waiting for the workers.
std::vector<TThumbnailItem> allThumbnails(TThumbnailer& t, const TTexLibNode& node) {
  t.Show(node);
  std::vector<TThumbnailItem> out;
  for (int i = 0; i < 2000 && !t.Finished(); ++i) {
    for (auto& item : t.Take()) out.push_back(std::move(item));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (auto& item : t.Take()) out.push_back(std::move(item));
  return out;
}

// Library folders of its own for each test: "texlib" beside the program and the data
// folder point into the test's folder.
struct Places {
  test::TempDir dir;
  Places() {
    SetTexLibFolder(dir.file("program/texlib"));
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    SetLibraryPaths({dir.file("paths")});
  }
  ~Places() {
    SetTexLibFolder("");
    SetLibraryPaths({});
    unsetenv("XDG_DATA_HOME");
  }
};

TEST(TexLibTree, RootsListTheirFoldersOneLevelAndDeeperFoldersWhenSelected) {
  test::TempDir dir;
  touch(dir.file("root/Fabrics.KVT"));
  touch(dir.file("root/list.kvp"));
  touch(dir.file("root/photo.png"));
  touch(dir.file("root/a/inner.kvt"));
  touch(dir.file("root/a/b/deep.kvt"));
  TTexLibTree tree;
  tree.Build({dir.file("root") + "/"});
  ASSERT_EQ(tree.Roots().size(), 1u);
  TTexLibNode& root = *tree.Roots()[0];
  EXPECT_EQ(root.Text, dir.file("root"));  // no trailing separator
  EXPECT_EQ(texts(root.Children), (std::vector<std::string>{"Fabrics.KVT", "a", "list.kvp"}));
  EXPECT_EQ(root.Children[0]->Kind, TTexLibNodeKind::Library);
  EXPECT_EQ(root.Children[0]->Icon(), 2);
  EXPECT_EQ(root.Children[2]->SelectedIcon(), 5);
  TTexLibNode& a = *root.Children[1];
  EXPECT_EQ(texts(a.Children), (std::vector<std::string>{"b", "inner.kvt"}));
  TTexLibNode& b = *a.Children[0];
  EXPECT_TRUE(b.Children.empty());  // two levels down: not opened yet
  EXPECT_TRUE(TTexLibTree::FillIfEmpty(b));
  EXPECT_EQ(texts(b.Children), (std::vector<std::string>{"deep.kvt"}));
  EXPECT_EQ(b.Children[0]->Parent, &b);
  EXPECT_EQ(b.Children[0]->Path, dir.file("root/a/b/deep.kvt"));
  EXPECT_FALSE(TTexLibTree::FillIfEmpty(b));  // listed once
}

TEST(TexLibTree, ThumbnailChoicesGiveTheDocumentsReference) {
  TTexLibNode folder{TTexLibNodeKind::Folder, "f", "/t/f", nullptr, {}};
  TTexLibNode library{TTexLibNodeKind::Library, "fab.kvt", "/t/fab.kvt", nullptr, {}};
  TTexLibNode list{TTexLibNodeKind::List, "l.kvp", "/t/l.kvp", nullptr, {}};
  const TLibraryTextureRef f = ReferenceFor(folder, "silk.jpg", 3);
  EXPECT_FALSE(f.FromLibrary);
  EXPECT_EQ(f.TexturePath, "/t/f/silk.jpg");
  const TLibraryTextureRef l = ReferenceFor(library, "2", 2);
  EXPECT_TRUE(l.FromLibrary);
  EXPECT_EQ(l.TexturePath, "2");
  EXPECT_EQ(l.LibraryName, "fab.kvt");
  EXPECT_EQ(ReferenceFor(list, "/x/a.png", 0).TexturePath, "/x/a.png");
}

TEST(LibraryRoots, PathsAreKeptOnceWithoutTrailingSeparators) {
  std::vector<std::string> paths;
  EXPECT_TRUE(AddLibraryPath(paths, "/srv/fabrics/"));
  EXPECT_FALSE(AddLibraryPath(paths, "/srv/fabrics"));  // already listed: nothing changes
  EXPECT_FALSE(AddLibraryPath(paths, ""));
  EXPECT_EQ(paths, (std::vector<std::string>{"/srv/fabrics"}));
  Places places;
  const auto roots = LibraryRoots();
  ASSERT_EQ(roots.size(), 3u);
  EXPECT_EQ(roots[0], ProgramFolder());
  EXPECT_EQ(roots[1], places.dir.file("paths"));
  EXPECT_EQ(roots[2], places.dir.file("data/kelvane/texlib"));
}

TEST(LibraryRoots, LibrariesAreLookedForBesideTheProgramThenInThePathsAndTheDataFolder) {
  Places places;
  const TBitmap32 a = test::gradient(3, 3), b = test::gradient(5, 2);
  const auto libA = WriteTextureLibrary({{"png", WritePng(a).value()}}, {a});
  const auto libB = WriteTextureLibrary({{"png", WritePng(b).value()}}, {b});
  touch(places.dir.file("data/kelvane/texlib/fab.kvt"), libB);
  EXPECT_EQ(FindLibrary("fab.kvt").value(), places.dir.file("data/kelvane/texlib/fab.kvt"));
  touch(places.dir.file("paths/fab.kvt"), libB);
  EXPECT_EQ(FindLibrary("fab.kvt").value(), places.dir.file("paths/fab.kvt"));
  touch(places.dir.file("program/texlib/fab.kvt"), libA);
  EXPECT_EQ(FetchLibraryTexture("fab.kvt", 0)->Width(), 3);
  // A library in a sub-folder is found too, in any case.
  touch(places.dir.file("paths/shop/Sofa.KVT"), libB);
  EXPECT_EQ(FindLibrary("sofa.kvt").value(), places.dir.file("paths/shop/Sofa.KVT"));
  // A project's name never leads out of the folders.
  EXPECT_FALSE(FindLibrary("../paths/fab.kvt").ok());
  EXPECT_FALSE(FindLibrary("..").ok());
}

TEST(LibraryRoots, FailedFetchesNameTheLibraryAndTheTexture) {
  Places places;
  const TBitmap32 a = test::gradient(3, 3);
  touch(places.dir.file("program/texlib/fab.kvt"), WriteTextureLibrary({{"png", WritePng(a).value()}}, {a}));
  touch(places.dir.file("program/texlib/odd.kvt"), WriteTextureLibrary({{"xyz", {1}}}, {a}));
  touch(places.dir.file("program/texlib/bad.kvt"), {'K', 'V', 'X', 'L', 'I', 'B', 9, 0, 0, 0});
  auto missing = FetchLibraryTexture("missing.kvt", 1);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().rfind("Cannot read texture 1 of the texture library \"missing.kvt\": not found in ", 0), 0u)
      << missing.error();
  EXPECT_NE(FetchLibraryTexture("fab.kvt", 4).error().find("texture 4 of the texture library \"fab.kvt\": the library has 1"),
            std::string::npos);
  EXPECT_NE(FetchLibraryTexture("bad.kvt", 0).error().find("does not fit"), std::string::npos);
  EXPECT_NE(FetchLibraryTexture("odd.kvt", 0).error().find("\"xyz\""), std::string::npos);
  EXPECT_FALSE(FetchLibraryTexture("fab.kvt", -1).ok());
}

TEST(Thumbnailer, FoldersShowTheirPicturesInOrderSkippingUnreadableOnes) {
  test::TempDir dir;
  for (int i = 0; i < 12; ++i) touch(dir.file("f/p" + std::to_string(10 + i) + ".png"), png(20 + i, 10));
  touch(dir.file("f/p15.png"), {'n', 'o', 't'});
  touch(dir.file("f/readme.txt"), {'x'});
  touch(dir.file("f/sub/inner.png"), png(4, 4));
  const TTexLibNode node{TTexLibNodeKind::Folder, "f", dir.file("f"), nullptr, {}};
  std::atomic<int> wakeUps{0};
  TThumbnailer t(3);
  t.SetOnReady([&] { ++wakeUps; });
  const auto items = allThumbnails(t, node);
  ASSERT_EQ(items.size(), 11u);
  EXPECT_EQ(items[4].Caption, "p14.png");
  EXPECT_EQ(items[5].Caption, "p16.png");  // p15 skipped; indices count what is shown
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].Index, int(i));
  EXPECT_EQ(items[0].Image.Width(), 100);
  EXPECT_GT(wakeUps.load(), 0);
  EXPECT_FALSE(t.TakeError());
}

TEST(Thumbnailer, LibrariesAndListsStopAtTheirFirstFault) {
  test::TempDir dir;
  const TBitmap32 a = test::gradient(6, 3);
  touch(dir.file("fab.kvt"), WriteTextureLibrary({{"png", WritePng(a).value()}, {"png", WritePng(a).value()}}, {a, a}));
  touch(dir.file("bad.kvt"), {'K', 'V', 'X', 'L', 'I', 'B', 9, 0, 0, 0});
  touch(dir.file("a.png"), png(5, 5));
  touch(dir.file("broken.png"), {'x'});
  ASSERT_TRUE(SaveTextureList(dir.file("l.kvp"), {dir.file("a.png"), dir.file("broken.png"), dir.file("a.png")}).ok());
  TThumbnailer t(2);
  const auto lib = allThumbnails(t, {TTexLibNodeKind::Library, "fab.kvt", dir.file("fab.kvt"), nullptr, {}});
  ASSERT_EQ(lib.size(), 2u);
  EXPECT_EQ(lib[1].Caption, "1");
  EXPECT_TRUE(allThumbnails(t, {TTexLibNodeKind::Library, "bad.kvt", dir.file("bad.kvt"), nullptr, {}}).empty());
  EXPECT_TRUE(t.TakeError().has_value());
  EXPECT_FALSE(t.TakeError());  // once
  const auto list = allThumbnails(t, {TTexLibNodeKind::List, "l.kvp", dir.file("l.kvp"), nullptr, {}});
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Caption, dir.file("a.png"));
  auto error = t.TakeError();
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("broken.png"), std::string::npos);
}

TEST(Thumbnailer, AnotherNodeDropsWhatThePreviousOneHadNotDelivered) {
  test::TempDir dir;
  for (int i = 0; i < 40; ++i) touch(dir.file("big/" + std::to_string(100 + i) + ".png"), png(300, 200));
  touch(dir.file("small/only.png"), png(4, 4));
  TThumbnailer t(2);
  t.Show({TTexLibNodeKind::Folder, "big", dir.file("big"), nullptr, {}});
  const auto items = allThumbnails(t, {TTexLibNodeKind::Folder, "small", dir.file("small"), nullptr, {}});
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Caption, "only.png");
  EXPECT_EQ(items[0].Index, 0);
  t.Show({TTexLibNodeKind::Folder, "big", dir.file("big"), nullptr, {}});
  t.Cancel();
  EXPECT_TRUE(t.Take().empty());
  EXPECT_TRUE(t.Finished());
}

}  // namespace
}  // namespace kelvane
