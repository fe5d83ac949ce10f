#pragma once
#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "TKVXLibView.h"

namespace kelvane {

// A texture library being edited: its records in memory, in order. What the library
// editor and `kelvane-cli texlib` work on; records read from a file are kept byte for
// byte, new ones get a thumbnail made by the thumbnail rule.
class TTextureLibrary {
public:
  // Every record of a library file; a damaged library is refused.
  static Result<TTextureLibrary> Load(const std::string& path);

  size_t Count() const { return records_.size(); }
  const std::vector<TLibraryRecord>& Records() const { return records_; }

  // Appends picture files (a folder stands for its pictures, by name), decoding them on
  // every core for their thumbnails. Pictures that cannot be read are left out; the
  // result holds one message per such file. Cancelling keeps what was made so far.
  std::vector<std::string> AddPictures(const std::vector<std::string>& paths, TProgress* progress = nullptr,
                                       const std::atomic<bool>* cancel = nullptr);
  // Appends a picture file's bytes; `format` is its extension (1 to 4 characters).
  Status Add(const std::string& format, std::vector<uint8_t> image);
  Status Remove(size_t index);
  // Moves a record to another place (dragging in the editor).
  Status Move(size_t from, size_t to);
  // Appends another library's records (pictures made off the interface thread).
  void Append(TTextureLibrary&& other);

  std::vector<uint8_t> Bytes() const { return WriteTextureLibrary(records_); }
  // Written atomically: a failed save leaves the old file as it was.
  Status Save(const std::string& path) const;

private:
  std::vector<TLibraryRecord> records_;
};

// The record of one picture file: its bytes as they are, its lower-case extension and
// its thumbnail. The failure names the file.
Result<TLibraryRecord> MakeLibraryRecord(const std::string& path);
Result<TLibraryRecord> MakeLibraryRecord(const std::string& format, std::vector<uint8_t> image);
// The pictures a path stands for: the file itself, or a folder's readable pictures
// sorted by name (not its sub-folders).
std::vector<std::string> PicturesIn(const std::string& path);

}  // namespace kelvane
