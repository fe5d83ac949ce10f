#pragma once
#include <vector>

#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "Coverage.h"

namespace kelvane {

// The mask editor's painting: strokes are drawn on a stroke layer and blended into the
// mask layer (red = mask value) at the opacity when the button is released. The left
// button paints red (adds), the right one black (removes).
class TMaskEditor {
public:
  explicit TMaskEditor(const TByteMap& mask);

  int BrushSize = 50;   // 1..100, diameter in image pixels
  int Intensity = 100;  // 1..100, peak opacity of the brush stamp
  int Steps = 1;        // 1..100, pixels between brush stamps
  int Opacity = 255;    // 0..255, master alpha of the stroke layer
  bool Pencil = false;
  bool Circles = true;  // round pencil ends

  void Press(TPoint p, bool left);
  void Move(TPoint p);
  void Release();
  // What OK hands back: the red component of the mask layer.
  TByteMap Result() const;

  // The brush stamp: a square of side `size` in `colour`, alpha falling off from
  // round(223.125 / a) at the centre to 0 at the half side, a = |intensity - 101|.
  static TBitmap32 BrushStamp(int size, int intensity, TColor32 colour);
  // Where a brush move from `from` to `to` puts stamps: the Bresenham walk with a running
  // distance that restarts at 0; a stamp where the distance has reached `steps`.
  static std::vector<TPoint> StampCentres(TPoint from, TPoint to, int steps);

  const TBitmap32& MaskLayer() const { return maskLayer_; }
  // The stroke being drawn, shown over the mask layer at the opacity until release.
  const TBitmap32& StrokeLayer() const { return strokeLayer_; }
  bool Stroking() const { return stroking_; }

private:
  TColor32 StrokeColour() const { return left_ ? 0xFFFF0000u : 0xFF000000u; }
  void Stamp(TPoint p);
  void Circle(TPoint p, TColor32 colour);
  void ThickLine(TPoint a, TPoint b, TColor32 colour);

  TBitmap32 maskLayer_, strokeLayer_, stamp_;
  TPoint last_;
  bool left_ = true;
  bool stroking_ = false;
};

}  // namespace kelvane
