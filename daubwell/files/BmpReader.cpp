// BMP files as Kelvane reads them: 8-bit palettes, 24 and 32 bits (alpha dropped),
// info headers of 40 to 124 bytes, bottom-up and top-down rows.
#include "ByteReader.h"
#include "PictureReaders.h"

namespace daubwell {
namespace {

Failure bad(const std::string& why) { return fail("BMP: " + why); }

}  // namespace

Result<RgbPicture> decodeBmp(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  auto head = in.bytes(14, "file header");
  auto infoSize = in.u32le("info header size");
  if (!head || !infoSize) return bad("header truncated");
  const std::span<const uint8_t> file = head.value();
  if (file[0] != 'B' || file[1] != 'M') return bad("not a bitmap file");
  if (infoSize.value() < 40 || infoSize.value() > 124)
    return bad("unsupported info header of " + std::to_string(infoSize.value()) + " bytes");
  auto info = in.bytes(36, "info header");
  if (!info) return bad("info header truncated");
  ByteReader fields(info.value());
  const int32_t width = fields.i32le("width").value(), height = fields.i32le("height").value();
  const uint32_t planesAndBits = fields.u32le("bits").value(), compression = fields.u32le("compression").value();
  (void)fields.bytes(12, "sizes");
  const uint32_t colorsUsed = fields.u32le("colours used").value();
  const uint32_t offset = ByteReader(file.subspan(10)).u32le("pixel offset").value();

  const int bpp = int(planesAndBits >> 16);
  const bool topDown = height < 0;
  const int64_t w = width, h = topDown ? -int64_t(height) : height;
  if (w <= 0 || h <= 0 || !pictureSizeFits(uint64_t(w), uint64_t(h)))
    return bad("image size " + std::to_string(w) + "x" + std::to_string(h) + " out of range");
  if (bpp != 8 && bpp != 24 && bpp != 32) return bad(std::to_string(bpp) + "-bit pictures are not supported");
  if (!(compression == 0 || (compression == 3 && bpp == 32))) return bad("compressed pictures are not supported");

  std::vector<uint8_t> palette(256 * 3, 0);  // entries past the file's are black
  if (bpp == 8) {
    const uint32_t count = colorsUsed ? colorsUsed : 256;
    if (count > 256) return bad("palette of " + std::to_string(count) + " colours");
    if (14 + size_t(infoSize.value()) + size_t(count) * 4 > bytes.size()) return bad("palette truncated");
    const uint8_t* p = bytes.data() + 14 + infoSize.value();
    for (uint32_t i = 0; i < count; ++i, p += 4) {
      palette[i * 3] = p[2];
      palette[i * 3 + 1] = p[1];
      palette[i * 3 + 2] = p[0];
    }
  }

  const size_t stride = (size_t(w) * size_t(bpp) / 8 + 3) & ~size_t(3);
  if (offset > bytes.size() || stride * size_t(h) > bytes.size() - offset) return bad("pixel data truncated");
  RgbPicture out{uint32_t(w), uint32_t(h), std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
  for (int64_t row = 0; row < h; ++row) {
    const uint8_t* src = bytes.data() + offset + stride * size_t(row);
    uint8_t* dst = out.rgb.data() + size_t(topDown ? row : h - 1 - row) * size_t(w) * 3;
    for (int64_t x = 0; x < w; ++x, dst += 3) {
      if (bpp == 8) {
        const uint8_t* c = palette.data() + size_t(src[x]) * 3;
        dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
      } else {
        const uint8_t* c = src + size_t(x) * size_t(bpp / 8);
        dst[0] = c[2], dst[1] = c[1], dst[2] = c[0];
      }
    }
  }
  return out;
}

}  // namespace daubwell
