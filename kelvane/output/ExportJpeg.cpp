// libjpeg reports fatal errors through a callback that must not return: it jumps back
// into encode(), whose locals are all trivially destructible.
#include "ExportJpeg.h"

#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>  // needs size_t and FILE first

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"

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

// The rows go to libjpeg as they lie in memory (blue, green, red, alpha bytes, which it
// reads as BGRX), several at a time: no conversion pass of our own.
bool encode(jpeg_compress_struct* cinfo, ErrorManager* err, const TBitmap32& picture, int quality,
            unsigned char** buffer, unsigned long* size) {
  cinfo->err = jpeg_std_error(&err->pub);
  err->pub.error_exit = onError;
  if (setjmp(err->jump)) {
    jpeg_destroy_compress(cinfo);
    return false;
  }
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, buffer, size);
  cinfo->image_width = JDIMENSION(picture.Width());
  cinfo->image_height = JDIMENSION(picture.Height());
  cinfo->input_components = 4;
  cinfo->in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW rows[16];
    const unsigned first = cinfo->next_scanline;
    const unsigned n = cinfo->image_height - first < 16 ? cinfo->image_height - first : 16;
    for (unsigned k = 0; k < n; ++k)
      rows[k] = reinterpret_cast<JSAMPROW>(const_cast<TColor32*>(picture.ScanLine(int(first + k))));
    jpeg_write_scanlines(cinfo, rows, n);
  }
  jpeg_finish_compress(cinfo);
  jpeg_destroy_compress(cinfo);
  return true;
}

}  // namespace

int JpegQuality(double editValue) {
  if (!(editValue >= 1)) return 1;  // also NaN
  if (editValue >= 100) return 100;
  return int(std::nearbyint(editValue));
}

Result<std::vector<uint8_t>> EncodeJpeg(const TBitmap32& picture, int quality) {
  if (picture.Empty()) return fail("JPEG: the picture is empty");
  jpeg_compress_struct cinfo;
  ErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = encode(&cinfo, &err, picture, JpegQuality(quality), &buffer, &size);
  Result<std::vector<uint8_t>> out = ok ? Result<std::vector<uint8_t>>(std::vector<uint8_t>(buffer, buffer + size))
                                        : Result<std::vector<uint8_t>>(fail(std::string("JPEG: ") + err.message));
  std::free(buffer);
  return out;
}

Result<TJpegPreview> PreviewJpeg(const TBitmap32& picture, int quality) {
  auto bytes = EncodeJpeg(picture, quality);
  if (!bytes) return fail(bytes.error());
  auto decoded = ReadJpeg(bytes.value());
  if (!decoded) return fail(decoded.error());
  return TJpegPreview{JpegQuality(quality), bytes->size(), std::move(decoded.value())};
}

std::string JpegSizeText(size_t bytes) { return std::to_string(bytes) + " bytes"; }

Status ExportJpeg(const std::string& path, const TBitmap32& picture, int quality) {
  auto bytes = EncodeJpeg(picture, quality);
  if (!bytes) return fail(path + ": " + bytes.error());
  return SaveFileAtomically(path, bytes.value());
}

Status ExportPng(const std::string& path, const TBitmap32& picture) {
  auto bytes = WritePng(picture);
  if (!bytes) return fail(path + ": " + bytes.error());
  return SaveFileAtomically(path, bytes.value());
}

}  // namespace kelvane
