#pragma once
#include <gtest/gtest.h>

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
