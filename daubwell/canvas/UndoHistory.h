#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <utility>
#include <vector>

#include "Canvas.h"
#include "Messages.h"
#include "SnapshotCopy.h"

namespace daubwell {

// Records in memory that is not touched when it is taken: a snapshot's copy is what
// first writes it (in the background for a large painting).
class RecordArray {
public:
  RecordArray() = default;
  explicit RecordArray(size_t n);
  RecordArray(RecordArray&& o) noexcept : data_(std::move(o.data_)), size_(std::exchange(o.size_, 0)) {}
  RecordArray& operator=(RecordArray&& o) noexcept {
    data_ = std::move(o.data_);
    size_ = std::exchange(o.size_, 0);
    return *this;
  }
  size_t size() const { return size_; }
  CanvasPixel* data() { return data_.get(); }
  const CanvasPixel* data() const { return data_.get(); }
  const CanvasPixel& operator[](size_t i) const { return data_.get()[i]; }

private:
  struct Free {
    void operator()(CanvasPixel* p) const;
  };
  std::unique_ptr<CanvasPixel, Free> data_;
  size_t size_ = 0;
};

// A copy of the document's records; the shown image is recomputed on restore.
struct UndoSnapshot {
  uint32_t width = 0, height = 0;
  RecordArray pixels;
};

enum class RestoreResult {
  Nothing,       // the command was greyed
  Restored,      // same size as before
  SizeChanged,   // the canvas window must be recreated
  Missing,       // the snapshot did not exist ("NULL!" was shown)
};

// Undo and Redo over at most six whole-canvas snapshots. Snapshot 1 is the newest;
// `position` is 0 at the live state, otherwise the snapshot currently shown.
//
// Large paintings are snapshotted without making the stroke wait: the records are copied
// in the background while writers take the rows they are about to change first (through
// the canvas's write hook). Record arrays of dropped snapshots are kept for the next
// one, since fresh memory is slow to touch at these sizes.
class UndoHistory {
public:
  static constexpr size_t kMaxSnapshots = 6;

  UndoHistory() = default;
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;
  // Moving finishes a background copy first.
  UndoHistory(UndoHistory&& other) noexcept;
  UndoHistory& operator=(UndoHistory&& other) noexcept;
  ~UndoHistory();

  // Canvases of at least this many records are copied in the background.
  size_t backgroundCopyFrom = size_t(1) << 20;

  // Records the canvas before a change. Edits that do not change the canvas pass false
  // and record nothing. Returns whether a snapshot was taken.
  bool push(Canvas& canvas, bool changesCanvas = true);
  RestoreResult undo(Canvas& canvas, Messages& messages);
  RestoreResult redo(Canvas& canvas, Messages& messages);
  // New, Open, Import: forgets every snapshot, so Undo cannot cross into the previous
  // painting.
  void reset();
  // Makes a record array of this size ready in the background (for a large painting just
  // opened or created), so that its first snapshot and first Undo need not wait for it.
  void prepareSpare(size_t records);
  // Waits until a background copy is complete.
  void settle();

  bool canUndo() const { return snapshots_.size() > position_; }
  bool canRedo() const { return position_ >= 2; }

  size_t count() const { return snapshots_.size(); }
  size_t position() const { return position_; }
  bool liveSaved() const { return liveSaved_; }
  // The records of snapshot n (1 = newest), complete; for tests and benchmarks.
  const UndoSnapshot& snapshot(size_t n);

private:
  RestoreResult restore(size_t n, Canvas& canvas, Messages& messages) const;
  // A record array of n: a warm one when there is one; otherwise fresh, or (wait) the one
  // being warmed.
  RecordArray takeRecords(size_t n, bool waitForWarm);
  void recycle(RecordArray&& records);
  void dropRedoStates();
  void makeRoom();

  std::deque<UndoSnapshot> snapshots_;  // front is the newest
  size_t position_ = 0;
  bool liveSaved_ = false;
  std::unique_ptr<SnapshotCopy> copying_;
  Canvas* hooked_ = nullptr;
  RecordArray spare_;
  std::future<RecordArray> preparing_;
};

// Copies n records on both cores.
void copyRecords(const CanvasPixel* from, CanvasPixel* to, size_t n);

}  // namespace daubwell
