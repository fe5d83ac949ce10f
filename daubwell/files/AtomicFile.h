#pragma once
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "Result.h"

namespace daubwell {

// Writes a file under a temporary name beside the target (its name, ".~" and six random
// letters) and renames it over the target only when everything was written and is on
// disk, so a failed save or a power cut never destroys the file that was there before.
// A symbolic link is followed: its target gets the new content and the link stays. The
// new file keeps the old one's permissions. Temporary files that killed saves of the
// same target left are removed first. Destroying an uncommitted writer removes its
// temporary file.
class AtomicFileWriter {
public:
  explicit AtomicFileWriter(std::string target);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  // Appends bytes; after the first failure every further write fails too.
  bool write(const void* data, size_t size);
  bool write(std::span<const uint8_t> bytes) { return write(bytes.data(), bytes.size()); }
  // Flushes, closes and renames over the target. False if anything failed.
  bool commit();

  const std::string& temporaryPath() const { return tempPath_; }

private:
  std::string target_;
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// The file a save of `path` replaces: symbolic links followed, also a dangling one.
std::string saveTarget(const std::string& path);

// One-shot form of AtomicFileWriter.
bool saveFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// The whole file; fails when it cannot be opened or read.
Result<std::vector<uint8_t>> readWholeFile(const std::string& path);

// A whole file, read only, for large reads: mapped into memory with all its pages brought
// in by the system at once (far cheaper than touching them one by one), or read into a
// buffer where the file cannot be mapped.
class FileBytes {
public:
  static Result<FileBytes> open(const std::string& path);
  FileBytes(FileBytes&& o) noexcept;
  FileBytes& operator=(FileBytes&& o) noexcept;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes();

  std::span<const uint8_t> bytes() const { return {data_, size_}; }

private:
  FileBytes() = default;
  void release();

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
  std::vector<uint8_t> copy_;
};

}  // namespace daubwell
