#pragma once
#include <vector>

namespace kelvane {

// A point or direction in the plane.
struct TPlanarVector {
  double X = 0, Y = 0;
};
using TPlanarPolygon = std::vector<TPlanarVector>;

double Distance(const TPlanarVector& p, const TPlanarVector& q);
// Distance of P from the infinite line through A and B (a zero-length AB does not divide
// by zero: eps sits under the root).
double LineDistance(const TPlanarVector& a, const TPlanarVector& b, const TPlanarVector& p);
// Distance of P from the segment A-B: from the nearer end when P's foot lies outside it.
double SegmentDistance(const TPlanarVector& a, const TPlanarVector& b, const TPlanarVector& p);

}  // namespace kelvane
