#pragma once
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>

#include "raster/TBitmap32.h"

namespace kelvane::test {

// A fresh folder per test, removed afterwards.
class TempDir {
public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("kelvane-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
             std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// While held, no file may grow beyond `bytes`: writes past it fail as on a full disk.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
};

// Every pixel different: red across, green down, blue and alpha mixed.
inline TBitmap32 gradient(int w, int h, bool withAlpha = false) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, Color32(uint8_t(x * 37), uint8_t(y * 53), uint8_t(x * 11 + y * 7),
                               withAlpha ? uint8_t(x * 29 + y * 13) : 255));
  return b;
}

}  // namespace kelvane::test
