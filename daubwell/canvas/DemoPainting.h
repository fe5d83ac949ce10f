#pragma once
#include <cstdint>

#include "Canvas.h"

namespace daubwell {

// Paints the sample picture into the canvas (recreated at the given size): a primed,
// woven ground and a handful of thick, glossy brush strokes with bristle grooves, so
// that the lit display has relief and highlights to show.
void paintDemo(Canvas& canvas, uint32_t width = 640, uint32_t height = 420);

}  // namespace daubwell
