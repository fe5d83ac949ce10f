// PNG through libpng. Its errors arrive in a callback that must not return: we jump back
// and turn the message into a failure. Everything becomes 8-bit RGB: 16-bit samples
// keep their high byte (rounded, no gamma applied), alpha is dropped.
#include <png.h>

#include <cstdio>
#include <cstring>

#include "PictureReaders.h"

namespace daubwell {
namespace {

struct PngInput {
  std::span<const uint8_t> bytes;
  size_t pos = 0;
  bool finishing = false;  // every row is in: a lost end chunk loses no pixels
  char message[200] = "";
};

void onError(png_structp png, png_const_charp message) {
  auto* in = static_cast<PngInput*>(png_get_error_ptr(png));
  std::snprintf(in->message, sizeof in->message, "%s", message);
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Running out of bytes is an error: libpng's missing rows would be made up.
void readBytes(png_structp png, png_bytep out, size_t count) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (count > in->bytes.size() - in->pos) png_error(png, "the file is truncated");
  std::memcpy(out, in->bytes.data() + in->pos, count);
  in->pos += count;
}

}  // namespace

Result<RgbPicture> decodePng(std::span<const uint8_t> bytes) {
  PngInput in{bytes};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &in, onError, onWarning);
  if (!png) return fail("PNG: out of memory");
  png_infop info = png_create_info_struct(png);
  // What must be freed after a jump is made before it.
  RgbPicture* picture = new RgbPicture;
  std::vector<png_bytep>* rows = new std::vector<png_bytep>;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    delete rows;
    Result<RgbPicture> result = in.finishing ? Result<RgbPicture>(std::move(*picture))
                                             : Result<RgbPicture>(fail(std::string("PNG: ") + in.message));
    delete picture;
    return result;
  }
  if (!info) png_error(png, "out of memory");
  png_set_read_fn(png, &in, readBytes);
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const int depth = png_get_bit_depth(png, info), type = png_get_color_type(png, info);
  if (!pictureSizeFits(w, h)) {
    std::snprintf(in.message, sizeof in.message, "image size %ux%u out of range", w, h);
    png_longjmp(png, 1);
  }
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if ((type & PNG_COLOR_MASK_COLOR) == 0 && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (depth == 16) png_set_scale_16(png);
  if ((type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if (type & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(w) * 3) png_error(png, "unexpected row layout");
  picture->width = w;
  picture->height = h;
  picture->rgb.resize(size_t(w) * h * 3);
  rows->resize(h);
  for (png_uint_32 y = 0; y < h; ++y) (*rows)[y] = picture->rgb.data() + size_t(y) * w * 3;
  png_read_image(png, rows->data());
  in.finishing = true;
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  RgbPicture out = std::move(*picture);
  delete picture;
  delete rows;
  return out;
}

}  // namespace daubwell
