#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "Result.h"

namespace kelvane {

// The whole file, or "Cannot open file <path>".
Result<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// Writes the bytes to the path, replacing what was there; on failure nothing is left.
Status WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

// Writes the bytes under a temporary name beside the target and renames it over the
// target only when complete; the file is flushed to disk before the rename and the
// folder after it, so a failed save or a power cut leaves the old file or the new one.
// A symbolic link is followed (its target gets the new content, the link stays), and
// the new file keeps the old one's permissions. Temporary files that an interrupted
// save of the same target left behind are removed first.
Status SaveFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// The file a save of `path` replaces: symbolic links followed, also a dangling one.
std::string SaveTarget(const std::string& path);
// The temporary name a save of `target` writes under: the target's name, "$$$" and
// eight random characters, so that no two saves share it.
std::string SaveTempName(const std::string& target);

// `count` random characters, each with equal chance a digit or a letter "a".."y".
std::string RandomFileChars(int count);

// A file kept open for positioned reads, each checked against the file's size, from
// any thread: what projects and texture libraries read their parts from.
class PositionedFile {
public:
  static Result<std::shared_ptr<PositionedFile>> Open(const std::string& path);
  ~PositionedFile();
  PositionedFile(const PositionedFile&) = delete;
  PositionedFile& operator=(const PositionedFile&) = delete;
  uint64_t Size() const { return size_; }
  Result<std::vector<uint8_t>> ReadAt(uint64_t position, uint64_t count) const;

private:
  PositionedFile(std::FILE* f, uint64_t size) : file_(f), size_(size) {}
  std::FILE* file_;
  uint64_t size_;
  mutable std::mutex mutex_;
};

// The extension of a path without the dot, in lower case ("" when there is none).
std::string LowerExtension(const std::string& path);

}  // namespace kelvane
