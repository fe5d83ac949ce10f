#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "../canvas/DisplaySurface.h"
#include "Result.h"

// The pictures Import Image and the image cache take: BMP, PNG and JPEG through our own
// readers, TIFF through the general image library in a child process, so that no
// decoder fault can take the painting with it. Files are known by their first bytes,
// not by their names.
namespace daubwell {

// Width x height pixels of red, green, blue bytes, rows top to bottom.
struct RgbPicture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

inline constexpr uint32_t kMaxPictureSide = 65535;
inline constexpr uint64_t kMaxPicturePixels = uint64_t(1) << 28;
// Whether a picture of this size may be made: refused sizes are never allocated.
bool pictureSizeFits(uint64_t width, uint64_t height);

enum class PictureKind { Unknown, Bmp, Png, Jpeg, Tiff };
PictureKind pictureKind(std::span<const uint8_t> head);

Result<RgbPicture> decodeBmp(std::span<const uint8_t> bytes);
Result<RgbPicture> decodePng(std::span<const uint8_t> bytes);
// Turned as its EXIF orientation says.
Result<RgbPicture> decodeJpeg(std::span<const uint8_t> bytes);
// In a child process that is killed when it takes longer than `seconds`.
Result<RgbPicture> decodeTiff(std::span<const uint8_t> bytes, int seconds = 20);
// By the picture's signature; anything else is refused.
Result<RgbPicture> decodePicture(std::span<const uint8_t> bytes);

// The EXIF orientation (1..8) of a JPEG APP1 block, 1 when there is none, and the
// picture turned and mirrored to stand as the camera saw it.
int exifOrientation(std::span<const uint8_t> app1);
RgbPicture orientPicture(const RgbPicture& picture, int orientation);

// A picture file read into a 3-byte-per-pixel surface.
Status readPictureFile(DisplaySurface& surface, const std::string& path);

}  // namespace daubwell
