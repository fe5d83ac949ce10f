// BMP files: 8-bit palettes, 24 and 32 bits, bottom-up and top-down rows.
#include <cstring>

#include "ByteStream.h"
#include "PictureFormats.h"

namespace kelvane {
namespace {

constexpr uint32_t kBiRgb = 0, kBiBitfields = 3;

Failure bad(const std::string& why) { return fail("BMP: " + why); }

}  // namespace

Result<TBitmap32> ReadBmp(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  auto magic = in.bytes(2, "BMP signature");
  if (!magic || (*magic)[0] != 'B' || (*magic)[1] != 'M') return bad("not a bitmap file");
  (void)in.bytes(8, "file header");
  auto offset = in.le<uint32_t>("pixel offset");
  auto infoSize = in.le<uint32_t>("info header size");
  if (!offset || !infoSize) return bad("header truncated");
  if (*infoSize < 40 || *infoSize > 124) return bad("unsupported info header of " + std::to_string(*infoSize) + " bytes");
  auto width = in.le<int32_t>("width");
  auto height = in.le<int32_t>("height");
  auto planes = in.le<uint16_t>("planes");
  auto bits = in.le<uint16_t>("bits per pixel");
  auto compression = in.le<uint32_t>("compression");
  if (!width || !height || !planes || !bits || !compression) return bad("info header truncated");
  if (!in.seek(14 + 40)) return bad("info header truncated");
  auto colorsUsed = ByteReader(bytes.subspan(14 + 32)).le<uint32_t>("colours used");

  const bool topDown = *height < 0;
  const int64_t w = *width, h = topDown ? -int64_t(*height) : *height;
  if (w <= 0 || h <= 0 || w > TBitmap32::kMaxSide || h > TBitmap32::kMaxSide)
    return bad("image size " + std::to_string(w) + "x" + std::to_string(h) + " out of range");
  const int bpp = *bits;
  if (bpp != 8 && bpp != 24 && bpp != 32) return bad(std::to_string(bpp) + "-bit pictures are not supported");
  if (!(*compression == kBiRgb || (*compression == kBiBitfields && bpp == 32)))
    return bad("compressed pictures are not supported");

  // The palette follows the info header.
  std::vector<TColor32> palette;
  if (bpp == 8) {
    const uint32_t count = (colorsUsed && *colorsUsed) ? *colorsUsed : 256;
    if (count > 256) return bad("palette of " + std::to_string(count) + " colours");
    if (!in.seek(14 + *infoSize)) return bad("palette truncated");
    auto pal = in.bytes(size_t(count) * 4, "palette");
    if (!pal) return bad(pal.error());
    for (uint32_t i = 0; i < count; ++i)
      palette.push_back(Color32((*pal)[i * 4 + 2], (*pal)[i * 4 + 1], (*pal)[i * 4]));
    palette.resize(256, 0xFF000000u);
  }

  const size_t stride = (size_t(w) * bpp / 8 + 3) & ~size_t(3);
  if (*offset > bytes.size() || stride * h > bytes.size() - *offset) return bad("pixel data truncated");
  TBitmap32 bmp;
  if (!bmp.SetSize(int(w), int(h))) return bad("picture too large");
  bool anyAlpha = false;
  for (int64_t row = 0; row < h; ++row) {
    const uint8_t* src = bytes.data() + *offset + stride * row;
    TColor32* dst = bmp.ScanLine(int(topDown ? row : h - 1 - row));
    for (int64_t x = 0; x < w; ++x) {
      if (bpp == 8) {
        dst[x] = palette[src[x]];
      } else if (bpp == 24) {
        dst[x] = Color32(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
      } else {
        dst[x] = Color32(src[x * 4 + 2], src[x * 4 + 1], src[x * 4], src[x * 4 + 3]);
        anyAlpha |= src[x * 4 + 3] != 0;
      }
    }
  }
  // A 32-bit picture whose fourth bytes are all 0 carries no alpha: show it opaque.
  if (bpp == 32 && !anyAlpha)
    for (TColor32* p = bmp.Bits(); p != bmp.Bits() + size_t(w) * h; ++p) *p |= 0xFF000000u;
  return bmp;
}

std::vector<uint8_t> WriteBmp(const TBitmap32& bmp, int bitsPerPixel) {
  const int bpp = bitsPerPixel == 32 ? 32 : 24;
  const uint32_t w = uint32_t(bmp.Width()), h = uint32_t(bmp.Height());
  const size_t stride = (size_t(w) * bpp / 8 + 3) & ~size_t(3);
  ByteWriter out;
  out.raw("BM", 2);
  out.le<uint32_t>(uint32_t(54 + stride * h));
  out.le<uint32_t>(0);
  out.le<uint32_t>(54);
  out.le<uint32_t>(40);
  out.le<int32_t>(int32_t(w));
  out.le<int32_t>(int32_t(h));  // positive: bottom-up
  out.le<uint16_t>(1);
  out.le<uint16_t>(uint16_t(bpp));
  out.le<uint32_t>(kBiRgb);
  out.le<uint32_t>(uint32_t(stride * h));
  out.zeros(16);  // resolutions and colour counts
  std::vector<uint8_t> row(stride, 0);
  for (uint32_t r = 0; r < h; ++r) {
    const TColor32* src = bmp.ScanLine(int(h - 1 - r));
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* d = row.data() + size_t(x) * (bpp / 8);
      d[0] = BlueComponent(src[x]);
      d[1] = GreenComponent(src[x]);
      d[2] = RedComponent(src[x]);
      if (bpp == 32) d[3] = AlphaComponent(src[x]);
    }
    out.raw(row.data(), row.size());
  }
  return std::move(out.bytes());
}

}  // namespace kelvane
