#include "PngWriter.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "AtomicFile.h"

namespace daubwell {

Status writePng(const DisplaySurface& surface, const std::string& path) {
  if (!surface.valid()) return fail("nothing to write: the image is empty");
  const uint32_t w = surface.width(), h = surface.height();
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* src = surface.pictureRow(y);
    uint8_t* dst = rgb.data() + size_t(y) * w * 3;
    for (uint32_t x = 0; x < w; ++x, src += surface.bytesPerPixel(), dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr))
    return fail(std::string("PNG: ") + image.message);
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr))
    return fail(std::string("PNG: ") + image.message);
  png.resize(size);
  if (!saveFileAtomically(path, png)) return fail("cannot write " + path);
  return Ok{};
}

}  // namespace daubwell
