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
#include "RowSet.h"
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

// A copy of the document's records; the shown image is recomputed on restore. `stale`
// holds the rows where the copy may differ from the canvas it was taken of: every write
// to the canvas adds its rows, and only those rows are copied when the snapshot is
// restored or its memory is used again.
struct UndoSnapshot {
  uint32_t width = 0, height = 0;
  RecordArray pixels;
  RowSet stale;
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
// Every snapshot is a complete copy of the records, but copies are made only of the rows
// that changed: the history hears of every write through the canvas's write hook, so a
// restore copies back just the rows painted since, and a new snapshot reuses the memory
// of a dropped one and brings only its out-of-date rows up to date. Where that is much
// (a painting's first snapshots), the copy runs in the background while writers take the
// rows they are about to change first, so a stroke never waits for it.
class UndoHistory {
public:
  static constexpr size_t kMaxSnapshots = 6;
  // Record arrays of dropped snapshots kept for reuse.
  static constexpr size_t kMaxSpares = 2;

  UndoHistory() = default;
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;
  // Moving finishes a background copy first; the canvas must then be passed again.
  UndoHistory(UndoHistory&& other) noexcept;
  UndoHistory& operator=(UndoHistory&& other) noexcept;
  ~UndoHistory();

  // Copies of at least this many records run in the background.
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
  // opened or created), so that its first snapshots need not wait for fresh memory.
  void prepareSpare(size_t records);
  // Waits until a background copy is complete.
  void settle();
  // Waits until the array prepareSpare makes is ready; for tests and benchmarks.
  void waitForSpare() const {
    if (preparing_.valid()) preparing_.wait();
  }

  bool canUndo() const { return snapshots_.size() > position_; }
  bool canRedo() const { return position_ >= 2; }

  size_t count() const { return snapshots_.size(); }
  size_t position() const { return position_; }
  bool liveSaved() const { return liveSaved_; }
  // The records of snapshot n (1 = newest), complete; for tests and benchmarks.
  const UndoSnapshot& snapshot(size_t n);
  // Records copied by snapshots and restores so far; for tests and benchmarks.
  size_t recordsCopied() const { return recordsCopied_; }

private:
  // Starts hearing of the canvas's writes; a canvas not heard of before makes every
  // snapshot wholly stale.
  void attach(Canvas& canvas);
  void detach();
  void noteWrite(uint32_t y0, uint32_t y1);
  RestoreResult restore(size_t n, Canvas& canvas, Messages& messages);
  // A snapshot of the canvas: the least stale spare of its size, else a warm or fresh
  // array; its stale rows are then copied, in the background when allowed and large.
  UndoSnapshot takeSnapshot(const Canvas& canvas, bool inBackground);
  RecordArray freshRecords(size_t n, bool waitForWarm);
  void recycle(UndoSnapshot&& s);
  void dropRedoStates();
  void makeRoom();

  std::deque<UndoSnapshot> snapshots_;  // front is the newest
  std::vector<UndoSnapshot> spares_;
  size_t position_ = 0;
  bool liveSaved_ = false;
  size_t recordsCopied_ = 0;
  std::unique_ptr<SnapshotCopy> copying_;
  Canvas* canvas_ = nullptr;
  std::future<RecordArray> preparing_;
};

// Copies n records on both cores.
void copyRecords(const CanvasPixel* from, CanvasPixel* to, size_t n);
// Copies the rows of `rows` of a width-wide array, on both cores when they are many.
void copyRows(const CanvasPixel* from, CanvasPixel* to, uint32_t width, const RowSet& rows);

}  // namespace daubwell
