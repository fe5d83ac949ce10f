#include "TCashMarager.h"

#include <algorithm>

namespace kelvane {

TCashMarager::TCashMarager(Clock clock) : clock_(std::move(clock)) {}

TCashMarager::~TCashMarager() { Stop(); }

void TCashMarager::Register(TKVXCustomItem* item) {
  std::lock_guard lock(listMutex_);
  items_.push_back(item);
}

void TCashMarager::Unregister(TKVXCustomItem* item) {
  std::lock_guard lock(listMutex_);
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
}

size_t TCashMarager::Count() const {
  std::lock_guard lock(listMutex_);
  return items_.size();
}

bool TCashMarager::Tick() {
  std::lock_guard lock(listMutex_);
  bool swapped = false;
  if (!items_.empty()) {
    if (index_ >= items_.size()) index_ = 0;
    TKVXCustomItem* item = items_[index_];
    std::lock_guard itemLock(item->Mutex());
    // Pins are taken before an item is fetched, and fetching takes the item's lock, so
    // a pin seen here under the lock covers every reference handed out since.
    if (!item->Pinned()) {
      using namespace std::chrono;
      const auto idleMinutes = duration_cast<minutes>(clock_() - item->lastUse_).count();
      // Errors are ignored: the item stays in memory and is looked at again next round.
      if (std::abs(idleMinutes) > 1 && !item->notLoaded_) swapped = item->SwapOutLocked().ok();
    }
  }
  ++index_;
  return swapped;
}

void TCashMarager::Start(std::chrono::milliseconds period) {
  Stop();
  {
    std::lock_guard lock(wakeMutex_);
    stopping_ = false;
  }
  thread_ = std::thread([this, period] {
    std::unique_lock lock(wakeMutex_);
    while (!stopping_) {
      lock.unlock();
      Tick();
      lock.lock();
      wake_.wait_for(lock, period, [this] { return stopping_; });
    }
  });
}

void TCashMarager::Stop() {
  {
    std::lock_guard lock(wakeMutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

}  // namespace kelvane
