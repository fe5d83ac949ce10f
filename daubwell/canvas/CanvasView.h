#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace daubwell {

struct ZoomItem {
  int menuId;
  std::string_view caption;
  double factor;
};

// View > Zoom.
inline constexpr std::array<ZoomItem, 6> kZoomItems{{
    {1258, "25%", 0.25},
    {1259, "50%", 0.5},
    {1260, "100%", 1.0},
    {1261, "200%", 2.0},
    {1262, "300%", 3.0},
    {1263, "400%", 4.0},
}};

struct IntRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const IntRect&, const IntRect&) = default;
};

// The plain stretch copy that repaints a window rectangle of the canvas window:
// source is a rectangle of the surface, target a rectangle of the window.
struct ZoomCopy {
  IntRect source;
  IntRect target;
};

// The surface rectangle under a window update rectangle at the given zoom, and where it
// lands in the window; every coordinate truncated.
ZoomCopy zoomCopy(const IntRect& update, double zoom);

// The same copy with the source widened to whole canvas pixels, so that the target
// covers every window pixel of the update rectangle (a truncated copy leaves strips
// narrower than one canvas pixel unpainted when zoomed in); the source stays inside a
// canvas of width x height.
ZoomCopy zoomCover(const IntRect& update, double zoom, uint32_t width, uint32_t height);

// Client size of the canvas window for a canvas of the given size.
inline int zoomedSize(uint32_t size, double zoom) { return int(size * zoom); }

}  // namespace daubwell
