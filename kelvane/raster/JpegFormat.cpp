// JPEG through libjpeg, in memory. libjpeg reports fatal errors through a callback that
// must not return; we jump back to the caller and turn the message into a failure.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>  // needs size_t and FILE first
#include <jerror.h>

#include "ExifOrientation.h"
#include "PictureFormats.h"

namespace kelvane {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool finishing = false;  // every row is out: what follows cannot lose pixels
};

void onError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings leave a usable picture, except those that say data ran out: libjpeg would fill
// the rest of the picture with grey.
void onMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (level < 0 && !err->finishing && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) onError(cinfo);
}

// CMYK samples to RGB. Files with an Adobe marker store them inverted, as Photoshop
// writes them; either way each colour is its ink's complement darkened by the black.
void cmykRow(const uint8_t* src, unsigned width, bool inverted, TColor32* dst) {
  for (unsigned x = 0; x < width; ++x, src += 4) {
    unsigned c = src[0], m = src[1], y = src[2], k = src[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    dst[x] = Color32(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255), uint8_t((y * k + 127) / 255));
  }
}

}  // namespace

Result<TBitmap32> ReadJpeg(std::span<const uint8_t> bytes) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onError;
  err.pub.emit_message = onMessage;
  // Everything that needs freeing after a jump lives outside the jump's scope.
  TBitmap32* bmp = new TBitmap32;
  std::vector<uint8_t>* row = new std::vector<uint8_t>;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete bmp;
    delete row;
    return fail(std::string("JPEG: ") + err.message);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (cinfo.image_width > unsigned(TBitmap32::kMaxSide) || cinfo.image_height > unsigned(TBitmap32::kMaxSide) ||
      int64_t(cinfo.image_width) * cinfo.image_height > TBitmap32::kMaxPixels ||
      !bmp->SetSizeUninitialized(int(cinfo.image_width), int(cinfo.image_height))) {
    std::snprintf(err.message, sizeof err.message, "image size %ux%u out of range", cinfo.image_width,
                  cinfo.image_height);
    std::longjmp(err.jump, 1);
  }
  int orientation = 1;
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
    if (m->marker == JPEG_APP0 + 1 && orientation == 1) orientation = ExifOrientation({m->data, m->data_length});
  jpeg_start_decompress(&cinfo);
  row->resize(size_t(cinfo.output_width) * cinfo.output_components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {row->data()};
    const int y = int(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, rows, 1);
    TColor32* dst = bmp->ScanLine(y);
    if (cmyk) {
      cmykRow(row->data(), cinfo.output_width, cinfo.saw_Adobe_marker, dst);
    } else {
      for (unsigned x = 0; x < cinfo.output_width; ++x)
        dst[x] = Color32((*row)[x * 3], (*row)[x * 3 + 1], (*row)[x * 3 + 2]);
    }
  }
  err.finishing = true;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  TBitmap32 out = orientation == 1 ? std::move(*bmp) : Oriented(*bmp, orientation);
  delete bmp;
  delete row;
  return out;
}

Result<std::vector<uint8_t>> WriteJpeg(const TBitmap32& bmp, int quality) {
  if (bmp.Empty()) return fail("JPEG: the picture is empty");
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onError;
  err.pub.emit_message = onMessage;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t>* row = new std::vector<uint8_t>(size_t(bmp.Width()) * 3);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    delete row;
    return fail(std::string("JPEG: ") + err.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(bmp.Width());
  cinfo.image_height = JDIMENSION(bmp.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const TColor32* src = bmp.ScanLine(int(cinfo.next_scanline));
    for (int x = 0; x < bmp.Width(); ++x) {
      (*row)[size_t(x) * 3] = RedComponent(src[x]);
      (*row)[size_t(x) * 3 + 1] = GreenComponent(src[x]);
      (*row)[size_t(x) * 3 + 2] = BlueComponent(src[x]);
    }
    JSAMPROW rows[1] = {row->data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  delete row;
  return out;
}

}  // namespace kelvane
