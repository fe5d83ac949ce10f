#include "TTextureLibrary.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "Thumbnail.h"

namespace kelvane {
namespace fs = std::filesystem;

Result<TTextureLibrary> TTextureLibrary::Load(const std::string& path) {
  TKVXLibView view;
  if (Status s = view.Open(path); !s) return fail(s.error());
  TTextureLibrary lib;
  for (size_t i = 0; i < view.Count(); ++i) {
    auto r = view.LoadRecord(i);
    if (!r) return fail(r.error());
    lib.records_.push_back(std::move(r.value()));
  }
  return lib;
}

Result<TLibraryRecord> MakeLibraryRecord(const std::string& format, std::vector<uint8_t> image) {
  std::string ext = format;
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (ext.empty() || ext.size() > kFormatBytes)
    return fail("a library keeps extensions of 1 to 4 characters, not \"." + ext + "\"");
  auto picture = DecodeForThumbnail(image, ext);
  if (!picture) return fail(picture.error());
  return TLibraryRecord{WriteBmp(MakeThumbnail(picture.value()), 24), ext, std::move(image)};
}

Result<TLibraryRecord> MakeLibraryRecord(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return fail(bytes.error());
  auto r = MakeLibraryRecord(LowerExtension(path), std::move(bytes.value()));
  if (!r) return fail(path + ": " + r.error());
  return r;
}

std::vector<std::string> PicturesIn(const std::string& path) {
  std::error_code ec;
  if (!fs::is_directory(path, ec)) return {path};
  std::vector<std::string> out;
  for (const auto& entry : fs::directory_iterator(path, fs::directory_options::skip_permission_denied, ec)) {
    std::error_code fileEc;
    const std::string p = entry.path().string();
    // Projects are registered as pictures (for previews) but are no textures.
    if (entry.is_regular_file(fileEc) && LowerExtension(p) != "kvx" && PictureFormats::instance().canRead(p))
      out.push_back(p);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> TTextureLibrary::AddPictures(const std::vector<std::string>& paths, TProgress* progress,
                                                      const std::atomic<bool>* cancel) {
  std::vector<std::string> files;
  for (const std::string& p : paths)
    for (std::string& f : PicturesIn(p)) files.push_back(std::move(f));
  if (progress) progress->Begin("Adding Pictures...", int(files.size()));

  std::vector<std::optional<Result<TLibraryRecord>>> made(files.size());
  std::mutex mutex;
  std::condition_variable doneOne;
  std::atomic<size_t> next{0};
  size_t finished = 0;
  auto work = [&] {
    for (size_t i; !(cancel && *cancel) && (i = next++) < files.size();) {
      auto r = MakeLibraryRecord(files[i]);
      std::lock_guard lock(mutex);
      made[i] = std::move(r);
      ++finished;
      doneOne.notify_one();
    }
  };
  const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  std::vector<std::thread> workers;
  for (unsigned k = 0; k < std::min<size_t>(cores, files.size()); ++k) workers.emplace_back(work);
  // Progress steps on the calling thread, as each picture is done.
  for (size_t shown = 0; shown < files.size() && !(cancel && *cancel);) {
    std::unique_lock lock(mutex);
    doneOne.wait(lock, [&] { return finished > shown || (cancel && *cancel); });
    const size_t now = finished;
    lock.unlock();
    for (; shown < now; ++shown)
      if (progress) progress->Step();
  }
  for (auto& t : workers) t.join();
  if (progress) progress->End();

  std::vector<std::string> failures;
  for (auto& m : made) {
    if (!m) continue;
    if (m->ok())
      records_.push_back(std::move(m->value()));
    else
      failures.push_back(m->error());
  }
  return failures;
}

Status TTextureLibrary::Add(const std::string& format, std::vector<uint8_t> image) {
  auto r = MakeLibraryRecord(format, std::move(image));
  if (!r) return fail(r.error());
  records_.push_back(std::move(r.value()));
  return Ok{};
}

Status TTextureLibrary::Remove(size_t index) {
  if (index >= records_.size())
    return fail("the library has no texture " + std::to_string(index) + " (it has " + std::to_string(records_.size()) + ")");
  records_.erase(records_.begin() + std::ptrdiff_t(index));
  return Ok{};
}

Status TTextureLibrary::Move(size_t from, size_t to) {
  if (from >= records_.size() || to >= records_.size())
    return fail("the library has no texture " + std::to_string(std::max(from, to)) + " (it has " +
                std::to_string(records_.size()) + ")");
  TLibraryRecord r = std::move(records_[from]);
  records_.erase(records_.begin() + std::ptrdiff_t(from));
  records_.insert(records_.begin() + std::ptrdiff_t(to), std::move(r));
  return Ok{};
}

void TTextureLibrary::Append(TTextureLibrary&& other) {
  for (TLibraryRecord& r : other.records_) records_.push_back(std::move(r));
  other.records_.clear();
}

Status TTextureLibrary::Save(const std::string& path) const { return SaveFileAtomically(path, Bytes()); }

}  // namespace kelvane
