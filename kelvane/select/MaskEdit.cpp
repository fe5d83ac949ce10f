#include "MaskEdit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvane {

TMaskEditor::TMaskEditor(const TByteMap& mask) : maskLayer_(mask.Width(), mask.Height(), 0xFF000000u) {
  for (int y = 0; y < mask.Height(); ++y)
    for (int x = 0; x < mask.Width(); ++x) maskLayer_.SetPixel(x, y, 0xFF000000u | TColor32(mask.Value(x, y)) << 16);
  strokeLayer_.SetSize(mask.Width(), mask.Height());
}

TBitmap32 TMaskEditor::BrushStamp(int size, int intensity, TColor32 colour) {
  size = std::clamp(size, 1, 100);
  TBitmap32 s(size, size);
  const int cx = size / 2, cy = size / 2;
  const double R = std::max(cx, 1);  // a one-pixel brush keeps its single pixel
  const double a = std::abs(std::clamp(intensity, 1, 100) - 101);
  for (int j = 0; j < size; ++j)
    for (int i = 0; i < size; ++i) {
      const double f = ((i - cx) * (i - cx) + (j - cy) * (j - cy)) / (R * R) + 1;
      const double alpha = std::nearbyint((1 / (f * f * f) - 0.125) * 255 / a);
      s.SetPixel(i, j, (colour & 0x00FFFFFFu) | TColor32(std::clamp(alpha, 0.0, 255.0)) << 24);
    }
  return s;
}

std::vector<TPoint> TMaskEditor::StampCentres(TPoint from, TPoint to, int steps) {
  std::vector<TPoint> out;
  int x = from.x, y = from.y;
  const int dx = std::abs(to.x - x), dy = -std::abs(to.y - y), sx = x < to.x ? 1 : -1, sy = y < to.y ? 1 : -1;
  int err = dx + dy;
  double d = 0;
  for (;;) {
    if (d >= steps) {
      out.push_back({x, y});
      d = 0;
    }
    if (x == to.x && y == to.y) break;
    const int e2 = 2 * err;
    bool movedX = false, movedY = false;
    if (e2 >= dy) {
      err += dy;
      x += sx;
      movedX = true;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
      movedY = true;
    }
    d += movedX && movedY ? std::numbers::sqrt2 : 1.0;
  }
  return out;
}

void TMaskEditor::Stamp(TPoint p) {
  const int half = int(std::nearbyint(BrushSize / 2.0));
  stamp_.DrawTo(strokeLayer_, p.x - half, p.y - half);
}

void TMaskEditor::Circle(TPoint p, TColor32 colour) {
  const double e = std::max(1.0, std::nearbyint(BrushSize / 2.0));
  std::vector<std::pair<double, double>> pts;
  for (int k = 0; k < 64; ++k) {
    const double t = 2 * std::numbers::pi * k / 64;
    pts.push_back({p.x + 0.5 + e * std::cos(t), p.y + 0.5 + e * std::sin(t)});
  }
  FillPolygonAA(strokeLayer_, pts, colour);
}

void TMaskEditor::ThickLine(TPoint a, TPoint b, TColor32 colour) {
  const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
  if (len == 0) return;
  const double nx = -dy / len * BrushSize / 2, ny = dx / len * BrushSize / 2;
  const double ax = a.x + 0.5, ay = a.y + 0.5, bx = b.x + 0.5, by = b.y + 0.5;
  FillPolygonAA(strokeLayer_, {{ax + nx, ay + ny}, {bx + nx, by + ny}, {bx - nx, by - ny}, {ax - nx, ay - ny}}, colour);
}

void TMaskEditor::Press(TPoint p, bool left) {
  left_ = left;
  stroking_ = true;
  strokeLayer_.Clear(left ? 0x00FF0000u : 0x00000000u);
  if (Pencil) {
    // The right button's first dot erases too, as its strokes do.
    if (Circles) Circle(p, StrokeColour());
  } else {
    stamp_ = BrushStamp(BrushSize, Intensity, StrokeColour());
    stamp_.DrawMode = TDrawMode::dmBlend;
    Stamp(p);
  }
  last_ = p;
}

void TMaskEditor::Move(TPoint p) {
  if (!stroking_) return;
  if (Pencil) {
    ThickLine(last_, p, StrokeColour());
    if (BrushSize >= 2 && Circles) Circle(p, StrokeColour());
  } else {
    for (const TPoint& c : StampCentres(last_, p, std::max(Steps, 1))) Stamp(c);
  }
  last_ = p;
}

void TMaskEditor::Release() {
  if (!stroking_) return;
  stroking_ = false;
  strokeLayer_.DrawMode = TDrawMode::dmBlend;
  strokeLayer_.MasterAlpha = uint8_t(std::clamp(Opacity, 0, 255));
  strokeLayer_.DrawTo(maskLayer_, 0, 0);
}

TByteMap TMaskEditor::Result() const {
  TByteMap m(maskLayer_.Width(), maskLayer_.Height());
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) m.SetValue(x, y, RedComponent(maskLayer_.Pixel(x, y)));
  return m;
}

}  // namespace kelvane
