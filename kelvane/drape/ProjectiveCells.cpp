#include "ProjectiveCells.h"

#include <algorithm>
#include <cmath>

namespace kelvane {

namespace {

using TQuad = std::array<std::array<double, 2>, 4>;

// The map from the unit square's corners (0,0), (1,0), (1,1), (0,1) onto the quad.
std::optional<THomography> SquareToQuad(const TQuad& q) {
  const double x0 = q[0][0], y0 = q[0][1], x1 = q[1][0], y1 = q[1][1], x2 = q[2][0], y2 = q[2][1], x3 = q[3][0],
               y3 = q[3][1];
  const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
  double g = 0, h = 0;
  if (sx != 0 || sy != 0) {
    const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const double den = dx1 * dy2 - dx2 * dy1;
    if (!(std::abs(den) > 1e-15)) return std::nullopt;
    g = (sx * dy2 - dx2 * sy) / den;
    h = (dx1 * sy - sx * dy1) / den;
  }
  THomography m = {x1 - x0 + g * x1, x3 - x0 + h * x3, x0, y1 - y0 + g * y1, y3 - y0 + h * y3, y0, g, h, 1};
  const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                     m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (!(std::abs(det) > 1e-15)) return std::nullopt;
  return m;
}

// The adjugate: the inverse up to a scale, which a projective map does not mind.
THomography Adjugate(const THomography& m) {
  return {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
          m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
          m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
}

THomography Multiply(const THomography& a, const THomography& b) {
  THomography c{};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k)
      c[size_t(3 * r + k)] = a[size_t(3 * r)] * b[size_t(k)] + a[size_t(3 * r + 1)] * b[size_t(3 + k)] +
                             a[size_t(3 * r + 2)] * b[size_t(6 + k)];
  return c;
}

double Weight(const THomography& h, double x, double y) { return h[6] * x + h[7] * y + h[8]; }

// Whether the quad's corners turn one way all round: a convex outline, not a dart or a
// bow tie.
bool Convex(const TQuad& q) {
  int sign = 0;
  for (size_t k = 0; k < 4; ++k) {
    const auto& a = q[k];
    const auto& b = q[(k + 1) % 4];
    const auto& c = q[(k + 2) % 4];
    const double cross = (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0]);
    if (!(std::abs(cross) > 1e-15)) return false;
    const int s = cross > 0 ? 1 : -1;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  return true;
}

}  // namespace

std::optional<THomography> QuadToQuad(const TQuad& from, const TQuad& to) {
  const auto a = SquareToQuad(from), b = SquareToQuad(to);
  if (!a || !b) return std::nullopt;
  return Multiply(*b, Adjugate(*a));
}

std::array<double, 2> MapPoint(const THomography& h, double x, double y) {
  const double w = Weight(h, x, y);
  return {(h[0] * x + h[1] * y + h[2]) / w, (h[3] * x + h[4] * y + h[5]) / w};
}

std::optional<std::array<TTexCoord4, 4>> ProjectiveCellTexCoords(const TMapGrid& grid, const TMapCell& cell,
                                                                const TTexturePlacement& place) {
  const int32_t corners[4] = {cell.TopLeft, cell.TopRight, cell.BottomRight, cell.BottomLeft};
  TQuad position, texture;
  for (size_t k = 0; k < 4; ++k) {
    if (corners[k] < 0 || size_t(corners[k]) >= grid.Nodes.size()) return std::nullopt;
    const TMapNode& n = grid.Nodes[size_t(corners[k])];
    const auto [s, t] = NodeTexCoord(place, n.U, n.V);
    position[k] = {n.X, n.Y};
    texture[k] = {s, t};
  }
  if (!Convex(position) || !Convex(texture)) return std::nullopt;
  const auto h = QuadToQuad(position, texture);
  if (!h) return std::nullopt;
  std::array<double, 4> q;
  for (size_t k = 0; k < 4; ++k) q[k] = Weight(*h, position[k][0], position[k][1]);
  // q must keep one sign over the cell, else the map runs through infinity inside it.
  const bool positive = q[0] > 0;
  double largest = 0;
  for (double v : q) {
    if (!std::isfinite(v) || v == 0 || (v > 0) != positive) return std::nullopt;
    largest = std::max(largest, std::abs(v));
  }
  std::array<TTexCoord4, 4> out;
  for (size_t k = 0; k < 4; ++k) {
    const double w = q[k] / (positive ? largest : -largest);
    out[k] = {texture[k][0] * w, texture[k][1] * w, 0, w};
  }
  return out;
}

}  // namespace kelvane
