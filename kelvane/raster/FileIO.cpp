#include "FileIO.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {
namespace fs = std::filesystem;

constexpr const char* kSaveTempMark = "$$$";

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

std::string RandomFileChars(int count) {
  static std::mutex m;
  static std::mt19937 gen{std::random_device{}()};
  std::lock_guard lock(m);
  std::string chars;
  for (int i = 0; i < count; ++i) {
    if (std::uniform_int_distribution<int>(0, 1)(gen) == 0)
      chars += char('0' + std::uniform_int_distribution<int>(0, 9)(gen));
    else
      chars += char('a' + std::uniform_int_distribution<int>(0, 24)(gen));  // "z" never occurs
  }
  return chars;
}

std::string SaveTarget(const std::string& path) {
  fs::path p = path;
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    const fs::path link = fs::read_symlink(p, ec);
    if (ec) break;
    p = link.is_absolute() ? link : p.parent_path() / link;
  }
  return p.lexically_normal().string();
}

std::string SaveTempName(const std::string& target) { return target + kSaveTempMark + RandomFileChars(8); }

namespace {

fs::path folderOf(const fs::path& p) { return p.parent_path().empty() ? fs::path(".") : p.parent_path(); }

// A save in progress holds a lock on its temporary file; one that is unlocked and has
// not been written to for a minute was left by a save that died.
void removeLeftoverTemps(const fs::path& target) {
  const std::string prefix = target.filename().string() + kSaveTempMark;
  std::error_code ec;
  const auto stale = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  for (fs::directory_iterator it(folderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code fileEc;
    if (name.compare(0, prefix.size(), prefix) != 0 || !it->is_regular_file(fileEc) || it->is_symlink(fileEc))
      continue;
    if (it->last_write_time(fileEc) > stale || fileEc) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), std::min<size_t>(bytes.size(), size_t(1) << 30));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(size_t(n));
  }
  return true;
}

void syncFolder(const fs::path& target) {
  const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

Status SaveFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  const std::string target = SaveTarget(path);
  removeLeftoverTemps(target);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = SaveTempName(target);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return fail("Cannot create file " + path + ": " + std::strerror(errno));
  (void)::flock(fd, LOCK_EX);
  // The replacement keeps the old file's permissions (and owner, where we may set it).
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) {
    (void)::fchmod(fd, old.st_mode & 07777);
    [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);  // refused unless allowed
  }
  const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0 && ::rename(temp.c_str(), target.c_str()) == 0;
  const int error = errno;
  if (!ok) ::unlink(temp.c_str());
  ::close(fd);
  if (!ok) return fail("Cannot write file " + path + ": " + std::strerror(error));
  syncFolder(target);
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
