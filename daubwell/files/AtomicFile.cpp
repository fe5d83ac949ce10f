#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace daubwell {
namespace fs = std::filesystem;

namespace {

constexpr const char* kTempMark = ".~";
constexpr size_t kTempLetters = 6;

fs::path folderOf(const fs::path& p) { return p.parent_path().empty() ? fs::path(".") : p.parent_path(); }

// A temporary name of an earlier save of `target`: its name, ".~" and six letters.
bool isTempOf(const std::string& name, const std::string& target) {
  const std::string prefix = target + kTempMark;
  return name.size() == prefix.size() + kTempLetters && name.compare(0, prefix.size(), prefix) == 0 &&
         std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// A running save holds a lock on its temporary file; an unlocked one that has not been
// written for a minute was left by a save that was killed, and is removed.
void removeLeftovers(const fs::path& target) {
  const std::string name = target.filename().string();
  const auto stale = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  std::error_code ec;
  for (fs::directory_iterator it(folderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fileEc;
    if (!isTempOf(it->path().filename().string(), name) || it->is_symlink(fileEc) || !it->is_regular_file(fileEc))
      continue;
    if (it->last_write_time(fileEc) > stale || fileEc) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

}  // namespace

std::string saveTarget(const std::string& path) {
  fs::path p = path;
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    const fs::path link = fs::read_symlink(p, ec);
    if (ec) break;
    p = link.is_absolute() ? link : p.parent_path() / link;
  }
  return p.lexically_normal().string();
}

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(saveTarget(target)) {
  removeLeftovers(target_);
  std::random_device rd;
  std::mt19937 gen(rd());
  std::uniform_int_distribution<int> pick(0, 25);
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    std::string suffix = kTempMark;
    for (size_t i = 0; i < kTempLetters; ++i) suffix += char('a' + pick(gen));
    tempPath_ = target_ + suffix;
    fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);  // never reuse a file
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0 || !(file_ = ::fdopen(fd, "wb"))) {
    if (fd >= 0) {
      ::close(fd);
      ::unlink(tempPath_.c_str());
    }
    tempPath_.clear();
    return;
  }
  (void)::flock(fd, LOCK_EX);
  // The new file keeps the old one's permissions (and owner, where that may be given).
  struct stat old;
  if (::stat(target_.c_str(), &old) == 0) {
    (void)::fchmod(fd, old.st_mode & 07777);
    [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);  // refused unless allowed
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  if (file_) std::fclose(file_);
}

bool AtomicFileWriter::write(const void* data, size_t size) {
  if (!file_ || failed_) return false;
  if (size != 0 && std::fwrite(data, 1, size, file_) != size) failed_ = true;
  return !failed_;
}

bool AtomicFileWriter::commit() {
  if (!file_) return false;
  // On disk before the rename, and the folder after it: a power cut leaves the old file
  // or the new one. The lock is held until the temporary name is gone.
  if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0) failed_ = true;
  if (!failed_ && ::rename(tempPath_.c_str(), target_.c_str()) != 0) failed_ = true;
  if (!failed_) tempPath_.clear();  // nothing left to remove
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (failed_) return false;
  const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
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

Result<FileBytes> FileBytes::open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail("cannot open " + path);
  struct stat st {};
  FileBytes f;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE;
#endif
    void* p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, flags, fd, 0);
    if (p != MAP_FAILED) {
      ::close(fd);
      f.data_ = static_cast<const uint8_t*>(p);
      f.size_ = size_t(st.st_size);
      f.mapped_ = true;
      return f;
    }
  }
  ::close(fd);
  auto all = readWholeFile(path);
  if (!all) return fail(all.error());
  f.copy_ = std::move(all.value());
  f.data_ = f.copy_.data();
  f.size_ = f.copy_.size();
  return f;
}

FileBytes::FileBytes(FileBytes&& o) noexcept { *this = std::move(o); }

FileBytes& FileBytes::operator=(FileBytes&& o) noexcept {
  if (this == &o) return *this;
  release();
  mapped_ = std::exchange(o.mapped_, false);
  size_ = std::exchange(o.size_, 0);
  copy_ = std::move(o.copy_);
  data_ = mapped_ ? std::exchange(o.data_, nullptr) : copy_.data();
  o.data_ = nullptr;
  return *this;
}

FileBytes::~FileBytes() { release(); }

void FileBytes::release() {
  if (mapped_) ::munmap(const_cast<uint8_t*>(data_), size_);
  mapped_ = false;
  data_ = nullptr;
  size_ = 0;
  copy_.clear();
}

}  // namespace daubwell
