#include "UndoHistory.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <utility>

#include "Lighting.h"

namespace daubwell {

void copyRecords(const CanvasPixel* from, CanvasPixel* to, size_t n) {
  const size_t half = n / 2;
  if (n < (size_t(1) << 18)) {
    std::memcpy(to, from, n * sizeof(CanvasPixel));
    return;
  }
  std::thread other([&] { std::memcpy(to + half, from + half, (n - half) * sizeof(CanvasPixel)); });
  std::memcpy(to, from, half * sizeof(CanvasPixel));
  other.join();
}

RecordArray::RecordArray(size_t n)
    : data_(n ? static_cast<CanvasPixel*>(std::malloc(n * sizeof(CanvasPixel))) : nullptr), size_(n) {
  if (n && !data_) throw std::bad_alloc();
}

void RecordArray::Free::operator()(CanvasPixel* p) const { std::free(p); }

UndoHistory::~UndoHistory() { settle(); }

UndoHistory::UndoHistory(UndoHistory&& other) noexcept { *this = std::move(other); }

UndoHistory& UndoHistory::operator=(UndoHistory&& other) noexcept {
  if (this == &other) return *this;
  settle();
  other.settle();
  backgroundCopyFrom = other.backgroundCopyFrom;
  snapshots_ = std::move(other.snapshots_);
  position_ = std::exchange(other.position_, 0);
  liveSaved_ = std::exchange(other.liveSaved_, false);
  spare_ = std::move(other.spare_);
  preparing_ = std::move(other.preparing_);
  return *this;
}

void UndoHistory::settle() {
  if (copying_) {
    copying_->finish();
    copying_.reset();
  }
  if (hooked_) {
    hooked_->writeHook.fn = nullptr;
    hooked_ = nullptr;
  }
}

RecordArray UndoHistory::takeRecords(size_t n, bool waitForWarm) {
  if (preparing_.valid() &&
      (waitForWarm || preparing_.wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
    RecordArray ready = preparing_.get();
    if (ready.size() == n) return ready;
  }
  if (spare_.size() == n) return std::move(spare_);
  return RecordArray(n);
}

void UndoHistory::recycle(RecordArray&& records) {
  if (records.size() >= backgroundCopyFrom) spare_ = std::move(records);
}

void UndoHistory::prepareSpare(size_t records) {
  if (records < backgroundCopyFrom || spare_.size() == records || preparing_.valid()) return;
  // Touching fresh memory is what costs: done here, off the interface thread.
  preparing_ = std::async(std::launch::async, [records] {
    RecordArray a(records);
    std::memset(static_cast<void*>(a.data()), 0, records * sizeof(CanvasPixel));
    return a;
  });
}

void UndoHistory::dropRedoStates() {
  if (position_ == 0) return;  // the undone steps are the redo states: they go
  for (size_t i = 0; i < position_; ++i) recycle(std::move(snapshots_[i].pixels));
  snapshots_.erase(snapshots_.begin(), snapshots_.begin() + ptrdiff_t(position_));
  position_ = 0;
  liveSaved_ = false;
}

void UndoHistory::makeRoom() {
  if (snapshots_.size() < kMaxSnapshots) return;
  recycle(std::move(snapshots_.back().pixels));
  snapshots_.pop_back();
}

bool UndoHistory::push(Canvas& canvas, bool changesCanvas) {
  if (!changesCanvas) return false;
  settle();
  dropRedoStates();
  makeRoom();
  const size_t n = canvas.pixels.size();
  // The stroke must not wait for memory: a fresh array is only touched by the copy.
  snapshots_.push_front({canvas.width, canvas.height, takeRecords(n, false)});
  UndoSnapshot& s = snapshots_.front();
  if (n < backgroundCopyFrom) {
    copyRecords(canvas.pixels.data(), s.pixels.data(), n);
    return true;
  }
  copying_ = std::make_unique<SnapshotCopy>(canvas.pixels.data(), s.pixels.data(), canvas.width, canvas.height);
  hooked_ = &canvas;
  canvas.writeHook.fn = [this](uint32_t y0, uint32_t y1) {
    if (copying_) copying_->ensureRows(y0, y1);
  };
  prepareSpare(n);  // for the first Undo
  return true;
}

RestoreResult UndoHistory::undo(Canvas& canvas, Messages& messages) {
  if (!canUndo()) return RestoreResult::Nothing;
  settle();
  if (!liveSaved_) {
    // Keep the live state so that Redo can come back to it.
    makeRoom();
    const size_t n = canvas.pixels.size();
    snapshots_.push_front({canvas.width, canvas.height, takeRecords(n, true)});
    copyRecords(canvas.pixels.data(), snapshots_.front().pixels.data(), n);
    ++position_;
    liveSaved_ = true;
  }
  ++position_;
  return restore(position_, canvas, messages);
}

RestoreResult UndoHistory::redo(Canvas& canvas, Messages& messages) {
  if (!canRedo()) return RestoreResult::Nothing;
  settle();
  --position_;
  return restore(position_, canvas, messages);
}

void UndoHistory::reset() {
  settle();
  for (UndoSnapshot& s : snapshots_) recycle(std::move(s.pixels));
  snapshots_.clear();
  position_ = 0;
  liveSaved_ = false;
}

const UndoSnapshot& UndoHistory::snapshot(size_t n) {
  settle();
  return snapshots_.at(n - 1);
}

RestoreResult UndoHistory::restore(size_t n, Canvas& canvas, Messages& messages) const {
  if (n == 0 || n > snapshots_.size()) {
    messages.show("NULL!", "Error", MessageIcon::Error);
    return RestoreResult::Missing;
  }
  const UndoSnapshot& s = snapshots_[n - 1];
  const bool resized = s.width != canvas.width || s.height != canvas.height;
  if (resized) canvas.create(s.width, s.height);
  copyRecords(s.pixels.data(), canvas.pixels.data(), s.pixels.size());
  relightAll(canvas);
  return resized ? RestoreResult::SizeChanged : RestoreResult::Restored;
}

}  // namespace daubwell
