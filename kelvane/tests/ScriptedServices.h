#pragma once
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Services.h"
#include "app/TMainSession.h"

// Platform services that tests script: they record what the program shows and answer
// its questions from prepared queues.
namespace kelvane::test {

template <class T>
std::optional<T> Take(std::deque<std::optional<T>>& q) {
  if (q.empty()) return std::nullopt;
  auto v = q.front();
  q.pop_front();
  return v;
}

struct ScriptedMessages : TMessages {
  void Show(const std::string& text, TMessageKind) override { shown.push_back(text); }
  TAnswer Ask(const std::string& text, TButtons) override {
    asked.push_back(text);
    if (answers.empty()) return TAnswer::Cancel;
    TAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<std::string> shown, asked;
  std::deque<TAnswer> answers;
};

struct ScriptedPrompt : TPrompt {
  std::optional<std::string> Prompt(const std::string& title, const std::string& text,
                                    const std::string& initial) override {
    prompts.push_back(title + "|" + text + "|" + initial);
    return Take(answers);
  }
  std::vector<std::string> prompts;
  std::deque<std::optional<std::string>> answers;
};

struct ScriptedDialogs : TFileDialogs {
  std::optional<std::string> OpenFile(const std::string&, const std::string&) override { return Take(opens); }
  std::optional<std::string> SaveFile(const std::string& filter, const std::string&, const std::string& suggested) override {
    saveFilters.push_back(filter);
    suggestions.push_back(suggested);
    return Take(saves);
  }
  std::deque<std::optional<std::string>> opens, saves;
  std::vector<std::string> saveFilters, suggestions;
};

struct ScriptedClipboard : TClipboard {
  void SetPicture(const TBitmap32& p) override { picture = p; }
  Result<TBitmap32> Picture() override {
    if (fails) return fail("the clipboard is busy");
    return picture;
  }
  TBitmap32 picture;
  bool fails = false;
};

struct ScriptedSettings : TSettingsStore {
  std::optional<std::string> Read(const std::string& key) override {
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Write(const std::string& key, const std::string& value) override { values[key] = value; }
  std::optional<std::vector<std::string>> ReadList(const std::string& key) override {
    auto it = lists.find(key);
    if (it == lists.end()) return std::nullopt;
    return it->second;
  }
  void WriteList(const std::string& key, const std::vector<std::string>& v) override { lists[key] = v; }
  std::map<std::string, std::string> values;
  std::map<std::string, std::vector<std::string>> lists;
};

struct ScriptedCursor : TBusyCursor {
  void SetBusy(bool busy) override { depth += busy ? 1 : -1; }
  int depth = 0;
};

struct ScriptedScanner : TScanner {
  Result<std::optional<TBitmap32>> Acquire() override { return next; }
  Result<std::optional<TBitmap32>> next = fail("No scanner or camera was found.");
};

struct RecordingProgress : TProgress {
  void Begin(const std::string& m, int maximum) override {
    messages.push_back(m);
    max = maximum;
    position = 0;
    shown = true;
  }
  void Message(const std::string& m) override { messages.push_back(m); }
  void Step() override { ++position; }
  void End() override { shown = false; }
  void EndLater() override {
    shown = false;
    endedLater = true;
  }
  // Cancel as the user presses it: after `cancelAfterSteps` steps, or at the question
  // after `cancelAfterQuestions` (-1: never).
  void OfferCancel(bool offer) override { cancelOffered = offer; }
  bool CancelRequested() const override {
    ++questions;
    return (cancelAfterSteps >= 0 && position >= cancelAfterSteps) ||
           (cancelAfterQuestions >= 0 && questions > cancelAfterQuestions);
  }
  void ClearCancel() override { questions = 0; }
  std::vector<std::string> messages;
  int max = 0, position = 0;
  bool shown = false, endedLater = false, cancelOffered = false;
  int cancelAfterSteps = -1, cancelAfterQuestions = -1;
  mutable int questions = 0;
};

// Runs each job at once, as if the worker had finished before the next event.
struct ImmediateJobs : TJobRunner {
  void Start(std::unique_ptr<TJob> job) override {
    RecordingProgress& p = progress ? *progress : own;
    job->Work(p);
    job->Done();
    ++ran;
  }
  void WaitAll() override {}
  RecordingProgress* progress = nullptr;
  RecordingProgress own;
  int ran = 0;
};

// The "Follow Folds" dialog: the queued answer, or Cancel when there is none.
struct ScriptedFoldPrompt : TFoldPrompt {
  std::optional<TFoldOptions> AskFoldOptions() override {
    ++asked;
    return std::exchange(answer, std::nullopt);
  }
  std::optional<TFoldOptions> answer;
  int asked = 0;
};

// Every service of a document session, scripted.
struct ScriptedWorld {
  ScriptedMessages messages;
  ScriptedPrompt prompt;
  ScriptedDialogs dialogs;
  ScriptedClipboard clipboard;
  ScriptedSettings settings;
  ScriptedCursor cursor;
  ScriptedScanner scanner;
  RecordingProgress progress;
  ImmediateJobs jobs;
  ScriptedFoldPrompt folds;

  TServices Services() {
    jobs.progress = &progress;
    return {&messages, &prompt, &dialogs, &clipboard, &cursor, &jobs, &progress, nullptr, &folds};
  }
};

}  // namespace kelvane::test
