#include "ExifOrientation.h"

#include <libexif/exif-data.h>

namespace kelvane {

int ExifOrientation(std::span<const uint8_t> app1) {
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

// Where source pixel (x, y) of a w x h picture lands: ox = x·xx + y·xy + (w-1)·xw + (h-1)·xh,
// oy likewise, for orientations 1..8.
struct Placement {
  int xx, xy, xw, xh, yx, yy, yw, yh;
};
constexpr Placement kPlacements[9] = {
    {}, {1, 0, 0, 0, 0, 1, 0, 0},      // 1 as stored
    {-1, 0, 1, 0, 0, 1, 0, 0},         // 2 mirrored
    {-1, 0, 1, 0, 0, -1, 0, 1},        // 3 half a turn
    {1, 0, 0, 0, 0, -1, 0, 1},         // 4 mirrored top to bottom
    {0, 1, 0, 0, 1, 0, 0, 0},          // 5 transposed
    {0, -1, 0, 1, 1, 0, 0, 0},         // 6 a quarter turn clockwise
    {0, -1, 0, 1, -1, 0, 1, 0},        // 7 transposed the other way
    {0, 1, 0, 0, -1, 0, 1, 0},         // 8 a quarter turn anticlockwise
};

}  // namespace

TBitmap32 Oriented(const TBitmap32& picture, int orientation) {
  if (orientation < 2 || orientation > 8 || picture.Empty()) return picture;
  const int w = picture.Width(), h = picture.Height();
  const Placement& p = kPlacements[orientation];
  const bool swaps = orientation >= 5;
  TBitmap32 out;
  out.SetSizeUninitialized(swaps ? h : w, swaps ? w : h);
  out.CopySettingsFrom(picture);
  for (int y = 0; y < h; ++y) {
    const TColor32* src = picture.ScanLine(y);
    int ox = y * p.xy + (w - 1) * p.xw + (h - 1) * p.xh, oy = y * p.yy + (w - 1) * p.yw + (h - 1) * p.yh;
    for (int x = 0; x < w; ++x, ox += p.xx, oy += p.yx) out.ScanLine(oy)[ox] = src[x];
  }
  return out;
}

}  // namespace kelvane
