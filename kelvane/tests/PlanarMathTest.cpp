#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "drape/BasicMath.h"
#include "drape/PlanarMath.h"

namespace kelvane {
namespace {

TEST(BasicMath, SignMinMax) {
  EXPECT_EQ(Sign(2.5), 1);
  EXPECT_EQ(Sign(0.0), 0);
  EXPECT_EQ(Sign(-1e-300), -1);
  EXPECT_EQ(Max(1, 2), 2);
  EXPECT_EQ(Min(1, 2), 1);
}

TEST(BasicMath, VectorAngleTreatsNearlyVerticalVectorsAsVertical) {
  EXPECT_DOUBLE_EQ(VectorAngle(0, 0), -std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(VectorAngle(1e-9, -5), -std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(VectorAngle(1e-9, 5), std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(VectorAngle(-1, 0), std::numbers::pi);
  EXPECT_DOUBLE_EQ(VectorAngle(1, 1), std::numbers::pi / 4);
}

TEST(BasicMath, AngleDifferenceWrapsIntoMinusPiToPi) {
  EXPECT_NEAR(AngleDifference(3, -3), 6 - 2 * std::numbers::pi, 1e-12);
  EXPECT_NEAR(AngleDifference(0.5, 0.25), 0.25, 1e-12);
}

TEST(PlanarMath, SegmentDistanceUsesTheNearerEndOutsideTheSegment) {
  EXPECT_DOUBLE_EQ(SegmentDistance({0, 0}, {1, 0}, {2, 1}), std::sqrt(2.0));
  EXPECT_NEAR(SegmentDistance({0, 0}, {1, 0}, {0.5, 1}), 1.0, 1e-8);
  EXPECT_DOUBLE_EQ(SegmentDistance({0, 0}, {1, 0}, {-3, 4}), 5.0);
  EXPECT_DOUBLE_EQ(SegmentDistance({1, 1}, {1, 1}, {4, 5}), 5.0);  // a point segment
}

TEST(PlanarMath, LineDistanceOfADegenerateLineDoesNotDivideByZero) {
  EXPECT_TRUE(std::isfinite(LineDistance({1, 1}, {1, 1}, {3, 3})));
  EXPECT_NEAR(LineDistance({0, 0}, {0, 2}, {3, 7}), 3.0, 1e-8);
}

}  // namespace
}  // namespace kelvane
