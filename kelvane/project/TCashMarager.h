#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "KVXItems.h"

namespace kelvane {

// The item swapper: one background thread that looks at one registered item per
// period, round robin, and writes unpinned items idle for two whole minutes to their
// swap files. The list lock is held while an item is examined and swapped, so an item
// cannot be unregistered (destroyed) under it; the item's own lock keeps its use on the
// interface thread apart from the swap-out.
class TCashMarager {
public:
  using Clock = std::function<TimePoint()>;

  explicit TCashMarager(Clock clock = [] { return std::chrono::steady_clock::now(); });
  ~TCashMarager();
  TCashMarager(const TCashMarager&) = delete;
  TCashMarager& operator=(const TCashMarager&) = delete;

  void Register(TKVXCustomItem* item);
  void Unregister(TKVXCustomItem* item);
  size_t Count() const;
  TimePoint Now() const { return clock_(); }

  // One step of the loop: examine the item at the index, then advance it. Returns
  // whether that item was swapped out.
  bool Tick();
  // Runs Tick every `period` on the background thread until Stop.
  void Start(std::chrono::milliseconds period = std::chrono::milliseconds(1000));
  void Stop();

private:
  Clock clock_;
  mutable std::mutex listMutex_;
  std::vector<TKVXCustomItem*> items_;
  size_t index_ = 0;

  std::thread thread_;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace kelvane
