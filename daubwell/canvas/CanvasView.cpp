#include "CanvasView.h"

#include <algorithm>
#include <cmath>

namespace daubwell {

ZoomCopy zoomCopy(const IntRect& update, double zoom) {
  const IntRect src{int(update.left / zoom), int(update.top / zoom), int(update.right / zoom),
                    int(update.bottom / zoom)};
  const int x = int(src.left * zoom), y = int(src.top * zoom);
  return {src, {x, y, x + int(src.width() * zoom), y + int(src.height() * zoom)}};
}

ZoomCopy zoomCover(const IntRect& update, double zoom, uint32_t width, uint32_t height) {
  auto down = [zoom](int v, uint32_t limit) { return std::clamp(int(std::floor(v / zoom)), 0, int(limit)); };
  auto up = [zoom](int v, uint32_t limit) { return std::clamp(int(std::ceil(v / zoom)), 0, int(limit)); };
  const IntRect src{down(update.left, width), down(update.top, height), up(update.right, width),
                    up(update.bottom, height)};
  return {src, {int(src.left * zoom), int(src.top * zoom), int(src.right * zoom), int(src.bottom * zoom)}};
}

}  // namespace daubwell
