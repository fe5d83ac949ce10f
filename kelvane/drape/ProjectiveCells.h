#pragma once
#include <array>
#include <optional>

#include "KVXGridTools.h"
#include "OglRender.h"

// Projective texture mapping of a four-sided cell. Drawn as two triangles with plain
// texture coordinates, a cell that is not a parallelogram bends the pattern along its
// diagonal. Given to each corner as (s q, t q, 0, q), with q from the homography that
// maps the cell's outline onto its outline in the texture, the coordinates interpolate
// linearly over any triangle of the cell and, divided by q, give exactly that
// homography's coordinate: straight lines of the pattern stay straight in the cell.
namespace kelvane {

struct TTexCoord4 {
  double S = 0, T = 0, R = 0, Q = 1;
};

// A 3 x 3 projective map, row-major: (x, y) -> (m0 x + m1 y + m2, m3 x + m4 y + m5) / (m6 x + m7 y + m8).
using THomography = std::array<double, 9>;

// The map taking the four points `from` to the four points `to`, in order; none when
// either outline is degenerate (three corners on a line).
std::optional<THomography> QuadToQuad(const std::array<std::array<double, 2>, 4>& from,
                                      const std::array<std::array<double, 2>, 4>& to);
std::array<double, 2> MapPoint(const THomography& h, double x, double y);

// The corners' coordinates, in the order TopLeft, TopRight, BottomRight, BottomLeft, for
// the cell's node positions and placed texture coordinates (NodeTexCoord). None when
// the cell or its outline in the texture is not convex (the map would run through
// infinity inside it) or is degenerate; such cells are drawn as before.
std::optional<std::array<TTexCoord4, 4>> ProjectiveCellTexCoords(const TMapGrid& grid, const TMapCell& cell,
                                                                const TTexturePlacement& place);

}  // namespace kelvane
