#include "Thumbnail.h"

#include <cmath>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "ScaledJpeg.h"

namespace kelvane {
namespace {

bool isJpeg(const std::string& format) {
  const PictureFormat* f = PictureFormats::instance().find(format);
  const PictureFormat* jpg = PictureFormats::instance().find("jpg");
  return f && jpg && f->description == jpg->description;
}

// Round half to even, as the thumbnail rule rounds.
int roundEven(double v) { return int(std::nearbyint(v)); }

// The source pixels [lo, hi) that destination pixel d of a reduction from `from` to `to`
// pixels averages (one pixel when enlarging).
struct Span {
  int lo, hi;
};
std::vector<Span> boxSpans(int from, int to) {
  std::vector<Span> s(static_cast<size_t>(to));
  for (int d = 0; d < to; ++d) {
    const int lo = int(int64_t(d) * from / to);
    s[size_t(d)] = {lo, std::max(lo + 1, int(int64_t(d + 1) * from / to))};
  }
  return s;
}

// The picture averaged into the rectangle of `dst`, each pixel composited over white.
void drawBoxOverWhite(const TBitmap32& src, TBitmap32& dst, const TRect& r) {
  const int rw = r.Width(), rh = r.Height();
  const std::vector<Span> xs = boxSpans(src.Width(), rw), ys = boxSpans(src.Height(), rh);
  std::vector<uint64_t> acc(size_t(rw) * 3);
  for (int dy = 0; dy < rh; ++dy) {
    std::fill(acc.begin(), acc.end(), 0);
    for (int y = ys[size_t(dy)].lo; y < ys[size_t(dy)].hi; ++y) {
      const TColor32* row = src.ScanLine(y);
      for (int dx = 0; dx < rw; ++dx) {
        uint64_t* a = &acc[size_t(dx) * 3];
        for (int x = xs[size_t(dx)].lo; x < xs[size_t(dx)].hi; ++x) {
          const TColor32 c = row[x];
          const uint32_t al = AlphaComponent(c), white = (255 - al) * 255;
          a[0] += RedComponent(c) * al + white;
          a[1] += GreenComponent(c) * al + white;
          a[2] += BlueComponent(c) * al + white;
        }
      }
    }
    TColor32* out = dst.ScanLine(r.Top + dy) + r.Left;
    const uint64_t rows = uint64_t(ys[size_t(dy)].hi - ys[size_t(dy)].lo);
    for (int dx = 0; dx < rw; ++dx) {
      const uint64_t n = rows * uint64_t(xs[size_t(dx)].hi - xs[size_t(dx)].lo) * 255;
      const uint64_t* a = &acc[size_t(dx) * 3];
      out[dx] = Color32(uint8_t((a[0] + n / 2) / n), uint8_t((a[1] + n / 2) / n), uint8_t((a[2] + n / 2) / n));
    }
  }
}

uint32_t bigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

TRect ThumbnailRect(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const float r = float(width) / float(height);
  if (height < width) {
    const int c = roundEven(100.0 / double(r));
    return {0, 50 - c / 2, 100, 50 - c / 2 + c};
  }
  const int c = roundEven(100.0 * double(r));
  return {50 - c / 2, 0, 50 - c / 2 + c, 100};
}

TBitmap32 MakeThumbnail(const TBitmap32& picture) {
  TBitmap32 thumb(kThumbnailSide, kThumbnailSide, 0xFFFFFFFFu);
  const TRect r = ThumbnailRect(picture.Width(), picture.Height());
  if (!r.Empty()) drawBoxOverWhite(picture, thumb, r);
  return thumb;
}

Result<TBitmap32> DecodeForThumbnail(std::span<const uint8_t> bytes, const std::string& format) {
  if (isJpeg(format))
    if (auto reduced = ReadJpegReduced(bytes, kThumbnailSide)) return reduced;
  const PictureFormat* f = PictureFormats::instance().find(format);
  if (!f || !f->read) return fail("no picture format reads \"." + format + "\" files");
  return f->read(bytes);
}

Result<TBitmap32> ThumbnailOfFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return fail(bytes.error());
  auto picture = DecodeForThumbnail(bytes.value(), LowerExtension(path));
  if (!picture) return fail(path + ": " + picture.error());
  return MakeThumbnail(picture.value());
}

Result<TPictureSize> ProbePictureSize(std::span<const uint8_t> bytes, const std::string& format) {
  const PictureFormat* f = PictureFormats::instance().find(format);
  if (isJpeg(format)) {
    auto size = ReadJpegSize(bytes);
    if (!size) return fail(size.error());
    return TPictureSize{size->first, size->second};
  }
  static constexpr uint8_t kPngStart[16] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  if (f && f->extension == "png" && bytes.size() >= 24 && std::memcmp(bytes.data(), kPngStart, 16) == 0)
    return TPictureSize{int(bigEndian32(&bytes[16]) & 0x7FFFFFFF), int(bigEndian32(&bytes[20]) & 0x7FFFFFFF)};
  if (f && f->extension == "bmp" && bytes.size() >= 26 && bytes[0] == 'B' && bytes[1] == 'M') {
    int32_t w, h;
    std::memcpy(&w, &bytes[18], 4);
    std::memcpy(&h, &bytes[22], 4);
    return TPictureSize{w, h == INT32_MIN ? INT32_MAX : std::abs(h)};
  }
  if (!f || !f->read) return fail("no picture format reads \"." + format + "\" files");
  auto picture = f->read(bytes);
  if (!picture) return fail(picture.error());
  return TPictureSize{picture->Width(), picture->Height()};
}

}  // namespace kelvane
