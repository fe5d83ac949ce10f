#include "DemoPainting.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace daubwell {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Point {
  double x, y;
};

struct Stroke {
  Point p0, p1, p2, p3;  // cubic curve, in fractions of the canvas size
  double radius;         // half width in pixels
  double thickness;      // paint height at the middle
  Rgb color;
};

const Stroke kStrokes[] = {
    {{0.06, 0.80}, {0.30, 0.55}, {0.55, 0.95}, {0.94, 0.70}, 26, 9, {32, 58, 140}},
    {{0.08, 0.20}, {0.35, 0.05}, {0.60, 0.45}, {0.92, 0.18}, 22, 8, {222, 170, 28}},
    {{0.15, 0.55}, {0.35, 0.30}, {0.55, 0.70}, {0.85, 0.42}, 17, 11, {176, 30, 46}},
    {{0.70, 0.08}, {0.60, 0.35}, {0.80, 0.60}, {0.66, 0.92}, 14, 7, {30, 120, 84}},
    {{0.25, 0.12}, {0.22, 0.40}, {0.35, 0.65}, {0.28, 0.93}, 11, 12, {240, 236, 226}},
    {{0.45, 0.62}, {0.55, 0.52}, {0.65, 0.62}, {0.78, 0.55}, 9, 14, {250, 120, 20}},
};

Point bezier(const Stroke& s, double t, double w, double h) {
  const double u = 1 - t;
  const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
  return {(a * s.p0.x + b * s.p1.x + c * s.p2.x + d * s.p3.x) * w,
          (a * s.p0.y + b * s.p1.y + c * s.p2.y + d * s.p3.y) * h};
}

// Smooth, repeatable ripple used as the paint's gloss.
double gloss(double x, double y) {
  return 0.5 + 0.25 * std::sin(x * 0.045 + 2.0 * std::sin(y * 0.031)) +
         0.25 * std::sin(y * 0.052 + 1.5 * std::cos(x * 0.027));
}

void layStroke(Canvas& c, const Stroke& s) {
  const int w = int(c.width), h = int(c.height);
  std::vector<float> paint(size_t(w) * h, 0.0f);  // the stroke's own height, max over dabs
  const double length = 2.5 * std::max(w, h);
  const int steps = int(length);
  for (int i = 0; i <= steps; ++i) {
    const double t = double(i) / steps;
    const Point p = bezier(s, t, w, h), q = bezier(s, std::min(1.0, t + 1e-3), w, h);
    double dx = q.x - p.x, dy = q.y - p.y;
    const double len = std::hypot(dx, dy);
    if (len == 0) continue;
    dx /= len;
    dy /= len;
    // The load of paint thins towards the end of the stroke and is heaped at its start.
    const double load = (1.0 - 0.45 * t) * (1.0 + 0.6 * std::exp(-t * 25.0));
    const double r = s.radius * (0.75 + 0.25 * std::sin(t * kPi));
    for (int y = std::max(0, int(p.y - r)); y <= std::min(h - 1, int(p.y + r)); ++y) {
      for (int x = std::max(0, int(p.x - r)); x <= std::min(w - 1, int(p.x + r)); ++x) {
        const double ox = x - p.x, oy = y - p.y;
        const double across = -ox * dy + oy * dx;
        const double dist2 = (ox * ox + oy * oy) / (r * r);
        if (dist2 >= 1.0) continue;
        const double bristles = 1.0 + 0.12 * std::sin(across * 2.0 * kPi / 4.5 + s.radius);
        const double v = 0.45 * s.thickness * load * std::sqrt(1.0 - dist2) * bristles;
        float& cell = paint[size_t(y) * w + x];
        cell = std::max(cell, float(v));
      }
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const float v = paint[size_t(y) * w + x];
      if (v <= 0.0f) continue;
      CanvasPixel& px = c.at(uint32_t(x), uint32_t(y));
      const double cover = std::min(1.0, v / 1.2);  // thin edges let the ground through
      auto mix = [cover](uint8_t under, uint8_t over) {
        return uint8_t(under + (over - under) * cover);
      };
      px.red = mix(px.red, s.color.r);
      px.green = mix(px.green, s.color.g);
      px.blue = mix(px.blue, s.color.b);
      px.highlight = uint8_t(std::max<double>(px.highlight * (1 - cover), 70.0 * gloss(x, y) * cover));
      px.shading = 255;
      px.height = float(px.height * 0.55 + v);
    }
  }
}

}  // namespace

void paintDemo(Canvas& canvas, uint32_t width, uint32_t height) {
  canvas.create(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      CanvasPixel& p = canvas.at(x, y);
      p.red = 236;
      p.green = 229;
      p.blue = 214;
      p.shading = 170;
      // Woven ground: threads every 3 pixels, warp and weft alternating.
      p.height = float(0.2 * std::sin(x * kPi / 1.5) * std::sin(y * kPi / 1.5) +
                       0.1 * std::sin(y * kPi / 3.0));
    }
  }
  for (const Stroke& s : kStrokes) layStroke(canvas, s);
  canvas.invalidateLighting();
}

}  // namespace daubwell
