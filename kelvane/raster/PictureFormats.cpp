#include "PictureFormats.h"

#include <cctype>

#include "FileIO.h"

namespace kelvane {

PictureFormats::PictureFormats() {
  auto bmpWrite = [](const TBitmap32& b, const PictureWriteOptions& o) -> Result<std::vector<uint8_t>> {
    if (b.Empty()) return fail("BMP: the picture is empty");
    return WriteBmp(b, o.bmpBits);
  };
  auto jpegWrite = [](const TBitmap32& b, const PictureWriteOptions& o) { return WriteJpeg(b, o.jpegQuality); };
  auto pngWrite = [](const TBitmap32& b, const PictureWriteOptions&) { return WritePng(b); };
  add({"bmp", "Bitmaps", ReadBmp, bmpWrite});
  for (const char* ext : {"jpg", "jpeg", "jpe"}) add({ext, "JPEG Image File", ReadJpeg, jpegWrite});
  add({"png", "Portable Network Graphics", ReadPng, pngWrite});
}

PictureFormats& PictureFormats::instance() {
  static PictureFormats formats;
  return formats;
}

void PictureFormats::add(PictureFormat format) {
  for (char& c : format.extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (PictureFormat& f : formats_) {
    if (f.extension == format.extension) {
      f = std::move(format);
      return;
    }
  }
  formats_.push_back(std::move(format));
}

const PictureFormat* PictureFormats::find(const std::string& extension) const {
  std::string ext = extension;
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (const PictureFormat& f : formats_)
    if (f.extension == ext) return &f;
  return nullptr;
}

bool PictureFormats::canRead(const std::string& path) const {
  const PictureFormat* f = find(LowerExtension(path));
  return f && f->read;
}

Result<TBitmap32> LoadPicture(const std::string& path) {
  const PictureFormat* f = PictureFormats::instance().find(LowerExtension(path));
  if (!f || !f->read) return fail("Unknown picture file extension (." + LowerExtension(path) + ")");
  auto bytes = ReadFileBytes(path);
  if (!bytes) return fail(bytes.error());
  return f->read(bytes.value());
}

Status SavePicture(const std::string& path, const TBitmap32& bmp, const PictureWriteOptions& options) {
  const PictureFormat* f = PictureFormats::instance().find(LowerExtension(path));
  if (!f || !f->write) return fail("Unknown picture file extension (." + LowerExtension(path) + ")");
  auto bytes = f->write(bmp, options);
  if (!bytes) return fail(bytes.error());
  return SaveFileAtomically(path, bytes.value());
}

}  // namespace kelvane
