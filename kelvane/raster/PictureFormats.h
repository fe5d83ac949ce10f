#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "Result.h"
#include "TBitmap32.h"

namespace kelvane {

struct PictureWriteOptions {
  int jpegQuality = 90;  // 1..100
  int bmpBits = 24;      // 24 or 32
};

using PictureReader = std::function<Result<TBitmap32>(std::span<const uint8_t>)>;
using PictureWriter = std::function<Result<std::vector<uint8_t>>(const TBitmap32&, const PictureWriteOptions&)>;

// One picture format, known by its file extension (without the dot, any case).
struct PictureFormat {
  std::string extension;
  std::string description;
  PictureReader read;    // empty: the format cannot be read
  PictureWriter write;   // empty: the format cannot be written
};

// The picture formats the program reads and writes, looked up by extension without
// regard to case. BMP, JPEG and PNG are always there; more can be registered.
class PictureFormats {
public:
  static PictureFormats& instance();

  // Adds a format, or replaces the one with the same extension.
  void add(PictureFormat format);
  const PictureFormat* find(const std::string& extension) const;
  const std::vector<PictureFormat>& all() const { return formats_; }
  bool canRead(const std::string& path) const;

private:
  PictureFormats();
  std::vector<PictureFormat> formats_;
};

// Loads a picture file through the format of its extension.
Result<TBitmap32> LoadPicture(const std::string& path);
// Saves through the format of the extension, via a temporary file.
Status SavePicture(const std::string& path, const TBitmap32& bmp, const PictureWriteOptions& options = {});

// The individual formats, on bytes in memory.
Result<TBitmap32> ReadBmp(std::span<const uint8_t> bytes);
std::vector<uint8_t> WriteBmp(const TBitmap32& bmp, int bitsPerPixel = 24);
Result<TBitmap32> ReadJpeg(std::span<const uint8_t> bytes);
Result<std::vector<uint8_t>> WriteJpeg(const TBitmap32& bmp, int quality);
Result<TBitmap32> ReadPng(std::span<const uint8_t> bytes);
Result<std::vector<uint8_t>> WritePng(const TBitmap32& bmp);

}  // namespace kelvane
