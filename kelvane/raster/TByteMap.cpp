#include "TByteMap.h"

#include <algorithm>

namespace kelvane {

bool TByteMap::SetSize(int width, int height, uint8_t fill) {
  if (width <= 0 || height <= 0) {
    bytes_.clear();
    width_ = height_ = 0;
    return width == 0 || height == 0;
  }
  if (width > TBitmap32::kMaxSide || height > TBitmap32::kMaxSide) return false;
  bytes_.assign(size_t(width) * height, fill);
  width_ = width;
  height_ = height;
  return true;
}

void TByteMap::Clear(uint8_t value) { std::fill(bytes_.begin(), bytes_.end(), value); }

TByteMap TByteMap::Resampled(int width, int height, TStretchFilter filter) const {
  // The bitmap resampler on grey pixels keeps one rule for both: the value travels in
  // the blue channel.
  TBitmap32 grey(width_, height_);
  for (size_t i = 0; i < bytes_.size(); ++i) grey.Bits()[i] = 0xFF000000u | bytes_[i];
  grey.StretchFilter = filter;
  const TBitmap32 scaled = grey.Resampled(width, height);
  TByteMap out;
  if (!out.SetSize(scaled.Width(), scaled.Height())) return out;
  for (size_t i = 0; i < out.bytes_.size(); ++i) out.bytes_[i] = uint8_t(scaled.Bits()[i]);
  return out;
}

}  // namespace kelvane
