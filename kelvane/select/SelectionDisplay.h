#pragma once
#include <vector>

#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "Coverage.h"

namespace kelvane {

// The mask at view resolution, two pixels larger than the view in each direction:
// display pixel (u, v) takes the source pixel nearest to where it lies under the view
// transform (scale s, offset (ox, oy)), 0 outside the source.
TByteMap DisplayMask(const TByteMap& source, int viewWidth, int viewHeight, double scale, double ox, double oy);

// The marching ants: a phase shared by all windows (0..50, stepped down each tick), the
// edge pixels of the display mask, and their colours.
class TMarchingAnts {
public:
  // One 300 ms tick: steps the phase; draws the cached edge when it belongs to this
  // layer bitmap, else rebuilds the cache (drawing on the next tick).
  void Tick(TBitmap32& layer, const TByteMap& display, const TRect& visible);
  void Invalidate() { cacheOwner_ = nullptr; }

  int Phase() const { return phase_; }
  void SetPhase(int p) { phase_ = p; }
  const std::vector<TPoint>& Edge() const { return edge_; }

  // Opaque white when (phase + |x + y|) mod 10 <= 5, else opaque black.
  static TColor32 Colour(int x, int y, int phase);
  // Edge pixels: above 5 with a neighbour at 4 or less (outside counts as 0), over the
  // visible rectangle, both ends inclusive.
  static std::vector<TPoint> FindEdge(const TByteMap& display, const TRect& visible);

private:
  int phase_ = 0;
  const TColor32* cacheOwner_ = nullptr;
  std::vector<TPoint> edge_;
};

}  // namespace kelvane
