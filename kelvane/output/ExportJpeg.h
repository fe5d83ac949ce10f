#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// JPEG export of a document's result image ("Jpeg..."), and PNG beside it for a
// lossless export.

inline constexpr int kDefaultJpegQuality = 100;
// The quality edit's value as the encoder takes it: rounded (halves to even), 1..100.
int JpegQuality(double editValue);

// The picture as a JPEG file in memory at quality 1..100 (libjpeg's defaults otherwise).
Result<std::vector<uint8_t>> EncodeJpeg(const TBitmap32& picture, int quality);

// What the export dialog shows for a quality: the compressed size and the picture as it
// will look after compression.
struct TJpegPreview {
  int Quality = kDefaultJpegQuality;
  size_t Size = 0;
  TBitmap32 Picture;
};
Result<TJpegPreview> PreviewJpeg(const TBitmap32& picture, int quality);
// The size label: "123456 bytes".
std::string JpegSizeText(size_t bytes);

// Writes the file atomically (nothing is left at the path on failure).
Status ExportJpeg(const std::string& path, const TBitmap32& picture, int quality);
Status ExportPng(const std::string& path, const TBitmap32& picture);

}  // namespace kelvane
