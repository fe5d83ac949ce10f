#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "TColor32.h"

namespace kelvane {

enum class TDrawMode { dmOpaque, dmBlend };
enum class TStretchFilter { sfNearest, sfLinear };

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

// Memory for large pixel buffers, in huge pages where the system offers them: a fresh
// 48 MB bitmap then costs a few dozen page faults instead of twelve thousand. A few freed
// buffers are kept and handed out again for the same size, so a bitmap made and dropped
// over and over costs none. FreeLargeBuffer takes the size that was asked for.
void* AllocateLargeBuffer(size_t bytes);
void FreeLargeBuffer(void* p, size_t bytes);
inline constexpr size_t kLargeBufferBytes = size_t(4) << 20;

// An allocator whose resize leaves new pixels uninitialised, for buffers that are
// written whole right away; large buffers come from AllocateLargeBuffer.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  using std::allocator<T>::allocator;
  T* allocate(size_t n) {
    if (n * sizeof(T) < kLargeBufferBytes) return std::allocator<T>::allocate(n);
    return static_cast<T*>(AllocateLargeBuffer(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kLargeBufferBytes)
      std::allocator<T>::deallocate(p, n);
    else
      FreeLargeBuffer(p, n * sizeof(T));
  }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// The raster of the program: Width x Height 0xAARRGGBB pixels, rows top to bottom. Copies
// carry the outer colour, drawing mode, master alpha and filter along with the pixels.
class TBitmap32 {
public:
  static constexpr int kMaxSide = 32768;
  static constexpr int64_t kMaxPixels = int64_t(1) << 28;  // 1 GiB of pixels

  TBitmap32() = default;
  TBitmap32(int width, int height, TColor32 fill = 0) { SetSize(width, height, fill); }
  // Copies take the pixels in one block copy (in parallel when large).
  TBitmap32(const TBitmap32& other) { CopyFrom(other); }
  TBitmap32& operator=(const TBitmap32& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  TBitmap32(TBitmap32&&) = default;
  TBitmap32& operator=(TBitmap32&&) = default;

  // Resizes and fills; a side of 0 or less gives an empty bitmap. Sides are capped at
  // kMaxSide, and false means the size was refused.
  bool SetSize(int width, int height, TColor32 fill = 0);
  // Resizes without clearing: the pixels are garbage until written.
  bool SetSizeUninitialized(int width, int height);
  // Outer colour, drawing mode, master alpha and filter of another bitmap.
  void CopySettingsFrom(const TBitmap32& other) {
    OuterColor = other.OuterColor;
    DrawMode = other.DrawMode;
    MasterAlpha = other.MasterAlpha;
    StretchFilter = other.StretchFilter;
  }
  void Clear(TColor32 color);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  TRect BoundsRect() const { return {0, 0, width_, height_}; }

  TColor32* Bits() { return pixels_.data(); }
  const TColor32* Bits() const { return pixels_.data(); }
  TColor32* ScanLine(int y) { return pixels_.data() + size_t(y) * width_; }
  const TColor32* ScanLine(int y) const { return pixels_.data() + size_t(y) * width_; }

  // Reads outside the bounds give the outer colour; writes outside are ignored.
  TColor32 Pixel(int x, int y) const {
    return Inside(x, y) ? pixels_[size_t(y) * width_ + x] : OuterColor;
  }
  void SetPixel(int x, int y, TColor32 c) {
    if (Inside(x, y)) pixels_[size_t(y) * width_ + x] = c;
  }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Fills the rectangle (clipped) with the colour, replacing the pixels.
  void FillRect(const TRect& r, TColor32 color);
  // Blends the colour over the rectangle (clipped).
  void FillRectBlend(const TRect& r, TColor32 color);
  // An aliased line from (x1, y1) to (x2, y2), both ends included.
  void Line(int x1, int y1, int x2, int y2, TColor32 color);

  // Draws this bitmap onto `dst` with its top-left at (x, y), opaque or blended at the
  // master alpha according to this bitmap's drawing mode.
  void DrawTo(TBitmap32& dst, int x, int y) const;
  // Draws this bitmap stretched onto the rectangle of `dst` (clipped) with this bitmap's
  // filter and drawing mode.
  void DrawTo(TBitmap32& dst, const TRect& dstRect) const;

  // Same content and settings, resampled to the new size with this bitmap's filter.
  TBitmap32 Resampled(int width, int height) const;

  TColor32 OuterColor = 0;
  TDrawMode DrawMode = TDrawMode::dmOpaque;
  uint8_t MasterAlpha = 255;
  TStretchFilter StretchFilter = TStretchFilter::sfNearest;

private:
  void CopyFrom(const TBitmap32& other);
  void StretchTo(TBitmap32& dst, const TRect& dstRect, bool blend) const;

  std::vector<TColor32, DefaultInitAllocator<TColor32>> pixels_;
  int width_ = 0, height_ = 0;
};

// The linear stretch of `src` onto the rectangle `r` of `dst` (clipped, opaque), pixel by
// pixel: target pixel d along each axis samples the source at (d + 0.5) src / dst - 0.5,
// held inside the source; the two rows are mixed by LerpPixel at the row weight, then the
// two columns at the column weight. The plain form of the rule the stretcher follows.
void StretchLinearReference(const TBitmap32& src, TBitmap32& dst, const TRect& r);

}  // namespace kelvane
