#pragma once
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
};

}  // namespace kelvane
