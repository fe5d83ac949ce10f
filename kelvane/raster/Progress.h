#pragma once
#include <atomic>
#include <string>

namespace kelvane {

// Progress of a long operation, shown by the application's progress window: a message,
// the number of steps, one step at a time.
class TProgress {
public:
  virtual ~TProgress() = default;
  virtual void Begin(const std::string& message, int maximum) = 0;
  // A new message for the running operation; the bar stays where it is.
  virtual void Message(const std::string& /*message*/) {}
  virtual void Step() = 0;
  virtual void End() = 0;
  // The end of loading and saving: the window stays half a second so the last message
  // can be read.
  virtual void EndLater() { End(); }

  // Cancel, for work that can stop part-way. The work clears the request, offers Cancel
  // while it runs (the window shows its button) and asks between rows or bands whether
  // it was requested. Clearing, asking and requesting may happen on any thread.
  virtual void OfferCancel(bool /*offer*/) {}
  virtual bool CancelRequested() const { return cancel_; }
  virtual void ClearCancel() { cancel_ = false; }
  void RequestCancel() { cancel_ = true; }

private:
  std::atomic<bool> cancel_{false};
};

// Whether work given this progress (or none) should stop now.
inline bool Stopped(const TProgress* progress) { return progress && progress->CancelRequested(); }

}  // namespace kelvane
