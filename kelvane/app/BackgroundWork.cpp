#include "BackgroundWork.h"

namespace kelvane {

TBackgroundWork::~TBackgroundWork() {
  Cancel();
  Wait();
}

bool TBackgroundWork::Start(Work work) {
  if (running_) return false;
  Wait();
  cancel_ = false;
  position_ = 0;
  maximum_ = 0;
  running_ = true;
  thread_ = std::thread([this, work = std::move(work)] {
    work(*this, cancel_);
    running_ = false;
  });
  return true;
}

void TBackgroundWork::Wait() {
  if (thread_.joinable()) thread_.join();
}

std::string TBackgroundWork::MessageText() const {
  std::lock_guard lock(mutex_);
  return message_;
}

void TBackgroundWork::Begin(const std::string& message, int maximum) {
  Message(message);
  maximum_ = maximum;
  position_ = 0;
}

void TBackgroundWork::Message(const std::string& message) {
  std::lock_guard lock(mutex_);
  message_ = message;
}

}  // namespace kelvane
