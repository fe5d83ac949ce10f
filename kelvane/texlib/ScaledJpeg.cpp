// libjpeg reports fatal errors through a callback that must not return: it jumps back
// into decode(), whose locals are all trivially destructible, and the caller turns the
// message into a failure.
#include "ScaledJpeg.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>

#include <jpeglib.h>  // needs size_t and FILE first

#ifndef JCS_EXTENSIONS
#error "libjpeg with the BGRX colour space (libjpeg-turbo) is needed"
#endif

namespace kelvane {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (level -1: corrupt or truncated data) end the reduced decoding too.
void onMessage(j_common_ptr cinfo, int level) {
  if (level < 0) onError(cinfo);
}

// Decodes into *out (or only the size when out is null); false with err->message set.
bool decode(jpeg_decompress_struct* cinfo, ErrorManager* err, std::span<const uint8_t> bytes, int minSide,
            TBitmap32* out, int* width, int* height) {
  cinfo->err = jpeg_std_error(&err->pub);
  err->pub.error_exit = onError;
  err->pub.emit_message = onMessage;
  err->message[0] = 0;
  if (setjmp(err->jump)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(cinfo, TRUE);
  *width = int(cinfo->image_width);
  *height = int(cinfo->image_height);
  if (!out) {
    jpeg_destroy_decompress(cinfo);
    return true;
  }
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) {
    std::snprintf(err->message, sizeof err->message, "CMYK pictures are left to the full reader");
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  const unsigned longer = cinfo->image_width > cinfo->image_height ? cinfo->image_width : cinfo->image_height;
  unsigned denom = 8;
  while (denom > 1 && (longer + denom - 1) / denom < unsigned(minSide)) denom /= 2;
  cinfo->scale_num = 1;
  cinfo->scale_denom = denom;
  cinfo->out_color_space = JCS_EXT_BGRX;  // 0xAARRGGBB words as they lie in memory, X = 0xFF
  jpeg_calc_output_dimensions(cinfo);
  if (cinfo->output_width > unsigned(TBitmap32::kMaxSide) || cinfo->output_height > unsigned(TBitmap32::kMaxSide) ||
      !out->SetSizeUninitialized(int(cinfo->output_width), int(cinfo->output_height))) {
    std::snprintf(err->message, sizeof err->message, "image size %ux%u out of range", cinfo->image_width,
                  cinfo->image_height);
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_start_decompress(cinfo);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW rows[16];
    const unsigned first = cinfo->output_scanline;
    const unsigned n = cinfo->output_height - first < 16 ? cinfo->output_height - first : 16;
    for (unsigned k = 0; k < n; ++k) rows[k] = reinterpret_cast<JSAMPROW>(out->ScanLine(int(first + k)));
    jpeg_read_scanlines(cinfo, rows, n);
  }
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return true;
}

}  // namespace

Result<TBitmap32> ReadJpegReduced(std::span<const uint8_t> bytes, int minSide) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  TBitmap32 out;
  int w = 0, h = 0;
  if (!decode(&cinfo, &err, bytes, minSide, &out, &w, &h)) return fail(std::string("JPEG: ") + err.message);
  return out;
}

Result<std::pair<int, int>> ReadJpegSize(std::span<const uint8_t> bytes) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  int w = 0, h = 0;
  if (!decode(&cinfo, &err, bytes, 0, nullptr, &w, &h)) return fail(std::string("JPEG: ") + err.message);
  return std::pair{w, h};
}

}  // namespace kelvane
