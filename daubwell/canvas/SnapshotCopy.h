#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "CanvasPixel.h"
#include "RowSet.h"

namespace daubwell {

// Copies a canvas's records into a snapshot in the background, band by band. A writer
// calls ensureRows before it changes rows; bands not yet copied are copied first, so the
// snapshot holds exactly the records as they were when the copy began. Only the bands
// that hold a row of `rows` are copied: the others already agree.
class SnapshotCopy {
public:
  static constexpr uint32_t kBandRows = 32;

  // Both arrays hold width * height records and outlive the copy.
  SnapshotCopy(const CanvasPixel* source, CanvasPixel* target, uint32_t width, uint32_t height,
               const RowSet& rows);
  SnapshotCopy(const SnapshotCopy&) = delete;
  SnapshotCopy& operator=(const SnapshotCopy&) = delete;
  ~SnapshotCopy();

  // Rows [y0, y1) are in the snapshot when this returns.
  void ensureRows(uint32_t y0, uint32_t y1);
  // Everything is in the snapshot and the background thread has ended.
  void finish();
  bool done() const { return remaining_.load() == 0; }

private:
  enum : uint8_t { kWaiting, kCopying, kCopied };
  void copyBand(size_t band);

  const CanvasPixel* source_;
  CanvasPixel* target_;
  uint32_t width_, height_;
  std::unique_ptr<std::atomic<uint8_t>[]> bands_;
  size_t bandCount_;
  std::atomic<size_t> remaining_;
  std::thread worker_;
};

}  // namespace daubwell
