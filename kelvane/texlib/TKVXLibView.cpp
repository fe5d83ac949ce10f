#include "TKVXLibView.h"

#include <cstring>
#include <filesystem>
#include <sstream>

#include "../raster/ByteStream.h"
#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"

namespace kelvane {
namespace fs = std::filesystem;

Status TKVXLibView::Open(const std::string& path) {
  Close();
  auto opened = PositionedFile::Open(path);
  if (!opened) return fail(opened.error());
  file_ = opened.value();
  auto count = ReadAt(6, 4);
  if (!count) {
    Close();
    return fail("Texture library: " + count.error());
  }
  uint32_t n;
  std::memcpy(&n, count->data(), 4);
  const uint64_t size = file_->Size();
  if (uint64_t(n) * 8 > size - 10) {
    Close();
    return fail("Texture library: index of " + std::to_string(n) + " entries does not fit in the file");
  }
  auto index = ReadAt(size - uint64_t(n) * 8, uint64_t(n) * 8);
  if (!index) {
    Close();
    return fail("Texture library: " + index.error());
  }
  index_.resize(n);
  if (n) std::memcpy(index_.data(), index->data(), size_t(n) * 8);
  return Ok{};
}

void TKVXLibView::Close() {
  file_.reset();
  index_.clear();
}

Result<std::vector<uint8_t>> TKVXLibView::ReadAt(uint64_t position, uint64_t count) const {
  if (!file_) return fail("not open");
  return file_->ReadAt(position, count);
}

Result<std::vector<TBitmap32>> TKVXLibView::LoadThumbnails() {
  std::vector<TBitmap32> out;
  for (int64_t pos : index_) {
    auto bytes = ReadAt(uint64_t(pos), kThumbnailBytes);
    if (!bytes) return fail("Texture library: " + bytes.error());
    auto bmp = ReadBmp(bytes.value());
    if (!bmp) return fail(bmp.error());
    out.push_back(std::move(bmp.value()));
  }
  return out;
}

Result<TBitmap32> TKVXLibView::LoadTexture(size_t i) {
  if (i >= index_.size()) return fail("Texture library: no texture " + std::to_string(i));
  const uint64_t at = uint64_t(index_[i]) + kThumbnailBytes;
  auto format = ReadAt(at, 4);
  if (!format) return fail("Texture library: " + format.error());
  std::string ext;
  for (uint8_t c : format.value()) {
    if (!c) break;
    ext += char(c);
  }
  const PictureFormat* f = PictureFormats::instance().find(ext);
  if (!f || !f->read) return TBitmap32();  // no picture format: no texture
  // The image runs to the next record or to the index, whichever comes first.
  uint64_t end = file_->Size() - index_.size() * 8;
  for (int64_t p : index_)
    if (uint64_t(p) > uint64_t(index_[i]) && uint64_t(p) < end) end = uint64_t(p);
  if (end < at + 4) return fail("Texture library: texture " + std::to_string(i) + " is cut short");
  auto image = ReadAt(at + 4, end - at - 4);
  if (!image) return fail("Texture library: " + image.error());
  return f->read(image.value());
}

namespace {
std::string& texLibOverride() {
  static std::string folder;
  return folder;
}
}  // namespace

std::string TexLibFolder() {
  if (!texLibOverride().empty()) return texLibOverride();
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ((ec ? fs::current_path() : exe.parent_path()) / "texlib").string() + "/";
}

void SetTexLibFolder(const std::string& folder) { texLibOverride() = folder; }

std::vector<std::string> ReadTextureList(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  bool inFiles = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inFiles = line == "[FILES]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!inFiles || eq == std::string::npos) continue;
    const std::string path = line.substr(eq + 1);
    if (PictureFormats::instance().canRead(path)) out.push_back(path);
  }
  return out;
}

std::vector<uint8_t> WriteTextureLibrary(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& images,
                                         const std::vector<TBitmap32>& thumbnails) {
  ByteWriter out;
  out.raw("KVXLIB", 6);
  out.le<uint32_t>(uint32_t(images.size()));
  std::vector<int64_t> index;
  for (size_t i = 0; i < images.size(); ++i) {
    index.push_back(int64_t(out.size()));
    auto thumb = WriteBmp(thumbnails[i].Resampled(100, 100), 24);
    out.raw(thumb);
    char format[4] = {};
    std::memcpy(format, images[i].first.data(), std::min<size_t>(4, images[i].first.size()));
    out.raw(format, 4);
    out.raw(images[i].second);
  }
  for (int64_t p : index) out.le(p);
  return std::move(out.bytes());
}

}  // namespace kelvane
