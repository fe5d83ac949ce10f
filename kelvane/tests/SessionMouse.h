#pragma once
#include "app/TKVXEditSession.h"

// The mouse on a document session in image pixels, as the image view would hand it on.
namespace kelvane::test {

// The left button held at image pixel (bx, by) of the session's view.
inline TMouse LeftAt(const TKVXEditSession& s, double bx, double by) {
  const TPointD v = s.View.BitmapToView(bx, by);
  TMouse m;
  m.X = v.X;
  m.Y = v.Y;
  m.LeftHeld = true;
  return m;
}

// A left-button drag in image pixels: down, a move halfway, a move there, up.
inline void LeftDrag(TKVXEditSession& s, double x0, double y0, double x1, double y1) {
  s.MouseDown(LeftAt(s, x0, y0));
  s.MouseMove(LeftAt(s, (x0 + x1) / 2, (y0 + y1) / 2));
  s.MouseMove(LeftAt(s, x1, y1));
  s.MouseUp(LeftAt(s, x1, y1));
}

}  // namespace kelvane::test
