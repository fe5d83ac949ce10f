// Any bytes given to the paint document reader end in an error or a painting.
#include <cstddef>
#include <cstdint>

#include "files/PaintDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  daubwell::ParsedDocument d = daubwell::parseDocument({data, size});
  if (d.ok() && d.content.pixels.size() != size_t(d.content.header.width) * size_t(d.content.header.height))
    __builtin_trap();
  return 0;
}
