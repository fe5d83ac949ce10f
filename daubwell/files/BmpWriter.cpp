#include "BmpWriter.h"

#include <cstring>

#include "AtomicFile.h"
#include "ByteReader.h"

namespace daubwell {

std::vector<uint8_t> encodeBmp(const DisplaySurface& surface) {
  const uint32_t w = surface.width(), h = surface.height();
  const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> out(54 + stride * h, 0);
  uint8_t* p = out.data();
  p[0] = 'B';
  p[1] = 'M';
  putU32le(p + 2, uint32_t(out.size()));
  putU32le(p + 10, 54);        // pixel offset
  putU32le(p + 14, 40);        // info header size
  putU32le(p + 18, w);
  putU32le(p + 22, h);         // positive: rows bottom-up
  p[26] = 1;                   // planes
  p[28] = 24;                  // bits per pixel; compression, sizes and colours stay 0
  const int bpp = surface.bytesPerPixel();
  for (uint32_t r = 0; r < h; ++r) {
    const uint8_t* src = surface.memoryRow(r);
    uint8_t* dst = out.data() + 54 + r * stride;
    if (bpp == 3) {
      std::memcpy(dst, src, size_t(w) * 3);
    } else {
      for (uint32_t x = 0; x < w; ++x, src += bpp, dst += 3) std::memcpy(dst, src, 3);
    }
  }
  return out;
}

bool writeBmp(const DisplaySurface& surface, const std::string& path) {
  if (!surface.valid()) return false;
  return saveFileAtomically(path, encodeBmp(surface));
}

}  // namespace daubwell
