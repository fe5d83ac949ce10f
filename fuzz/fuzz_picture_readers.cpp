// The BMP, JPEG and PNG readers on any bytes: the first byte picks the reader.
#include <cstddef>
#include <cstdint>

#include "raster/PictureFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: (void)kelvane::ReadBmp(rest); break;
    case 1: (void)kelvane::ReadJpeg(rest); break;
    default: (void)kelvane::ReadPng(rest); break;
  }
  return 0;
}
