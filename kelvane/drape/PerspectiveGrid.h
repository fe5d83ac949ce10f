#pragma once
#include <array>
#include <optional>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "KVXGridTools.h"
#include "PlanarMath.h"

// A lattice laid in perspective over a flat surface: its outline is a quadrilateral and
// its inside follows the projective mapping of the unit square onto it, so lines stay
// straight and the spacing shrinks with distance.
namespace kelvane {

// Corners in the order top left, top right, bottom right, bottom left.
using TQuad = std::array<TPlanarVector, 4>;

// The projective mapping that takes (0, 0), (1, 0), (1, 1), (0, 1) to the four corners.
class TProjectiveMap {
public:
  // Nothing when the corners do not make a convex quadrilateral (three in a line, a
  // crossed or folded outline), where the mapping would not be one to one.
  static std::optional<TProjectiveMap> FromUnitSquare(const TQuad& corners);
  TPlanarVector operator()(double u, double v) const;

private:
  double a_ = 1, b_ = 0, c_ = 0, d_ = 0, e_ = 1, f_ = 0, g_ = 0, h_ = 0;
};

// Whether the corners, in order, go round a convex quadrilateral (either way round).
bool IsConvexQuad(const TQuad& corners);

// Node positions of a lattice become the mapping of the regular lattice onto the
// quadrilateral (node units); U, V, Z and the cells stay. False, changing nothing, for a
// grid that is not a lattice or an outline that is not convex.
bool ApplyPerspective(TMapGrid& grid, const TQuad& corners);
// The outline of a lattice: its corner nodes (0, 0), (0, Cols), (Rows, Cols), (Rows, 0)
// in node units; nothing when the grid is not a lattice.
std::optional<TQuad> LatticeOutline(const TMapGrid& grid);
// The indices of those corner nodes, in the same order.
std::optional<std::array<int32_t, 4>> LatticeCornerNodes(const TMapGrid& grid);

// A new cols x rows lattice whose outline is the quadrilateral given in image pixels of a
// W x H image, with U = c / cols and V = r / rows on the lattice.
Status BuildPerspectiveGrid(TMapGrid& grid, const TQuad& pixelCorners, int width, int height, int cols, int rows);

// The bounding rectangle of the pixels a mask covers (value above 0), right and bottom
// exclusive; nothing for an empty mask.
std::optional<TRect> MaskBounds(const TByteMap& mask);
// "Fit Grid to Selection": a lattice of the grid's own columns and rows over the mask's
// bounding box. False, changing nothing, for an empty mask or a grid that is not a lattice.
bool FitGridToMask(TMapGrid& grid, const TByteMap& mask);

}  // namespace kelvane
