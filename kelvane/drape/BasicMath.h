#pragma once

namespace kelvane {

// The one tolerance for "almost zero" in the planar helpers.
inline constexpr double kEpsilon = 1e-8;

double Sign(double x);             // +1 when x > 0, 0 when x = 0, -1 otherwise
double Max(double a, double b);    // b when b > a, otherwise a
double Min(double a, double b);    // a when b >= a, otherwise b
// Direction of (x, y) in radians; a vector with |x| <= eps points straight up or down.
double VectorAngle(double x, double y);
// a - b brought into -pi..pi.
double AngleDifference(double a, double b);

}  // namespace kelvane
