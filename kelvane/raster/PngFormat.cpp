// PNG through libpng's simplified interface, in memory. Pixels are handed over as
// blue, green, red, alpha bytes, which is how 0xAARRGGBB words lie in memory.
#include <png.h>

#include <cstring>

#include "PictureFormats.h"

namespace kelvane {

Result<TBitmap32> ReadPng(std::span<const uint8_t> bytes) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    return fail(std::string("PNG: ") + image.message);
  TBitmap32 bmp;
  if (image.width > unsigned(TBitmap32::kMaxSide) || image.height > unsigned(TBitmap32::kMaxSide) ||
      !bmp.SetSize(int(image.width), int(image.height))) {
    png_image_free(&image);
    return fail("PNG: image size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                " out of range");
  }
  image.format = PNG_FORMAT_BGRA;
  if (!png_image_finish_read(&image, nullptr, bmp.Bits(), 0, nullptr))
    return fail(std::string("PNG: ") + image.message);
  return bmp;
}

Result<std::vector<uint8_t>> WritePng(const TBitmap32& bmp) {
  if (bmp.Empty()) return fail("PNG: the picture is empty");
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(bmp.Width());
  image.height = png_uint_32(bmp.Height());
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, bmp.Bits(), 0, nullptr))
    return fail(std::string("PNG: ") + image.message);
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, bmp.Bits(), 0, nullptr))
    return fail(std::string("PNG: ") + image.message);
  out.resize(size);
  return out;
}

}  // namespace kelvane
