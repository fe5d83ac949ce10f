#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ScriptedServices.h"
#include "canvas/Canvas.h"

namespace daubwell::test {

// A fresh folder per test, removed afterwards.
class TempDir {
public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("daubwell-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
             std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

private:
  std::filesystem::path path_;
};

// A canvas with every field of every record filled from a seeded generator.
inline Canvas randomCanvas(uint32_t w, uint32_t h, uint32_t seed, float heightRange = 8.0f) {
  Canvas c;
  c.create(w, h);
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_real_distribution<float> height(-heightRange, heightRange);
  for (CanvasPixel& p : c.pixels) {
    p.red = uint8_t(byte(gen));
    p.green = uint8_t(byte(gen));
    p.blue = uint8_t(byte(gen));
    p.highlight = uint8_t(byte(gen));
    p.shading = uint8_t(byte(gen));
    p.height = height(gen);
  }
  return c;
}

}  // namespace daubwell::test
