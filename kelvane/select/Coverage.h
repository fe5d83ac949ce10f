#pragma once
#include <vector>

#include "../raster/TBitmap32.h"

namespace kelvane {

struct TPoint {
  int x = 0, y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Coverage rasters: image-sized bitmaps, 0x00000000 outside the shape and opaque white
// inside; the red component of a pixel is its coverage. Every builder clips to C.

// A marquee rectangle from start to end, normalised: a drag leftward (or of zero width)
// reaches one pixel further right, one upward (or of zero height) one pixel further down.
TRect NormalisedMarquee(TPoint start, TPoint end);
void RectangleCoverage(TBitmap32& c, TPoint start, TPoint end);
// The ellipse inscribed in the normalised marquee, with an anti-aliased boundary.
void EllipseCoverage(TBitmap32& c, TPoint start, TPoint end);
// A closed polygon through the points, non-zero winding, anti-aliased (4 x 4 samples a
// pixel). Fewer than three points cover nothing.
void PolygonCoverage(TBitmap32& c, const std::vector<TPoint>& points);
// The same for points in floating point, adding `colour` weighted by coverage with
// source-over; used by the mask editor's pencil.
void FillPolygonAA(TBitmap32& target, const std::vector<std::pair<double, double>>& points, TColor32 colour);

// Colour tools. Tolerances are per channel, inclusive.
void ColorRangeCoverage(TBitmap32& c, const TBitmap32& image, TColor32 reference, int tolerance);
// Breadth-first, 4-connected, every candidate compared with the reference colour; the
// seed itself only when a selected neighbour reaches back to it. Outside the wand's
// region C is opaque black; C takes the image's size.
void MagicWandCoverage(TBitmap32& c, const TBitmap32& image, TPoint seed, TColor32 reference, int tolerance);
// The same by the plain breadth-first walk, one pixel at a time: the reference the fast
// wand is tested against.
void MagicWandCoverageReference(TBitmap32& c, const TBitmap32& image, TPoint seed, TColor32 reference, int tolerance);
// Hue, saturation and lightness strictly within dH, dS, dL of the reference (no wrap).
void HSLRangeCoverage(TBitmap32& c, const TBitmap32& image, TColor32 reference, float dH, float dS, float dL);

}  // namespace kelvane
