#include "FileIO.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>

namespace kelvane {
namespace fs = std::filesystem;

Result<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return fail("Cannot open file " + path);
  std::vector<uint8_t> data;
  std::error_code ec;
  if (const auto size = fs::file_size(path, ec); !ec) data.reserve(size);
  uint8_t chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
  const bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) return fail("Cannot read file " + path);
  return data;
}

namespace {

// Writes everything and closes the file; false when any step failed.
bool writeAndClose(std::FILE* f, std::span<const uint8_t> bytes) {
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

Status WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return fail("Cannot create file " + path);
  if (!writeAndClose(f, bytes)) {
    std::error_code ec;
    fs::remove(path, ec);
    return fail("Cannot write file " + path);
  }
  return Ok{};
}

Status SaveFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  std::random_device rd;
  std::mt19937 gen(rd());
  std::string temp;
  std::FILE* f = nullptr;
  for (int attempt = 0; attempt < 16 && !f; ++attempt) {
    temp = path + ".$$$" + std::to_string(gen() % 1000000);
    f = std::fopen(temp.c_str(), "wbx");
  }
  if (!f) return fail("Cannot create file " + path);
  const bool ok = writeAndClose(f, bytes);
  std::error_code ec;
  if (ok) fs::rename(temp, path, ec);
  if (!ok || ec) {
    fs::remove(temp, ec);
    return fail("Cannot write file " + path);
  }
  return Ok{};
}

Result<std::shared_ptr<PositionedFile>> PositionedFile::Open(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  std::FILE* f = ec ? nullptr : std::fopen(path.c_str(), "rb");
  if (!f) return fail("Cannot open file " + path);
  return std::shared_ptr<PositionedFile>(new PositionedFile(f, size));
}

PositionedFile::~PositionedFile() { std::fclose(file_); }

Result<std::vector<uint8_t>> PositionedFile::ReadAt(uint64_t position, uint64_t count) const {
  if (position > size_ || count > size_ - position)
    return fail("read of " + std::to_string(count) + " bytes at " + std::to_string(position) +
                " beyond the end of the file");
  std::vector<uint8_t> out(count);
  std::lock_guard lock(mutex_);
  if (std::fseek(file_, long(position), SEEK_SET) != 0 || std::fread(out.data(), 1, count, file_) != count)
    return fail("Stream read error");
  return out;
}

std::string LowerExtension(const std::string& path) {
  const std::string ext = fs::path(path).extension().string();
  std::string out = ext.empty() ? ext : ext.substr(1);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return out;
}

}  // namespace kelvane
