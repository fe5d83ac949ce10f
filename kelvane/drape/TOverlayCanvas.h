#pragma once
#include <cstdint>

#include "../raster/TBitmap32.h"

namespace kelvane {

// A transparent bitmap that a window draws over its image view, and the rectangle of it
// that changed since the window last asked. Drawing writes pixels as they are (colour 0
// erases); the window blends the bitmap at its master alpha.
class TOverlayCanvas {
public:
  TBitmap32 Bitmap;

  // Resizes and clears; the whole bitmap is dirty. A side below 1 gives an empty canvas.
  void Resize(int width, int height);
  // Everything transparent again; the whole bitmap is dirty.
  void Clear();

  // A one-pixel aliased line from (x1, y1) to (x2, y2) without its last pixel. The ends
  // may lie far outside: the line is clipped to the bitmap first.
  void Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, TColor32 color);
  // Fills [Left, Right) x [Top, Bottom), clipped.
  void Fill(const TRect& r, TColor32 color);
  // A one-pixel frame just inside [Left, Right) x [Top, Bottom), clipped.
  void Frame(const TRect& r, TColor32 color);
  // A node marker of size e at (x, y): a frame from (x - e, y - e) to (x + e, y + e) and a
  // fill from (x - e + 1, y - e + 1) to (x + e - 1, y + e - 1), end coordinates exclusive.
  void Marker(int64_t x, int64_t y, int e, TColor32 fill, TColor32 frame);

  void MarkDirty(const TRect& r);
  // The changed rectangle (empty when nothing changed), forgotten once taken.
  TRect TakeDirty();
  const TRect& Dirty() const { return dirty_; }

private:
  TRect dirty_;
};

// An overlay coordinate held to a range where it converts to an integer safely; the
// clipping of the primitives does the rest.
int64_t OverlayCoordinate(double v);

}  // namespace kelvane
