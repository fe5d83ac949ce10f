#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../raster/FileIO.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// Reader of texture library files (".kvt"): after 6 bytes of signature, the count N at
// offset 6; N 64-bit record offsets at the end of the file; each record a 100 x 100
// 24-bit BMP thumbnail (30054 bytes), four bytes of image format (the extension,
// zero-padded) and the texture image file itself.
class TKVXLibView {
public:
  Status Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  size_t Count() const { return index_.size(); }

  // Every thumbnail, in index order.
  Result<std::vector<TBitmap32>> LoadThumbnails();
  // Texture i; an unknown image format gives an empty bitmap.
  Result<TBitmap32> LoadTexture(size_t i);

private:
  Result<std::vector<uint8_t>> ReadAt(uint64_t position, uint64_t count) const;

  std::shared_ptr<PositionedFile> file_;
  std::vector<int64_t> index_;
};

inline constexpr uint64_t kThumbnailBytes = 30054;

// The folder project textures are fetched from: "texlib/" beside the program (or the
// folder given to SetTexLibFolder, for tests and portable installs).
std::string TexLibFolder();
void SetTexLibFolder(const std::string& folder);

// The lines of the "FILES" section of a texture list (".kvp"): the image paths whose
// extension is a readable picture format, in file order.
std::vector<std::string> ReadTextureList(const std::string& text);

// Writes a library file as the library editor does (for tests and the demo): the
// signature "KVXLIB", N, the records, the index.
std::vector<uint8_t> WriteTextureLibrary(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& images,
                                         const std::vector<TBitmap32>& thumbnails);

}  // namespace kelvane
