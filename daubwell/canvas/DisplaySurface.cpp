#include "DisplaySurface.h"

#include <cstring>

#include "HugePages.h"

namespace daubwell {

void DisplaySurface::create(uint32_t width, uint32_t height, bool withAlpha) {
  bytesPerPixel_ = withAlpha ? 4 : 3;
  if (width == 0 || height == 0) {
    release();
    return;
  }
  width_ = width;
  height_ = height;
  stride_ = (size_t(width) * bytesPerPixel_ + 3) & ~size_t(3);
  const size_t n = stride_ * height;
  if (bits_.capacity() < n) reserveOnHugePages(bits_, n);  // a large painting's is rewritten whole
  bits_.assign(n, 0);
}

void DisplaySurface::release() {
  bits_.clear();
  bits_.shrink_to_fit();
  width_ = height_ = 0;
  stride_ = 0;
}

void DisplaySurface::setPixel(int64_t x, int64_t y, uint8_t r, uint8_t g, uint8_t b) {
  if (!inside(x, y)) return;
  uint8_t* p = pictureRow(uint32_t(y)) + size_t(x) * bytesPerPixel_;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

uint32_t DisplaySurface::pixel(int64_t x, int64_t y) const {
  if (!inside(x, y)) return 0;
  const uint8_t* p = pictureRow(uint32_t(y)) + size_t(x) * bytesPerPixel_;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void DisplaySurface::fill(uint8_t r, uint8_t g, uint8_t b) {
  for (uint32_t row = 0; row < height_; ++row) {
    uint8_t* p = memoryRow(row);
    for (uint32_t x = 0; x < width_; ++x, p += bytesPerPixel_) {
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  }
}

}  // namespace daubwell
