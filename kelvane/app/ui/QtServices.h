#pragma once
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/Services.h"

// The document session's platform services on Qt.
namespace kelvane::ui {

// Runs `f` on the interface thread and waits for it (at once when already there).
void OnInterfaceThread(const std::function<void()>& f);

class TQtMessages final : public TMessages {
public:
  // `aside` (the progress window, always on top) is put aside while a message shows.
  explicit TQtMessages(QWidget* parent, QWidget* aside = nullptr) : parent_(parent), aside_(aside) {}
  void Show(const std::string& text, TMessageKind kind) override;
  TAnswer Ask(const std::string& text, TButtons buttons) override;

private:
  void Box(const std::function<void()>& show);
  QPointer<QWidget> parent_, aside_;
};

class TQtPrompt final : public TPrompt {
public:
  explicit TQtPrompt(QWidget* parent) : parent_(parent) {}
  std::optional<std::string> Prompt(const std::string& title, const std::string& text,
                                    const std::string& initial) override;

private:
  QPointer<QWidget> parent_;
};

class TQtFileDialogs final : public TFileDialogs {
public:
  explicit TQtFileDialogs(QWidget* parent) : parent_(parent) {}
  std::optional<std::string> OpenFile(const std::string& filter, const std::string& defaultExt) override;
  std::optional<std::string> SaveFile(const std::string& filter, const std::string& defaultExt,
                                      const std::string& suggested) override;

private:
  QPointer<QWidget> parent_;
};

class TQtClipboard final : public TClipboard {
public:
  void SetPicture(const TBitmap32& picture) override;
  Result<TBitmap32> Picture() override;
};

// QSettings under the program's name.
class TQtSettings final : public TSettingsStore {
public:
  std::optional<std::string> Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& value) override;
  std::optional<std::vector<std::string>> ReadList(const std::string& key) override;
  void WriteList(const std::string& key, const std::vector<std::string>& values) override;
};

class TQtBusyCursor final : public TBusyCursor {
public:
  void SetBusy(bool busy) override;
};

// Progress from any thread: calls off the interface thread are queued to it; the
// cancel request is the target's own, read and cleared at once.
class TProgressProxy final : public TProgress {
public:
  explicit TProgressProxy(TProgress& target) : target_(target) {}
  void Begin(const std::string& message, int maximum) override;
  void Message(const std::string& message) override;
  void Step() override;
  void End() override;
  void EndLater() override;
  void OfferCancel(bool offer) override;
  bool CancelRequested() const override { return target_.CancelRequested(); }
  void ClearCancel() override { target_.ClearCancel(); }

private:
  void Post(std::function<void(TProgress&)> f);
  TProgress& target_;
};

// Each job's work on a thread of its own; Done is queued back to the interface thread.
class TQtJobRunner final : public TJobRunner {
public:
  explicit TQtJobRunner(TProgress& progress) : progress_(progress) {}
  ~TQtJobRunner() override;
  void Start(std::unique_ptr<TJob> job) override;
  // Keeps painting (user input waits) until every job is done.
  void WaitAll() override;
  int Pending() const { return pending_; }

private:
  void Reap();
  TProgressProxy progress_;
  std::atomic<int> pending_{0};
  std::mutex mutex_;
  std::vector<std::thread> threads_;
  std::vector<std::thread::id> finished_;
};

}  // namespace kelvane::ui
