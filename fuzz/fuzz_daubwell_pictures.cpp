// Import Image's in-process readers (BMP, PNG, JPEG) on any bytes: the first byte picks
// the reader. TIFF runs in a child process and is left out.
#include <cstddef>
#include <cstdint>

#include "files/PictureReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: (void)daubwell::decodeBmp(rest); break;
    case 1: (void)daubwell::decodeJpeg(rest); break;
    default: (void)daubwell::decodePng(rest); break;
  }
  return 0;
}
