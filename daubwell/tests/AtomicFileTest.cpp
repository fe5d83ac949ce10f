#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "files/AtomicFile.h"
#include "files/PaintDocument.h"

namespace daubwell {
namespace {
namespace fs = std::filesystem;

TEST(AtomicFile, SavesThroughLinksKeepingThePermissions) {
  test::TempDir dir;
  fs::create_directories(dir.file("store"));
  std::ofstream(dir.file("store/painting.dwp")) << "old";
  ::chmod(dir.file("store/painting.dwp").c_str(), 0600);
  fs::create_symlink("store/painting.dwp", dir.file("painting.dwp"));
  Canvas canvas;
  canvas.create(3, 2);
  ASSERT_TRUE(writeDocument(canvas, dir.file("painting.dwp")));
  EXPECT_TRUE(fs::is_symlink(dir.file("painting.dwp")));
  EXPECT_GT(fs::file_size(dir.file("store/painting.dwp")), 80u);
  struct stat st;
  ASSERT_EQ(::stat(dir.file("store/painting.dwp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("store")), {}), 1);
}

TEST(AtomicFile, RemovesWhatAKilledSaveLeft) {
  test::TempDir dir;
  const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {"a.dwp.~qwerty", "a.dwp.~abc", "a.dwp.~newone", "b.dwp.~qwerty"}) {
    std::ofstream(dir.file(name)) << std::string(1000, 'x');
    if (std::string(name) != "a.dwp.~newone") fs::last_write_time(dir.file(name), hourAgo);
  }
  ASSERT_TRUE(saveFileAtomically(dir.file("a.dwp"), std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(fs::exists(dir.file("a.dwp.~qwerty")));  // a killed save's
  EXPECT_TRUE(fs::exists(dir.file("a.dwp.~abc")));      // not a name saves use
  EXPECT_TRUE(fs::exists(dir.file("a.dwp.~newone")));   // a save that may still run
  EXPECT_TRUE(fs::exists(dir.file("b.dwp.~qwerty")));   // another file's
  EXPECT_EQ(fs::file_size(dir.file("a.dwp")), 3u);
}

}  // namespace
}  // namespace daubwell
