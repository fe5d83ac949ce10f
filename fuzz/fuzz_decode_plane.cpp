// The block decoder on any stored plane: the first two bytes choose the size and level.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/BlockCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t w = 1 + (data[0] & 0x3F), h = 1 + (data[1] >> 2);
  const int level = 1 + (data[1] & 3) + (data[0] >> 7);
  std::vector<uint8_t> plane(size_t(w) * h);
  daubwell::ByteReader in({data + 2, size - 2});
  (void)daubwell::decodePlane(in, plane, w, h, level);
  return 0;
}
