#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "TestSupport.h"
#include "project/TKVXFile2.h"
#include "raster/FileIO.h"

namespace kelvane {
namespace {
namespace fs = std::filesystem;

std::string text(const std::string& path) {
  auto b = ReadFileBytes(path);
  return b ? std::string(b->begin(), b->end()) : "(missing)";
}

std::span<const uint8_t> bytesOf(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// Both ways the program saves: raw bytes and a project.
const std::function<Status(const std::string&)> kSavers[] = {
    [](const std::string& path) { return SaveFileAtomically(path, bytesOf("new content")); },
    [](const std::string& path) {
      TKVXFile2 doc;
      doc.Base = test::gradient(3, 2);
      doc.Result = doc.Base;
      return doc.SaveToFile(path);
    },
};

TEST(SafeSave, WritesThroughSymbolicLinksAndKeepsPermissions) {
  for (const auto& save : kSavers) {
    test::TempDir dir;
    fs::create_directories(dir.file("real"));
    std::ofstream(dir.file("real/work.kvx")) << "old";
    ::chmod(dir.file("real/work.kvx").c_str(), 0600);
    fs::create_symlink("real/work.kvx", dir.file("link.kvx"));
    fs::create_symlink("link.kvx", dir.file("link2.kvx"));  // a chain
    ASSERT_TRUE(save(dir.file("link2.kvx")).ok());
    EXPECT_TRUE(fs::is_symlink(dir.file("link.kvx")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link2.kvx")));
    EXPECT_NE(text(dir.file("real/work.kvx")), "old");
    struct stat st;
    ASSERT_EQ(::stat(dir.file("real/work.kvx").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Nothing is left beside the link or the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), {}), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("")), {}), 3);
  }
}

TEST(SafeSave, ADanglingLinkGetsItsTargetCreated) {
  test::TempDir dir;
  fs::create_symlink("made.bin", dir.file("link.bin"));
  ASSERT_TRUE(SaveFileAtomically(dir.file("link.bin"), bytesOf("x")).ok());
  EXPECT_TRUE(fs::is_symlink(dir.file("link.bin")));
  EXPECT_EQ(text(dir.file("made.bin")), "x");
}

TEST(SafeSave, RemovesWhatInterruptedSavesLeftButNotLiveOnes) {
  test::TempDir dir;
  const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  auto leftover = [&](const std::string& name, bool old) {
    std::ofstream(dir.file(name)) << "partial";
    if (old) fs::last_write_time(dir.file(name), hourAgo);
  };
  leftover("p.kvx$$$", true);          // the fixed name of earlier versions
  leftover("p.kvx$$$4a7b0c1d", true);  // a killed save
  leftover("p.kvx$$$fresh000", false);  // a save that may be running
  leftover("p.kvx$$$locked00", true);  // a save that is running
  leftover("q.kvx$$$4a7b0c1d", true);  // another file's
  const int held = ::open(dir.file("p.kvx$$$locked00").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  ASSERT_TRUE(SaveFileAtomically(dir.file("p.kvx"), bytesOf("whole")).ok());
  ::close(held);
  EXPECT_FALSE(fs::exists(dir.file("p.kvx$$$")));
  EXPECT_FALSE(fs::exists(dir.file("p.kvx$$$4a7b0c1d")));
  EXPECT_TRUE(fs::exists(dir.file("p.kvx$$$fresh000")));
  EXPECT_TRUE(fs::exists(dir.file("p.kvx$$$locked00")));
  EXPECT_TRUE(fs::exists(dir.file("q.kvx$$$4a7b0c1d")));
  EXPECT_EQ(text(dir.file("p.kvx")), "whole");
}

TEST(SafeSave, SavesOfOneFileAtOnceNeverShareATemporaryFile) {
  test::TempDir dir;
  const std::string a(200000, 'a'), b(300000, 'b');
  std::atomic<int> failures{0};
  auto saveMany = [&](const std::string& content) {
    for (int i = 0; i < 20; ++i)
      if (!SaveFileAtomically(dir.file("p.kvx"), bytesOf(content)).ok()) ++failures;
  };
  std::thread t1(saveMany, a), t2(saveMany, b);
  t1.join();
  t2.join();
  EXPECT_EQ(failures, 0);
  const std::string last = text(dir.file("p.kvx"));
  EXPECT_TRUE(last == a || last == b);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("")), {}), 1);
}

}  // namespace
}  // namespace kelvane
