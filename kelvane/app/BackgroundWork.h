#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "../raster/Progress.h"

namespace kelvane {

// One piece of long work on a thread of its own, for a dialog that shows its progress
// and offers Cancel: the dialog polls Running, Position and Message from its timer. The
// work writes its result into what it captured; it is complete once Running is false.
class TBackgroundWork final : public TProgress {
public:
  using Work = std::function<void(TProgress& progress, const std::atomic<bool>& cancel)>;
  ~TBackgroundWork() override;

  // False while earlier work still runs.
  bool Start(Work work);
  bool Running() const { return running_; }
  void Cancel() { cancel_ = true; }
  bool Cancelled() const { return cancel_; }
  // Waits for the work to end.
  void Wait();

  int Position() const { return position_; }
  int Maximum() const { return maximum_; }
  std::string MessageText() const;

  // TProgress, from the work's thread; work that heeds the progress's Cancel sees the
  // dialog's.
  void Begin(const std::string& message, int maximum) override;
  void Message(const std::string& message) override;
  void Step() override { ++position_; }
  void End() override {}
  bool CancelRequested() const override { return cancel_; }
  void ClearCancel() override { cancel_ = false; }

private:
  std::thread thread_;
  std::atomic<bool> running_{false}, cancel_{false};
  std::atomic<int> position_{0}, maximum_{0};
  mutable std::mutex mutex_;
  std::string message_;
};

}  // namespace kelvane
