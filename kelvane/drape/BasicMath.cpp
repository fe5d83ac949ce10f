#include "BasicMath.h"

#include <cmath>
#include <numbers>

namespace kelvane {

double Sign(double x) { return x > 0 ? 1.0 : x == 0 ? 0.0 : -1.0; }
double Max(double a, double b) { return b > a ? b : a; }
double Min(double a, double b) { return b >= a ? a : b; }

double VectorAngle(double x, double y) {
  if (std::fabs(x) <= kEpsilon) return y > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  return std::atan2(y, x);
}

double AngleDifference(double a, double b) { return VectorAngle(std::cos(a - b), std::sin(a - b)); }

}  // namespace kelvane
