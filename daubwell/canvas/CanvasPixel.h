#pragma once
#include <cstddef>
#include <cstdint>

namespace daubwell {

// One record of the painting. The layout (including the three pad bytes) is also the
// body of version 1 paint documents, so it must not change.
struct CanvasPixel {
  uint8_t red = 255;
  uint8_t green = 255;
  uint8_t blue = 255;
  uint8_t highlight = 0;   // grey added to all channels, looked up through the relief
  uint8_t shading = 0;     // 0 = flat colour, 255 = fully lit
  uint8_t pad[3] = {0, 0, 0};
  float height = 0.0f;     // relief; may become negative
};

static_assert(sizeof(CanvasPixel) == 12, "CanvasPixel is a 12-byte file record");
static_assert(offsetof(CanvasPixel, shading) == 4);
static_assert(offsetof(CanvasPixel, height) == 8);

// The record of a blank canvas.
inline constexpr CanvasPixel kBlankPixel{};

}  // namespace daubwell
