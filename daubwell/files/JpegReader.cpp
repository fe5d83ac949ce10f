// JPEG through libjpeg. Fatal errors arrive in a callback that must not return: we jump
// back and turn the message into a failure. Data that runs out is fatal too (libjpeg
// would fill the rest with grey); CMYK becomes RGB; the EXIF orientation is applied.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>  // needs size_t and FILE first
#include <jerror.h>

#include "PictureReaders.h"

namespace daubwell {
namespace {

struct JpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool finishing = false;  // every row is out
};

void onError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<JpegErrors*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (level < 0 && !err->finishing && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) onError(cinfo);
}

// Adobe files store CMYK inverted; each colour is its ink's complement darkened by black.
void cmykToRgb(const uint8_t* src, unsigned width, bool inverted, uint8_t* dst) {
  for (unsigned x = 0; x < width; ++x, src += 4, dst += 3) {
    const unsigned k = inverted ? src[3] : 255u - src[3];
    for (int i = 0; i < 3; ++i) {
      const unsigned ink = inverted ? src[i] : 255u - src[i];
      dst[i] = uint8_t((ink * k + 127) / 255);
    }
  }
}

}  // namespace

Result<RgbPicture> decodeJpeg(std::span<const uint8_t> bytes) {
  jpeg_decompress_struct cinfo;
  JpegErrors err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onError;
  err.pub.emit_message = onMessage;
  RgbPicture* picture = new RgbPicture;
  std::vector<uint8_t>* row = new std::vector<uint8_t>;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete picture;
    delete row;
    return fail(std::string("JPEG: ") + err.message);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (!pictureSizeFits(cinfo.image_width, cinfo.image_height)) {
    std::snprintf(err.message, sizeof err.message, "image size %ux%u out of range", cinfo.image_width,
                  cinfo.image_height);
    std::longjmp(err.jump, 1);
  }
  int orientation = 1;
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m && orientation == 1; m = m->next)
    orientation = exifOrientation({m->data, m->data_length});
  jpeg_start_decompress(&cinfo);
  const size_t rowBytes = size_t(cinfo.output_width) * 3;
  picture->width = cinfo.output_width;
  picture->height = cinfo.output_height;
  picture->rgb.resize(rowBytes * cinfo.output_height);
  row->resize(size_t(cinfo.output_width) * cinfo.output_components);
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* dst = picture->rgb.data() + rowBytes * cinfo.output_scanline;
    JSAMPROW rows[1] = {cmyk ? row->data() : dst};
    jpeg_read_scanlines(&cinfo, rows, 1);
    if (cmyk) cmykToRgb(row->data(), cinfo.output_width, cinfo.saw_Adobe_marker, dst);
  }
  err.finishing = true;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  RgbPicture out = orientation == 1 ? std::move(*picture) : orientPicture(*picture, orientation);
  delete picture;
  delete row;
  return out;
}

}  // namespace daubwell
