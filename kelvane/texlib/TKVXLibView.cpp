#include "TKVXLibView.h"

#include <algorithm>
#include <cstring>

#include "../raster/ByteStream.h"
#include "../raster/PictureFormats.h"
#include "Thumbnail.h"

namespace kelvane {

Failure TKVXLibView::Damaged(const std::string& why) const { return fail("Texture library " + path_ + ": " + why); }

Status TKVXLibView::Open(const std::string& path) {
  Close();
  auto opened = PositionedFile::Open(path);
  if (!opened) return fail(opened.error());
  path_ = path;
  const uint64_t size = opened.value()->Size();
  if (size < kLibraryHeaderBytes) return Damaged("only " + std::to_string(size) + " bytes, too short for its count");
  auto count = opened.value()->ReadAt(6, 4);
  if (!count) return Damaged(count.error());
  uint32_t n;
  std::memcpy(&n, count->data(), 4);
  if (uint64_t(n) * 8 > size - kLibraryHeaderBytes)
    return Damaged("an index of " + std::to_string(n) + " entries does not fit in the file");
  const uint64_t indexStart = size - uint64_t(n) * 8;
  auto index = opened.value()->ReadAt(indexStart, uint64_t(n) * 8);
  if (!index) return Damaged(index.error());
  std::vector<int64_t> offsets(n);
  if (n) std::memcpy(offsets.data(), index->data(), size_t(n) * 8);
  for (uint32_t i = 0; i < n; ++i) {
    const int64_t p = offsets[i];
    if (p < int64_t(kLibraryHeaderBytes) || uint64_t(p) > indexStart ||
        indexStart - uint64_t(p) < kThumbnailBytes + kFormatBytes)
      return Damaged("texture " + std::to_string(i) + " at offset " + std::to_string(p) +
                     " lies outside the records");
  }
  file_ = opened.value();
  index_ = std::move(offsets);
  indexStart_ = indexStart;
  sortedStarts_.assign(index_.begin(), index_.end());
  std::sort(sortedStarts_.begin(), sortedStarts_.end());
  return Ok{};
}

void TKVXLibView::Close() {
  file_.reset();
  index_.clear();
  sortedStarts_.clear();
  indexStart_ = 0;
}

Status TKVXLibView::Check(size_t i) const {
  if (!file_) return fail("Texture library: not open");
  if (i >= index_.size())
    return Damaged("no texture " + std::to_string(i) + " (it has " + std::to_string(index_.size()) + ")");
  return Ok{};
}

Result<std::vector<uint8_t>> TKVXLibView::Read(uint64_t position, uint64_t count, const std::string& what) const {
  auto bytes = file_->ReadAt(position, count);
  if (!bytes) return Damaged(what + ": " + bytes.error());
  return bytes;
}

Result<TBitmap32> TKVXLibView::LoadThumbnail(size_t i) const {
  if (Status s = Check(i); !s) return fail(s.error());
  auto bytes = Read(uint64_t(index_[i]), kThumbnailBytes, "thumbnail " + std::to_string(i));
  if (!bytes) return fail(bytes.error());
  auto bmp = ReadBmp(bytes.value());
  if (!bmp) return Damaged("thumbnail " + std::to_string(i) + ": " + bmp.error());
  if (bmp->Width() != kThumbnailSide || bmp->Height() != kThumbnailSide)
    return bmp->Resampled(kThumbnailSide, kThumbnailSide);
  return bmp;
}

Result<std::vector<TBitmap32>> TKVXLibView::LoadThumbnails() const {
  std::vector<TBitmap32> out;
  for (size_t i = 0; i < index_.size(); ++i) {
    auto t = LoadThumbnail(i);
    if (!t) return fail(t.error());
    out.push_back(std::move(t.value()));
  }
  return out;
}

Result<std::string> TKVXLibView::LoadFormat(size_t i) const {
  if (Status s = Check(i); !s) return fail(s.error());
  auto bytes = Read(uint64_t(index_[i]) + kThumbnailBytes, kFormatBytes, "format of texture " + std::to_string(i));
  if (!bytes) return fail(bytes.error());
  std::string ext;
  for (uint8_t c : bytes.value()) {
    if (!c) break;
    ext += char(c);
  }
  return ext;
}

Result<std::vector<uint8_t>> TKVXLibView::LoadImage(size_t i) const {
  // The picture runs to the next record or to the index, whichever comes first.
  const uint64_t start = uint64_t(index_[i]) + kThumbnailBytes + kFormatBytes;
  auto next = std::upper_bound(sortedStarts_.begin(), sortedStarts_.end(), uint64_t(index_[i]));
  const uint64_t end = next == sortedStarts_.end() ? indexStart_ : std::min(*next, indexStart_);
  if (end < start) return Damaged("texture " + std::to_string(i) + " is cut short by the next record");
  return Read(start, end - start, "texture " + std::to_string(i));
}

Result<TLibraryRecord> TKVXLibView::LoadRecord(size_t i) const {
  if (Status s = Check(i); !s) return fail(s.error());
  auto thumb = Read(uint64_t(index_[i]), kThumbnailBytes, "thumbnail " + std::to_string(i));
  if (!thumb) return fail(thumb.error());
  auto format = LoadFormat(i);
  if (!format) return fail(format.error());
  auto image = LoadImage(i);
  if (!image) return fail(image.error());
  return TLibraryRecord{std::move(thumb.value()), std::move(format.value()), std::move(image.value())};
}

Result<TBitmap32> TKVXLibView::LoadTexture(size_t i) const {
  auto format = LoadFormat(i);
  if (!format) return fail(format.error());
  const PictureFormat* f = PictureFormats::instance().find(format.value());
  if (!f || !f->read) return TBitmap32();  // no picture format: no texture
  auto image = LoadImage(i);
  if (!image) return fail(image.error());
  auto picture = f->read(image.value());
  if (!picture) return Damaged("texture " + std::to_string(i) + ": " + picture.error());
  return picture;
}

std::vector<uint8_t> WriteTextureLibrary(std::span<const TLibraryRecord> records) {
  ByteWriter out;
  out.raw(kLibrarySignature, sizeof kLibrarySignature);
  out.le<uint32_t>(uint32_t(records.size()));
  std::vector<int64_t> index;
  for (const TLibraryRecord& r : records) {
    index.push_back(int64_t(out.size()));
    const size_t thumb = std::min<size_t>(r.Thumbnail.size(), kThumbnailBytes);
    out.raw(r.Thumbnail.data(), thumb);
    out.zeros(kThumbnailBytes - thumb);
    char format[kFormatBytes] = {};
    std::memcpy(format, r.Format.data(), std::min<size_t>(kFormatBytes, r.Format.size()));
    out.raw(format, kFormatBytes);
    out.raw(r.Image);
  }
  for (int64_t p : index) out.le(p);
  return std::move(out.bytes());
}

std::vector<uint8_t> WriteTextureLibrary(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& images,
                                         const std::vector<TBitmap32>& pictures) {
  std::vector<TLibraryRecord> records;
  for (size_t i = 0; i < images.size(); ++i)
    records.push_back({WriteBmp(MakeThumbnail(pictures.at(i)), 24), images[i].first, images[i].second});
  return WriteTextureLibrary(records);
}

}  // namespace kelvane
