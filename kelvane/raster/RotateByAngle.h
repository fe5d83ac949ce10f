#pragma once
#include "TBitmap32.h"

namespace kelvane {

// Rotation by `degrees` about the centre, positive clockwise on screen (y down); the
// size stays, uncovered areas are black, the source's one-pixel border is made
// transparent first so the edges come out smooth; resampled with the bitmap's filter.
TBitmap32 RotateByAngle(const TBitmap32& b, double degrees);

// The same rotation pixel by pixel, the rule written out plainly: what RotateByAngle's
// vector loop is checked against.
TBitmap32 RotateByAngleReference(const TBitmap32& b, double degrees);

}  // namespace kelvane
