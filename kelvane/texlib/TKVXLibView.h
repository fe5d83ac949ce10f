#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "../raster/FileIO.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "TexLibRoots.h"  // where the libraries that projects name are looked for

namespace kelvane {

// Texture library files (".kvt"): 6 bytes of signature, the count N at offset 6, the
// records, and N 64-bit record offsets at the end of the file. Each record is a 100 x 100
// 24-bit BMP thumbnail (30054 bytes), four bytes of image format (the extension,
// zero-padded) and the texture's picture file itself, up to the next record or the index.
inline constexpr uint64_t kThumbnailBytes = 30054;
inline constexpr uint64_t kFormatBytes = 4;
inline constexpr uint64_t kLibraryHeaderBytes = 10;
inline constexpr char kLibrarySignature[6] = {'K', 'V', 'X', 'L', 'I', 'B'};

// One record as the file holds it.
struct TLibraryRecord {
  std::vector<uint8_t> Thumbnail;  // the thumbnail's BMP file
  std::string Format;              // the extension without the dot, up to 4 characters
  std::vector<uint8_t> Image;      // the picture file, as it was added
};

// Reads a library. Open checks the count and every offset against the file's size, so a
// damaged library is refused there and nothing larger than the file is ever allocated.
class TKVXLibView {
public:
  Status Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  size_t Count() const { return index_.size(); }
  const std::string& Path() const { return path_; }

  // Every thumbnail, in index order.
  Result<std::vector<TBitmap32>> LoadThumbnails() const;
  Result<TBitmap32> LoadThumbnail(size_t i) const;
  // Texture i; an unknown image format gives an empty bitmap.
  Result<TBitmap32> LoadTexture(size_t i) const;
  // Texture i's record, byte for byte.
  Result<TLibraryRecord> LoadRecord(size_t i) const;
  Result<std::string> LoadFormat(size_t i) const;

private:
  Status Check(size_t i) const;
  Result<std::vector<uint8_t>> Read(uint64_t position, uint64_t count, const std::string& what) const;
  Result<std::vector<uint8_t>> LoadImage(size_t i) const;
  Failure Damaged(const std::string& why) const;

  std::shared_ptr<PositionedFile> file_;
  std::string path_;
  std::vector<int64_t> index_;
  std::vector<uint64_t> sortedStarts_;  // where each record ends: the next start, or the index
  uint64_t indexStart_ = 0;
};

// A library file of the records, in order (the signature, N, the records, the index).
std::vector<uint8_t> WriteTextureLibrary(std::span<const TLibraryRecord> records);
// A library of picture files given as (format, bytes), each with its thumbnail made from
// the matching picture (for tests and the demo).
std::vector<uint8_t> WriteTextureLibrary(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& images,
                                         const std::vector<TBitmap32>& pictures);

}  // namespace kelvane
