#include "CanvasView.h"

namespace daubwell {

ZoomCopy zoomCopy(const IntRect& update, double zoom) {
  const IntRect src{int(update.left / zoom), int(update.top / zoom), int(update.right / zoom),
                    int(update.bottom / zoom)};
  const int x = int(src.left * zoom), y = int(src.top * zoom);
  return {src, {x, y, x + int(src.width() * zoom), y + int(src.height() * zoom)}};
}

}  // namespace daubwell
