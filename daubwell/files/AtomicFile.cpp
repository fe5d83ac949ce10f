#include "AtomicFile.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace daubwell {
namespace fs = std::filesystem;

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {
  // A name that no other save is using: the target's name, a dot-tilde and random letters.
  std::random_device rd;
  std::mt19937 gen(rd());
  std::uniform_int_distribution<int> pick(0, 25);
  for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
    std::string suffix = ".~";
    for (int i = 0; i < 6; ++i) suffix += char('a' + pick(gen));
    tempPath_ = target_ + suffix;
    file_ = std::fopen(tempPath_.c_str(), "wbx");  // exclusive: never reuse a file
  }
  if (!file_) tempPath_.clear();
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_) std::fclose(file_);
  if (!tempPath_.empty()) {
    std::error_code ec;
    fs::remove(tempPath_, ec);
  }
}

bool AtomicFileWriter::write(const void* data, size_t size) {
  if (!file_ || failed_) return false;
  if (size != 0 && std::fwrite(data, 1, size, file_) != size) failed_ = true;
  return !failed_;
}

bool AtomicFileWriter::commit() {
  if (!file_) return false;
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (failed_) return false;
  std::error_code ec;
  fs::rename(tempPath_, target_, ec);
  if (ec) return false;
  tempPath_.clear();  // nothing left to remove
  return true;
}

bool saveFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  AtomicFileWriter w(path);
  return w.write(bytes) && w.commit();
}

Result<std::vector<uint8_t>> readWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return fail("cannot open " + path);
  std::vector<uint8_t> data;
  std::error_code ec;
  if (const auto size = fs::file_size(path, ec); !ec) data.reserve(size);
  uint8_t chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
  const bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) return fail("cannot read " + path);
  return data;
}

}  // namespace daubwell
