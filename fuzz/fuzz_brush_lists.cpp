// The palette and stroke list readers on any bytes, and a thumbnail of every brush they
// yield: hostile brushes (any tool, size, strength) must paint without faults.
#include <cstddef>
#include <cstdint>

#include "files/BrushLists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const daubwell::PatternImages patterns;
  const daubwell::BrushPalette palette = daubwell::decodePalette({data, size});
  const daubwell::StrokeList strokes = daubwell::decodeStrokes({data, size});
  for (int i = 0; i < 2; ++i) {
    if (palette.slots[size_t(i)].used) (void)daubwell::brushThumbnail(palette.slots[size_t(i)].entry, patterns);
    if (strokes.slots[size_t(i)].used) (void)daubwell::strokeThumbnail(strokes.slots[size_t(i)].entry, 0, patterns);
  }
  return 0;
}
