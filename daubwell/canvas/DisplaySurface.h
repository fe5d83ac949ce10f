#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace daubwell {

// The shown image of a canvas, and the in-memory form of pattern images and window
// graphics. Rows are stored bottom-up, pixels as blue, green, red (and alpha when made
// with alpha); each row is padded to a multiple of 4 bytes, as a device-independent
// bitmap is. Reads outside the surface (or from an empty one) give 0; writes outside are
// ignored.
class DisplaySurface {
public:
  DisplaySurface() = default;

  // (Re)allocates the surface, filled with black. A zero size leaves it empty.
  void create(uint32_t width, uint32_t height, bool withAlpha = false);
  void release();

  bool valid() const { return !bits_.empty(); }
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  int bytesPerPixel() const { return bytesPerPixel_; }
  bool hasAlpha() const { return bytesPerPixel_ == 4; }
  size_t stride() const { return stride_; }

  // Memory row r (0 = bottom row of the picture).
  uint8_t* memoryRow(uint32_t r) { return bits_.data() + r * stride_; }
  const uint8_t* memoryRow(uint32_t r) const { return bits_.data() + r * stride_; }
  // Picture row y (0 = top), i.e. memory row height - 1 - y.
  uint8_t* pictureRow(uint32_t y) { return memoryRow(height_ - 1 - y); }
  const uint8_t* pictureRow(uint32_t y) const { return memoryRow(height_ - 1 - y); }

  void setPixel(int64_t x, int64_t y, uint8_t r, uint8_t g, uint8_t b);
  // 0x00RRGGBB of picture pixel (x, y); 0 outside or when empty.
  uint32_t pixel(int64_t x, int64_t y) const;
  // The red byte, which is how grey images are read.
  uint8_t grey(int64_t x, int64_t y) const { return uint8_t(pixel(x, y) >> 16); }

  void fill(uint8_t r, uint8_t g, uint8_t b);

  const std::vector<uint8_t>& bytes() const { return bits_; }

private:
  bool inside(int64_t x, int64_t y) const {
    return valid() && x >= 0 && y >= 0 && x < int64_t(width_) && y < int64_t(height_);
  }

  std::vector<uint8_t> bits_;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  int bytesPerPixel_ = 3;
  size_t stride_ = 0;
};

}  // namespace daubwell
