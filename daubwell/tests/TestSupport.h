#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/Messages.h"
#include "files/FileDialogs.h"

namespace daubwell::test {

struct ShownMessage {
  std::string text, caption;
};

// Records every message; answers questions from a script (Cancel when it runs dry).
class ScriptedMessages : public Messages {
public:
  void show(std::string_view text, std::string_view caption, MessageIcon) override {
    shown.push_back({std::string(text), std::string(caption)});
  }
  Answer ask(std::string_view text, std::string_view caption, MessageButtons, MessageIcon) override {
    asked.push_back({std::string(text), std::string(caption)});
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (auto& m : shown) out.push_back(m.text);
    return out;
  }

  std::vector<ShownMessage> shown, asked;
  std::deque<Answer> answers;
};

// Dialogs that return prepared paths (nothing = cancelled).
class ScriptedDialogs : public FileDialogs {
public:
  std::optional<std::string> openPath(const FileFilter&) override { return take(opens); }
  std::optional<std::string> savePath(const FileFilter&) override { return take(saves); }

  std::deque<std::optional<std::string>> opens, saves;

private:
  static std::optional<std::string> take(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
  }
};

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
