// PNG through libpng, in memory. libpng reports errors through a callback that must not
// return; we jump back to the reader and turn the message into a failure. Pixels are
// handed over as blue, green, red, alpha bytes, which is how 0xAARRGGBB words lie in
// memory.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "PictureFormats.h"

namespace kelvane {
namespace {

struct PngInput {
  std::span<const uint8_t> bytes;
  size_t pos = 0;
  bool finishing = false;  // every row is in: what follows cannot lose pixels
  char message[200] = "";
};

void onError(png_structp png, png_const_charp message) {
  auto* in = static_cast<PngInput*>(png_get_error_ptr(png));
  std::snprintf(in->message, sizeof in->message, "%s", message);
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}  // the picture is still whole

// A file that ends before libpng has all it needs is damaged: its missing rows would
// otherwise be made up.
void readBytes(png_structp png, png_bytep out, size_t count) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (count > in->bytes.size() - in->pos) png_error(png, "the file is truncated");
  std::memcpy(out, in->bytes.data() + in->pos, count);
  in->pos += count;
}

}  // namespace

Result<TBitmap32> ReadPng(std::span<const uint8_t> bytes) {
  PngInput in{bytes};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &in, onError, onWarning);
  if (!png) return fail("PNG: out of memory");
  png_infop info = png_create_info_struct(png);
  // What needs freeing after a jump lives outside the jump's scope.
  TBitmap32* bmp = new TBitmap32;
  std::vector<png_bytep>* rows = new std::vector<png_bytep>;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    delete rows;
    // A file cut after its last image data (its end chunk lost) still has every pixel.
    if (in.finishing) {
      TBitmap32 out = std::move(*bmp);
      delete bmp;
      return out;
    }
    delete bmp;
    return fail(std::string("PNG: ") + in.message);
  }
  if (!info) png_error(png, "out of memory");
  png_set_read_fn(png, &in, readBytes);
  png_set_user_limits(png, TBitmap32::kMaxSide, TBitmap32::kMaxSide);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const int depth = png_get_bit_depth(png, info), type = png_get_color_type(png, info);
  if (int64_t(w) * h > TBitmap32::kMaxPixels || !bmp->SetSizeUninitialized(int(w), int(h))) {
    std::snprintf(in.message, sizeof in.message, "image size %ux%u out of range", w, h);
    png_longjmp(png, 1);
  }
  // Everything becomes 8-bit B, G, R, A. 16-bit samples keep their high byte, rounded:
  // no gamma is applied, whatever the file says of its samples.
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if ((type & PNG_COLOR_MASK_COLOR) == 0 && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if ((type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // only where there is no alpha
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(w) * 4) png_error(png, "unexpected row layout");
  rows->resize(h);
  for (png_uint_32 y = 0; y < h; ++y) (*rows)[y] = reinterpret_cast<png_bytep>(bmp->ScanLine(int(y)));
  png_read_image(png, rows->data());
  in.finishing = true;
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  TBitmap32 out = std::move(*bmp);
  delete bmp;
  delete rows;
  return out;
}

}  // namespace kelvane
