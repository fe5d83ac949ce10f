#include "SnapshotCopy.h"

#include <algorithm>
#include <cstring>

namespace daubwell {

SnapshotCopy::SnapshotCopy(const CanvasPixel* source, CanvasPixel* target, uint32_t width, uint32_t height,
                           const RowSet& rows)
    : source_(source), target_(target), width_(width), height_(height),
      bandCount_((size_t(height) + kBandRows - 1) / kBandRows), remaining_(0) {
  bands_ = std::make_unique<std::atomic<uint8_t>[]>(bandCount_);
  for (size_t i = 0; i < bandCount_; ++i) bands_[i].store(kCopied);
  size_t waiting = 0;
  rows.forEachRun([&](uint32_t y0, uint32_t y1) {
    for (size_t b = y0 / kBandRows; b * kBandRows < y1; ++b)
      if (bands_[b].load() != kWaiting) {
        bands_[b].store(kWaiting);
        ++waiting;
      }
  });
  remaining_.store(waiting);
  if (waiting == 0) return;
  worker_ = std::thread([this] {
    for (size_t b = 0; b < bandCount_; ++b) copyBand(b);
  });
}

SnapshotCopy::~SnapshotCopy() { finish(); }

void SnapshotCopy::copyBand(size_t band) {
  uint8_t expected = kWaiting;
  if (bands_[band].compare_exchange_strong(expected, kCopying)) {
    const size_t first = band * kBandRows * width_;
    const size_t rows = std::min<size_t>(kBandRows, height_ - band * kBandRows);
    std::memcpy(target_ + first, source_ + first, rows * width_ * sizeof(CanvasPixel));
    bands_[band].store(kCopied);
    bands_[band].notify_all();
    --remaining_;
    return;
  }
  // The other side is copying it: wait for that.
  while (expected != kCopied) {
    bands_[band].wait(expected);
    expected = bands_[band].load();
  }
}

void SnapshotCopy::ensureRows(uint32_t y0, uint32_t y1) {
  if (done() || y0 >= y1) return;
  const size_t last = std::min<size_t>((std::min(y1, height_) + kBandRows - 1) / kBandRows, bandCount_);
  for (size_t b = y0 / kBandRows; b < last; ++b)
    if (bands_[b].load() != kCopied) copyBand(b);
}

void SnapshotCopy::finish() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace daubwell
