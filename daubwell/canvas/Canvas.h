#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "CanvasPixel.h"
#include "DisplaySurface.h"
#include "RowSet.h"

namespace daubwell {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Canvas kinds: only the document canvas divides mouse positions by the zoom.
inline constexpr int32_t kPreviewCanvas = 0;
inline constexpr int32_t kDocumentCanvas = 9;

// Told before the records of rows [y0, y1) change: the undo history notes which rows of
// its snapshots no longer agree with the canvas, and a snapshot still being copied in the
// background takes those rows first. A copy of a canvas does not carry it, and assigning
// to a canvas drops it.
class RowWriteHook {
public:
  RowWriteHook() = default;
  RowWriteHook(const RowWriteHook&) {}
  // A canvas given other records by assignment is no longer the one that was heard.
  RowWriteHook& operator=(const RowWriteHook&) {
    fn = nullptr;
    owner = nullptr;
    return *this;
  }
  void operator()(uint32_t y0, uint32_t y1) const {
    if (fn) fn(y0, y1);
  }
  std::function<void(uint32_t, uint32_t)> fn;
  const void* owner = nullptr;  // who set fn
};

// A painting: width x height records (row-major, row 0 at the top) and the lit image
// shown for them.
class Canvas {
public:
  Canvas();

  // (Re)creates records and surface at the given size, every record blank.
  void create(uint32_t width, uint32_t height);
  // Takes width x height records as they are (a painting read from a file).
  void adopt(uint32_t width, uint32_t height, std::vector<CanvasPixel>&& records);
  // Makes the canvas width x height for records that are all about to be written (a
  // painting read from a file) and returns them: the record memory is kept when the
  // number of records stays the same, and holds whatever it held.
  CanvasPixel* replaceRecords(uint32_t width, uint32_t height);
  // Blank records and a white surface.
  void clear();
  // Background of the brush and stroke previews: half the colour, half the pattern as
  // highlight (tiled every 400 pixels), fully lit, raised to 20.
  void fillPreview(Rgb color, const DisplaySurface& image);
  // Bilinear Image Size to newWidth x newHeight; the last column and row are held.
  void resample(uint32_t newWidth, uint32_t newHeight);
  void invalidateLighting() { lightingValid = false; }
  // Every writer of records says so first (rows [y0, y1), or all of them).
  void aboutToWrite(uint32_t y0, uint32_t y1) const {
    if (lit.whole) lit.changed.add(y0, y1);
    writeHook(y0, y1);
  }
  void aboutToWriteAll() const { aboutToWrite(0, height); }

  bool empty() const { return pixels.empty(); }
  CanvasPixel& at(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
  const CanvasPixel& at(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }

  int32_t kind = kPreviewCanvas;
  std::vector<CanvasPixel> pixels;
  DisplaySurface surface;
  uint32_t width = 0;
  uint32_t height = 0;
  float light[3];            // unit vector: x right, y towards the viewer, z down the rows
  bool lightingValid = false;
  bool highQuality = true;   // "High Quality (slow)"
  bool lightingOn = true;    // "Lighting"
  float spare = 0.0f;
  RowWriteHook writeHook;

  // Since the whole canvas was last relit (and with which display flags): the rows whose
  // records changed. Kept by aboutToWrite and relightAll; relightChanged uses it to
  // recompute only what a whole relight would change.
  struct LitState {
    bool whole = false;
    bool highQuality = false, lightingOn = false;
    RowSet changed;
  };
  mutable LitState lit;

private:
  // Empty records with room for n, in memory asked to be backed by huge pages.
  void makeRoomFor(size_t n);
};

}  // namespace daubwell
