#include <libexif/exif-data.h>

#include "PictureReaders.h"

namespace daubwell {

int exifOrientation(std::span<const uint8_t> app1) {
  if (app1.size() < 6 || app1.size() > 0xFFFF) return 1;
  ExifData* data = exif_data_new_from_data(app1.data(), unsigned(app1.size()));
  if (!data) return 1;
  int orientation = 1;
  ExifEntry* e = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (e && e->format == EXIF_FORMAT_SHORT && e->components >= 1 && e->size >= 2) {
    const int v = exif_get_short(e->data, exif_data_get_byte_order(data));
    if (v >= 1 && v <= 8) orientation = v;
  }
  exif_data_unref(data);
  return orientation;
}

namespace {

// Where pixel (x, y) of a w x h picture goes: ox = x·xx + y·xy + (w-1)·xw + (h-1)·xh, oy
// likewise. Orientations 5 to 8 swap the sides.
struct Turn {
  int xx, xy, xw, xh, yx, yy, yw, yh;
};
constexpr Turn kTurns[9] = {
    {}, {1, 0, 0, 0, 0, 1, 0, 0},  // 1 as stored
    {-1, 0, 1, 0, 0, 1, 0, 0},     // 2 mirrored
    {-1, 0, 1, 0, 0, -1, 0, 1},    // 3 half a turn
    {1, 0, 0, 0, 0, -1, 0, 1},     // 4 mirrored top to bottom
    {0, 1, 0, 0, 1, 0, 0, 0},      // 5 transposed
    {0, -1, 0, 1, 1, 0, 0, 0},     // 6 a quarter turn clockwise
    {0, -1, 0, 1, -1, 0, 1, 0},    // 7 transposed the other way
    {0, 1, 0, 0, -1, 0, 1, 0},     // 8 a quarter turn anticlockwise
};

}  // namespace

RgbPicture orientPicture(const RgbPicture& p, int orientation) {
  if (orientation < 2 || orientation > 8) return p;
  const Turn& t = kTurns[orientation];
  const int64_t w = p.width, h = p.height;
  RgbPicture out{orientation >= 5 ? p.height : p.width, orientation >= 5 ? p.width : p.height,
                 std::vector<uint8_t>(p.rgb.size())};
  for (int64_t y = 0; y < h; ++y) {
    int64_t ox = y * t.xy + (w - 1) * t.xw + (h - 1) * t.xh, oy = y * t.yy + (w - 1) * t.yw + (h - 1) * t.yh;
    for (int64_t x = 0; x < w; ++x, ox += t.xx, oy += t.yx) {
      const uint8_t* src = p.rgb.data() + size_t(y * w + x) * 3;
      uint8_t* dst = out.rgb.data() + size_t(oy * int64_t(out.width) + ox) * 3;
      dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
    }
  }
  return out;
}

}  // namespace daubwell
