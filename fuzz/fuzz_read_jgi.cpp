// The image cache reader on any bytes, as a grey and as a colour image.
#include <cstddef>
#include <cstdint>

#include "files/ImageCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  daubwell::DisplaySurface s;
  (void)daubwell::decodeJgi(s, {data, size}, true);
  (void)daubwell::decodeJgi(s, {data, size}, false);
  return 0;
}
