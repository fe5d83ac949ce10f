#include "PlanarMath.h"

#include <cmath>

#include "BasicMath.h"

namespace kelvane {

double Distance(const TPlanarVector& p, const TPlanarVector& q) {
  return std::sqrt((p.X - q.X) * (p.X - q.X) + (p.Y - q.Y) * (p.Y - q.Y));
}

double LineDistance(const TPlanarVector& a, const TPlanarVector& b, const TPlanarVector& p) {
  const double la = b.Y - a.Y, lb = a.X - b.X;
  return std::fabs(la * p.X + lb * p.Y - la * a.X - lb * a.Y) / std::sqrt(la * la + lb * lb + kEpsilon);
}

double SegmentDistance(const TPlanarVector& a, const TPlanarVector& b, const TPlanarVector& p) {
  // A + s (B - A) = P + t D with D = (-(B.Y - A.Y), B.X - A.X), perpendicular to AB:
  // s (B - A) - t D = P - A, solved by Cramer's rule.
  const double ex = b.X - a.X, ey = b.Y - a.Y;
  const double dx = -ey, dy = ex;
  const double det = ex * (-dy) - (-dx) * ey;
  if (std::fabs(det) < kEpsilon) return Distance(p, a);  // A and B coincide
  const double rx = p.X - a.X, ry = p.Y - a.Y;
  const double s = (rx * (-dy) - (-dx) * ry) / det;
  if (s < 0) return Distance(p, a);
  if (s > 1) return Distance(p, b);
  return LineDistance(a, b, p);
}

}  // namespace kelvane
