#pragma once
#include <string>
#include <string_view>

namespace daubwell {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// Message boxes, as the engine needs them. The application shows real boxes, the
// command-line tool prints to stderr, tests script the answers.
class Messages {
public:
  virtual ~Messages() = default;
  virtual void show(std::string_view text, std::string_view caption,
                    MessageIcon icon = MessageIcon::None) = 0;
  virtual Answer ask(std::string_view text, std::string_view caption, MessageButtons buttons,
                     MessageIcon icon = MessageIcon::Question) = 0;
};

// Swallows every message and answers questions with a fixed answer.
class SilentMessages : public Messages {
public:
  explicit SilentMessages(Answer answer = Answer::No) : answer_(answer) {}
  void show(std::string_view, std::string_view, MessageIcon) override {}
  Answer ask(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
    return answer_;
  }

private:
  Answer answer_;
};

}  // namespace daubwell
