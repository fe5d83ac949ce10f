#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "canvas/Messages.h"
#include "files/FileDialogs.h"

// Message boxes and file dialogs that tests script; shared by the engine's and the
// windows' tests.
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

}  // namespace daubwell::test
