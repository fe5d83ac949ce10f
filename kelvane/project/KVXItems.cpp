#include "KVXItems.h"

#include <cstring>
#include <filesystem>

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "../texlib/TexLibRoots.h"
#include "TCashMarager.h"
#include "TempFiles.h"
#include "Zlib.h"

namespace kelvane {
namespace fs = std::filesystem;

// ---- ItemSource ----

Result<std::vector<uint8_t>> ItemSource::Read(uint64_t count, std::string_view what) {
  if (count > Remaining()) return fail(std::string(what) + ": truncated at offset " + std::to_string(pos_));
  if (file_) {
    auto b = file_->ReadAt(pos_, count);
    if (b) pos_ += count;
    return b;
  }
  std::vector<uint8_t> out(memory_.begin() + std::ptrdiff_t(pos_), memory_.begin() + std::ptrdiff_t(pos_ + count));
  pos_ += count;
  return out;
}

uint64_t ItemSource::Remaining() const {
  const uint64_t size = file_ ? file_->Size() : memory_.size();
  return pos_ <= size ? size - pos_ : 0;
}

// ---- strings and the parameter block ----

void WriteShortString(ByteWriter& out, const std::string& s, size_t capacity) {
  std::vector<uint8_t> field(capacity + 1, 0);
  const size_t n = std::min(s.size(), capacity);
  field[0] = uint8_t(n);
  std::memcpy(field.data() + 1, s.data(), n);
  out.raw(field);
}

std::string ReadShortString(std::span<const uint8_t> field) {
  const size_t n = std::min<size_t>(field[0], field.size() - 1);
  return std::string(reinterpret_cast<const char*>(field.data() + 1), n);
}

void WriteParamBlock(ByteWriter& out, const TKVXParamBlock& p) {
  out.le(p.Color);
  for (uint8_t b : {p.Glare, p.LevelUp, p.HiContrast, p.Transparency}) out.le(b);
  for (float f : {p.Rotate, p.TileX, p.TileY, p.SeamlessX, p.SeamlessY, p.ShiftX, p.ShiftY, p.FieldOfView}) out.le(f);
  out.le(p.MaterialKey);
  out.le(p.MaterialKey2);
  WriteShortString(out, p.Name, 100);
}

Result<TKVXParamBlock> ReadParamBlock(ItemSource& in) {
  auto b = in.Read(kParamBlockSize, "parameter block");
  if (!b) return fail(b.error());
  ByteReader r(b.value());
  TKVXParamBlock p;
  p.Color = r.le<uint32_t>("").value();
  for (uint8_t* v : {&p.Glare, &p.LevelUp, &p.HiContrast, &p.Transparency}) *v = r.le<uint8_t>("").value();
  for (float* f : {&p.Rotate, &p.TileX, &p.TileY, &p.SeamlessX, &p.SeamlessY, &p.ShiftX, &p.ShiftY, &p.FieldOfView})
    *f = r.le<float>("").value();
  p.MaterialKey = r.le<int32_t>("").value();
  p.MaterialKey2 = r.le<int32_t>("").value();
  p.Name = ReadShortString(r.bytes(101, "").value());
  return p;
}

// ---- the item life cycle ----

TKVXCustomItem::TKVXCustomItem(std::shared_ptr<const ProjectFile> stream, int64_t position, TCashMarager* swapper)
    : stream_(std::move(stream)), position_(position), swapper_(swapper),
      lastUse_(swapper ? swapper->Now() : std::chrono::steady_clock::now()) {
  if (swapper_) swapper_->Register(this);
}

TKVXCustomItem::~TKVXCustomItem() {
  if (swapper_) swapper_->Unregister(this);
  if (!swapPath_.empty()) {
    std::error_code ec;
    fs::remove(swapPath_, ec);
  }
}

bool TKVXCustomItem::NotLoaded() const {
  std::lock_guard lock(mutex_);
  return notLoaded_;
}

bool TKVXCustomItem::SwappedOut() const {
  std::lock_guard lock(mutex_);
  return swappedOut_;
}

TimePoint TKVXCustomItem::LastUse() const {
  std::lock_guard lock(mutex_);
  return lastUse_;
}

Status TKVXCustomItem::Ensure() {
  std::lock_guard lock(mutex_);
  return EnsureLocked();
}

Status TKVXCustomItem::EnsureLocked() {
  lastUse_ = swapper_ ? swapper_->Now() : std::chrono::steady_clock::now();
  if (!notLoaded_) return Ok{};
  Status result = Ok{};
  if (swappedOut_) {
    auto bytes = ReadFileBytes(swapPath_);
    if (!bytes) {
      result = fail(bytes.error());
    } else {
      ItemSource in(bytes.value());
      result = ReadData(in);
    }
  } else if (position_ >= 0 && stream_) {
    ItemSource in(stream_.get(), uint64_t(position_));
    result = ReadData(in);
  }
  // Marked loaded even after a failure, as the data (empty) is then what there is; the
  // failure is kept, so that whoever uses or saves the item learns of the loss.
  notLoaded_ = false;
  if (!result) loadError_ = result.error();
  return result;
}

Status TKVXCustomItem::LoadStatus() const {
  std::lock_guard lock(mutex_);
  if (loadError_.empty()) return Ok{};
  return fail(loadError_);
}

Status TKVXCustomItem::SwapOut() {
  std::lock_guard lock(mutex_);
  return SwapOutLocked();
}

Status TKVXCustomItem::SwapOutLocked() {
  if (notLoaded_) return Ok{};
  if (swapPath_.empty()) {
    swapPath_ = CreateTempFile(".~kv");
    if (swapPath_.empty()) return fail("Cannot create a swap file in " + TempFolder());
  }
  ByteWriter out;
  WriteData(out);
  // The swap file is ours alone (made exclusively) and lives only while the program
  // runs: it needs neither a temporary beside it nor a flush to disk. A failed write
  // leaves the data in memory.
  if (Status s = WriteFileBytes(swapPath_, out.bytes()); !s) return s;
  ClearData();
  notLoaded_ = true;
  swappedOut_ = true;
  return Ok{};
}

std::vector<uint8_t> TKVXCustomItem::Bytes() {
  std::lock_guard lock(mutex_);
  (void)EnsureLocked();
  ByteWriter out;
  WriteData(out);
  return std::move(out.bytes());
}

void TKVXCustomItem::Rebind(std::shared_ptr<const ProjectFile> stream, int64_t position) {
  std::lock_guard lock(mutex_);
  stream_ = std::move(stream);
  position_ = position;
  loadError_.clear();
}

// ---- masks ----

TByteMap& TKVXMask::Get() {
  (void)Ensure();
  return data_;
}

void TKVXMask::WriteData(ByteWriter& out) const {
  out.le<int32_t>(data_.Height());
  out.le<int32_t>(data_.Width());
  const auto z = Deflate9({data_.Bits(), size_t(data_.Width()) * data_.Height()});
  out.le<int32_t>(int32_t(z.size()));
  out.raw(z);
}

Status TKVXMask::ReadData(ItemSource& in) {
  auto h = in.Le<int32_t>("mask height");
  auto w = in.Le<int32_t>("mask width");
  auto z = in.Le<int32_t>("mask stream size");
  if (!h || !w || !z) return fail("Stream read error");
  if (*h < 0 || *w < 0 || *z < 0) return fail("mask: negative size");
  // zlib packs at most about 1032:1; a larger claim cannot come from this stream.
  const uint64_t bytes = uint64_t(*w) * uint64_t(*h);
  if (bytes > uint64_t(*z) * 1100 + 64 || *w > TBitmap32::kMaxSide || *h > TBitmap32::kMaxSide)
    return fail("mask: " + std::to_string(*w) + "x" + std::to_string(*h) + " does not fit its stream");
  auto stream = in.Read(uint64_t(*z), "mask stream");
  if (!stream) return fail(stream.error());
  auto data = InflateExact(stream.value(), size_t(bytes));
  if (!data) return fail(data.error());
  TByteMap m;
  m.SetSize(*w, *h);
  if (bytes) std::memcpy(m.Bits(), data->data(), size_t(bytes));
  data_ = std::move(m);
  return Ok{};
}

// ---- grids ----

TMapGrid& TKVXGrid::Get() {
  (void)Ensure();
  return data_;
}

void TKVXGrid::ClearData() { data_ = {0, 0, std::vector<TMapNode>(1), std::vector<TMapCell>(1)}; }

void TKVXGrid::WriteData(ByteWriter& out) const {
  out.le<int32_t>(int32_t(data_.Cols));
  out.le<int32_t>(int32_t(data_.Rows));
  out.le<int32_t>(int32_t(data_.Nodes.size()));
  out.le<int32_t>(int32_t(data_.Cells.size()));
  const auto nodes = Deflate9({reinterpret_cast<const uint8_t*>(data_.Nodes.data()), data_.Nodes.size() * 20});
  out.le<int32_t>(int32_t(nodes.size()));
  out.raw(nodes);
  const auto cells = Deflate9({reinterpret_cast<const uint8_t*>(data_.Cells.data()), data_.Cells.size() * 28});
  out.le<int32_t>(int32_t(cells.size()));
  out.raw(cells);
}

Status TKVXGrid::ReadData(ItemSource& in) {
  auto cols = in.Le<int32_t>("grid columns");
  auto rows = in.Le<int32_t>("grid rows");
  auto nodeCount = in.Le<int32_t>("node count");
  auto cellCount = in.Le<int32_t>("cell count");
  if (!cols || !rows || !nodeCount || !cellCount) return fail("Stream read error");
  if (*nodeCount < 0 || *cellCount < 0) return fail("grid: negative counts");
  TMapGrid g;
  g.Cols = *cols;
  g.Rows = *rows;
  for (auto [count, size, what] : {std::tuple{*nodeCount, 20, "nodes"}, std::tuple{*cellCount, 28, "cells"}}) {
    auto z = in.Le<int32_t>("grid stream size");
    if (!z || *z < 0) return fail("Stream read error");
    const uint64_t bytes = uint64_t(count) * uint64_t(size);
    if (bytes > uint64_t(*z) * 1100 + 64) return fail(std::string("grid: ") + what + " do not fit their stream");
    auto stream = in.Read(uint64_t(*z), what);
    if (!stream) return fail(stream.error());
    auto data = InflateExact(stream.value(), size_t(bytes));
    if (!data) return fail(data.error());
    if (size == 20) {
      g.Nodes.resize(size_t(count));
      if (bytes) std::memcpy(g.Nodes.data(), data->data(), size_t(bytes));
    } else {
      g.Cells.resize(size_t(count));
      if (bytes) std::memcpy(g.Cells.data(), data->data(), size_t(bytes));
    }
  }
  data_ = std::move(g);
  return Ok{};
}

// ---- parameters ----

TKVXParamBlock& TKVXParam::Get() {
  (void)Ensure();
  return data_;
}

Status TKVXParam::ReadData(ItemSource& in) {
  auto p = ReadParamBlock(in);
  if (!p) return fail(p.error());
  data_ = std::move(p.value());
  return Ok{};
}

// ---- textures ----

Result<TBitmap32> ReadBmpFrom(ItemSource& in) {
  auto header = in.Read(14, "BMP file header");
  if (!header) return fail(header.error());
  uint32_t size;
  std::memcpy(&size, header->data() + 2, 4);
  if (size < 14 || size - 14 > in.Remaining()) return fail("BMP: file size " + std::to_string(size) + " out of range");
  auto rest = in.Read(size - 14, "BMP");
  if (!rest) return fail(rest.error());
  std::vector<uint8_t> whole = std::move(header.value());
  whole.insert(whole.end(), rest->begin(), rest->end());
  return ReadBmp(whole);
}

TBitmap32& TKVXTexture::Get() {
  std::lock_guard lock(Mutex());
  Fetch();
  (void)EnsureLocked();
  return data_;
}

Status TKVXTexture::FetchStatus() const {
  std::lock_guard lock(Mutex());
  return fetched_;
}

void TKVXTexture::Fetch() {
  fetched_ = Ok{};
  if (FromLibrary && data_.Width() == 0) {
    auto t = FetchLibraryTexture(LibraryName, LibraryIndex);
    if (t)
      data_ = std::move(t.value());
    else
      fetched_ = fail(t.error());
  }
  if (FromFile && data_.Width() == 0) {
    if (auto t = LoadPicture(FilePath)) data_ = std::move(t.value());
  }
}

void TKVXTexture::WriteData(ByteWriter& out) const {
  if (FromLibrary) {
    out.le<uint8_t>(2);
    WriteShortString(out, LibraryName, 30);
    out.le<int32_t>(LibraryIndex);
  }
  if (FromFile) {
    out.le<uint8_t>(3);
    WriteShortString(out, FilePath, 255);
  }
  if (FromLibrary || FromFile) return;
  out.le<uint8_t>(data_.Empty() ? 255 : 0);
  out.raw(WriteBmp(data_, 32));
}

Status TKVXTexture::ReadData(ItemSource& in) {
  auto kind = in.Le<uint8_t>("texture kind");
  if (!kind) return fail(kind.error());
  switch (*kind) {
    case 0: {
      auto bmp = ReadBmpFrom(in);
      if (!bmp) return fail(bmp.error());
      data_ = std::move(bmp.value());
      return Ok{};
    }
    case 255:
      data_ = TBitmap32();
      return Ok{};
    case 2: {
      auto ref = in.Read(35, "library reference");
      if (!ref) return fail(ref.error());
      LibraryName = ReadShortString({ref->data(), 31});
      std::memcpy(&LibraryIndex, ref->data() + 31, 4);
      FromLibrary = true;
      data_ = TBitmap32();
      Fetch();
      return Ok{};
    }
    case 3: {
      auto path = in.Read(256, "texture file path");
      if (!path) return fail(path.error());
      FilePath = ReadShortString(path.value());
      FromFile = true;
      data_ = TBitmap32();
      if (PictureFormats::instance().canRead(FilePath)) Fetch();  // errors ignored
      return Ok{};
    }
    default:
      return fail("texture: unknown kind " + std::to_string(*kind));
  }
}

}  // namespace kelvane
