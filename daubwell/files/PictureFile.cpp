#include <cstring>

#include "AtomicFile.h"
#include "PictureReaders.h"

namespace daubwell {

bool pictureSizeFits(uint64_t width, uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

PictureKind pictureKind(std::span<const uint8_t> head) {
  struct Signature {
    PictureKind kind;
    std::span<const uint8_t> bytes;
  };
  static constexpr uint8_t bmp[] = {'B', 'M'}, png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
                           jpeg[] = {0xFF, 0xD8, 0xFF}, tiffLe[] = {'I', 'I', 42, 0}, tiffBe[] = {'M', 'M', 0, 42};
  static constexpr Signature kSignatures[] = {{PictureKind::Bmp, bmp},   {PictureKind::Png, png},
                                              {PictureKind::Jpeg, jpeg}, {PictureKind::Tiff, tiffLe},
                                              {PictureKind::Tiff, tiffBe}};
  for (const Signature& s : kSignatures)
    if (head.size() >= s.bytes.size() && std::memcmp(head.data(), s.bytes.data(), s.bytes.size()) == 0) return s.kind;
  return PictureKind::Unknown;
}

Result<RgbPicture> decodePicture(std::span<const uint8_t> bytes) {
  switch (pictureKind(bytes)) {
    case PictureKind::Bmp: return decodeBmp(bytes);
    case PictureKind::Png: return decodePng(bytes);
    case PictureKind::Jpeg: return decodeJpeg(bytes);
    case PictureKind::Tiff: return decodeTiff(bytes);
    case PictureKind::Unknown: break;
  }
  return fail("not a BMP, PNG, JPEG or TIFF picture");
}

Status readPictureFile(DisplaySurface& surface, const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes) return fail(bytes.error());
  auto picture = decodePicture(bytes.value());
  if (!picture) return fail(path + ": " + picture.error());
  const RgbPicture& p = picture.value();
  if (!pictureSizeFits(p.width, p.height) || p.rgb.size() != size_t(p.width) * p.height * 3)
    return fail(path + ": the decoded picture does not match its size");
  surface.create(p.width, p.height);
  for (uint32_t y = 0; y < p.height; ++y) {
    const uint8_t* src = p.rgb.data() + size_t(y) * p.width * 3;
    uint8_t* dst = surface.pictureRow(y);
    for (uint32_t x = 0; x < p.width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return Ok{};
}

}  // namespace daubwell
