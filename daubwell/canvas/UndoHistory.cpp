#include "UndoHistory.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <utility>

#include "HugePages.h"
#include "Lighting.h"

namespace daubwell {

namespace {
constexpr size_t kTwoCoresFrom = size_t(1) << 18;  // records
}

void copyRecords(const CanvasPixel* from, CanvasPixel* to, size_t n) {
  const size_t half = n / 2;
  if (n < kTwoCoresFrom) {
    std::memcpy(to, from, n * sizeof(CanvasPixel));
    return;
  }
  std::thread other([&] { std::memcpy(to + half, from + half, (n - half) * sizeof(CanvasPixel)); });
  std::memcpy(to, from, half * sizeof(CanvasPixel));
  other.join();
}

void copyRows(const CanvasPixel* from, CanvasPixel* to, uint32_t width, const RowSet& rows) {
  struct Run {
    uint32_t y0, y1;
  };
  std::vector<Run> runs;
  size_t total = 0;
  rows.forEachRun([&](uint32_t y0, uint32_t y1) {
    runs.push_back({y0, y1});
    total += y1 - y0;
  });
  auto copy = [&](uint32_t y0, uint32_t y1) {
    const size_t first = size_t(y0) * width;
    std::memcpy(to + first, from + first, size_t(y1 - y0) * width * sizeof(CanvasPixel));
  };
  if (total * width < kTwoCoresFrom) {
    for (const Run& r : runs) copy(r.y0, r.y1);
    return;
  }
  // Split at the middle row of those to copy: each core takes one half.
  const size_t half = total / 2;
  std::vector<Run> first, second;
  size_t seen = 0;
  for (const Run& r : runs) {
    const size_t n = r.y1 - r.y0;
    if (seen >= half) {
      second.push_back(r);
    } else if (seen + n <= half) {
      first.push_back(r);
    } else {
      const uint32_t cut = r.y0 + uint32_t(half - seen);
      first.push_back({r.y0, cut});
      second.push_back({cut, r.y1});
    }
    seen += n;
  }
  std::thread other([&] {
    for (const Run& r : second) copy(r.y0, r.y1);
  });
  for (const Run& r : first) copy(r.y0, r.y1);
  other.join();
}

RecordArray::RecordArray(size_t n) : size_(n) {
  const size_t bytes = n * sizeof(CanvasPixel);
  if (bytes >= kHugePageBytes) {
    const size_t whole = (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    data_.reset(static_cast<CanvasPixel*>(std::aligned_alloc(kHugePageBytes, whole)));
    if (data_) adviseHugePages(data_.get(), whole);
  } else if (n) {
    data_.reset(static_cast<CanvasPixel*>(std::malloc(bytes)));
  }
  if (n && !data_) throw std::bad_alloc();
}

void RecordArray::Free::operator()(CanvasPixel* p) const { std::free(p); }

UndoHistory::~UndoHistory() {
  settle();
  detach();
}

UndoHistory::UndoHistory(UndoHistory&& other) noexcept { *this = std::move(other); }

UndoHistory& UndoHistory::operator=(UndoHistory&& other) noexcept {
  if (this == &other) return *this;
  settle();
  detach();
  other.settle();
  other.detach();
  backgroundCopyFrom = other.backgroundCopyFrom;
  snapshots_ = std::move(other.snapshots_);
  spares_ = std::move(other.spares_);
  position_ = std::exchange(other.position_, 0);
  liveSaved_ = std::exchange(other.liveSaved_, false);
  recordsCopied_ = std::exchange(other.recordsCopied_, 0);
  preparing_ = std::move(other.preparing_);
  return *this;
}

void UndoHistory::settle() {
  if (copying_) {
    copying_->finish();
    copying_.reset();
  }
}

void UndoHistory::attach(Canvas& canvas) {
  if (canvas_ == &canvas && canvas.writeHook.owner == this) return;
  settle();
  detach();
  // Writes went unheard: nothing is known to agree any more.
  for (UndoSnapshot& s : snapshots_) s.stale.addAll();
  for (UndoSnapshot& s : spares_) s.stale.addAll();
  canvas_ = &canvas;
  canvas.writeHook.owner = this;
  canvas.writeHook.fn = [this](uint32_t y0, uint32_t y1) { noteWrite(y0, y1); };
}

void UndoHistory::detach() {
  if (canvas_ && canvas_->writeHook.owner == this) {
    canvas_->writeHook.fn = nullptr;
    canvas_->writeHook.owner = nullptr;
  }
  canvas_ = nullptr;
}

void UndoHistory::noteWrite(uint32_t y0, uint32_t y1) {
  if (copying_) copying_->ensureRows(y0, y1);
  for (UndoSnapshot& s : snapshots_) s.stale.add(y0, y1);
  for (UndoSnapshot& s : spares_) s.stale.add(y0, y1);
}

RecordArray UndoHistory::freshRecords(size_t n, bool waitForWarm) {
  if (preparing_.valid() &&
      (waitForWarm || preparing_.wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
    RecordArray ready = preparing_.get();
    if (ready.size() == n) return ready;
  }
  return RecordArray(n);
}

void UndoHistory::prepareSpare(size_t records) {
  if (records < backgroundCopyFrom || preparing_.valid()) return;
  for (const UndoSnapshot& s : spares_)
    if (s.pixels.size() == records) return;
  // Touching fresh memory is what costs: done here, off the interface thread.
  preparing_ = std::async(std::launch::async, [records] {
    RecordArray a(records);
    std::memset(static_cast<void*>(a.data()), 0, records * sizeof(CanvasPixel));
    return a;
  });
}

UndoSnapshot UndoHistory::takeSnapshot(const Canvas& canvas, bool inBackground) {
  UndoSnapshot s;
  auto best = spares_.end();
  for (auto it = spares_.begin(); it != spares_.end(); ++it)
    if (it->width == canvas.width && it->height == canvas.height &&
        (best == spares_.end() || it->stale.count() < best->stale.count()))
      best = it;
  if (best != spares_.end()) {
    s = std::move(*best);
    spares_.erase(best);
  } else {
    s.width = canvas.width;
    s.height = canvas.height;
    // A background copy touches fresh memory itself; one made here waits for warm memory.
    s.pixels = freshRecords(canvas.pixels.size(), !inBackground);
    s.stale = RowSet(canvas.height, true);
  }
  const size_t records = s.stale.count() * size_t(canvas.width);
  recordsCopied_ += records;
  if (inBackground && records >= backgroundCopyFrom)
    copying_ = std::make_unique<SnapshotCopy>(canvas.pixels.data(), s.pixels.data(), canvas.width,
                                              canvas.height, s.stale);
  else
    copyRows(canvas.pixels.data(), s.pixels.data(), canvas.width, s.stale);
  s.stale.clear();
  return s;
}

void UndoHistory::recycle(UndoSnapshot&& s) {
  spares_.push_back(std::move(s));
  if (spares_.size() <= kMaxSpares) return;
  // Keep those of the newest one's size that are least out of date.
  const UndoSnapshot& newest = spares_.back();
  auto worst = spares_.begin();
  auto worse = [&](const UndoSnapshot& a, const UndoSnapshot& b) {
    const bool aFits = a.width == newest.width && a.height == newest.height;
    const bool bFits = b.width == newest.width && b.height == newest.height;
    if (aFits != bFits) return !aFits;
    return a.stale.count() > b.stale.count();
  };
  for (auto it = spares_.begin(); it != spares_.end(); ++it)
    if (worse(*it, *worst)) worst = it;
  spares_.erase(worst);
}

void UndoHistory::dropRedoStates() {
  if (position_ == 0) return;  // the undone steps are the redo states: they go
  for (size_t i = 0; i < position_; ++i) recycle(std::move(snapshots_[i]));
  snapshots_.erase(snapshots_.begin(), snapshots_.begin() + ptrdiff_t(position_));
  position_ = 0;
  liveSaved_ = false;
}

void UndoHistory::makeRoom() {
  if (snapshots_.size() < kMaxSnapshots) return;
  recycle(std::move(snapshots_.back()));
  snapshots_.pop_back();
}

bool UndoHistory::push(Canvas& canvas, bool changesCanvas) {
  if (!changesCanvas) return false;
  settle();
  attach(canvas);
  dropRedoStates();
  makeRoom();
  // The stroke must not wait: only rows out of date are copied, and many of them only in
  // the background.
  snapshots_.push_front(takeSnapshot(canvas, true));
  if (spares_.empty()) prepareSpare(canvas.pixels.size());  // for the first Undo
  return true;
}

RestoreResult UndoHistory::undo(Canvas& canvas, Messages& messages) {
  if (!canUndo()) return RestoreResult::Nothing;
  settle();
  attach(canvas);
  if (!liveSaved_) {
    // Keep the live state so that Redo can come back to it. The restore below writes
    // only rows the copy has taken, and relighting only reads.
    makeRoom();
    snapshots_.push_front(takeSnapshot(canvas, true));
    ++position_;
    liveSaved_ = true;
  }
  ++position_;
  return restore(position_, canvas, messages);
}

RestoreResult UndoHistory::redo(Canvas& canvas, Messages& messages) {
  if (!canRedo()) return RestoreResult::Nothing;
  settle();
  attach(canvas);
  --position_;
  return restore(position_, canvas, messages);
}

void UndoHistory::reset() {
  settle();
  while (!snapshots_.empty()) {
    recycle(std::move(snapshots_.front()));
    snapshots_.pop_front();
  }
  position_ = 0;
  liveSaved_ = false;
}

const UndoSnapshot& UndoHistory::snapshot(size_t n) {
  settle();
  return snapshots_.at(n - 1);
}

RestoreResult UndoHistory::restore(size_t n, Canvas& canvas, Messages& messages) {
  if (n == 0 || n > snapshots_.size()) {
    messages.show("NULL!", "Error", MessageIcon::Error);
    return RestoreResult::Missing;
  }
  UndoSnapshot& s = snapshots_[n - 1];
  const bool resized = s.width != canvas.width || s.height != canvas.height;
  if (resized) {
    canvas.create(s.width, s.height);
    s.stale.addAll();
  }
  // The rows to copy back are written: every other snapshot hears of them.
  s.stale.forEachRun([&](uint32_t y0, uint32_t y1) { canvas.aboutToWrite(y0, y1); });
  recordsCopied_ += s.stale.count() * size_t(s.width);
  copyRows(s.pixels.data(), canvas.pixels.data(), s.width, s.stale);
  s.stale.clear();
  relightChanged(canvas);
  return resized ? RestoreResult::SizeChanged : RestoreResult::Restored;
}

}  // namespace daubwell
