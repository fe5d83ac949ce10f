#pragma once
#include <cstdint>
#include <vector>

#include "TBitmap32.h"

namespace kelvane {

// A raster of bytes, used for masks: 0 outside, 255 fully inside, values between for
// partly covered pixels.
class TByteMap {
public:
  TByteMap() = default;
  TByteMap(int width, int height, uint8_t fill = 0) { SetSize(width, height, fill); }

  bool SetSize(int width, int height, uint8_t fill = 0);
  void Clear(uint8_t value);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  uint8_t* Bits() { return bytes_.data(); }
  const uint8_t* Bits() const { return bytes_.data(); }
  uint8_t* ScanLine(int y) { return bytes_.data() + size_t(y) * width_; }
  const uint8_t* ScanLine(int y) const { return bytes_.data() + size_t(y) * width_; }
  // Reads outside give 0; writes outside are ignored.
  uint8_t Value(int x, int y) const { return Inside(x, y) ? bytes_[size_t(y) * width_ + x] : 0; }
  void SetValue(int x, int y, uint8_t v) {
    if (Inside(x, y)) bytes_[size_t(y) * width_ + x] = v;
  }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // The map resampled to a new size with the same rules as the bitmap resampler.
  TByteMap Resampled(int width, int height, TStretchFilter filter) const;

  friend bool operator==(const TByteMap&, const TByteMap&) = default;

private:
  std::vector<uint8_t> bytes_;
  int width_ = 0, height_ = 0;
};

}  // namespace kelvane
