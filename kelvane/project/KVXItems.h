#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "../drape/KVXGridTools.h"
#include "../drape/KVXType.h"
#include "../raster/ByteStream.h"
#include "../raster/FileIO.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

namespace kelvane {

class TCashMarager;
using TimePoint = std::chrono::steady_clock::time_point;

// The open project file that unloaded items read from.
using ProjectFile = PositionedFile;

// Bytes read in order, from the project file at a position or from memory (a swap
// file's contents); every read is checked against what is there.
class ItemSource {
public:
  ItemSource(const ProjectFile* file, uint64_t position) : file_(file), pos_(position) {}
  explicit ItemSource(std::span<const uint8_t> memory) : memory_(memory) {}
  Result<std::vector<uint8_t>> Read(uint64_t count, std::string_view what);
  uint64_t Remaining() const;
  template <class T>
  Result<T> Le(std::string_view what) {
    auto b = Read(sizeof(T), what);
    if (!b) return fail(b.error());
    T v;
    std::memcpy(&v, b->data(), sizeof(T));
    return v;
  }

private:
  const ProjectFile* file_ = nullptr;
  std::span<const uint8_t> memory_;
  uint64_t pos_ = 0;
};

// The parameter block as the project file stores it.
void WriteParamBlock(ByteWriter& out, const TKVXParamBlock& p);
Result<TKVXParamBlock> ReadParamBlock(ItemSource& in);

// A length-prefixed string field of `capacity` characters (capacity + 1 bytes).
void WriteShortString(ByteWriter& out, const std::string& s, size_t capacity);
std::string ReadShortString(std::span<const uint8_t> field);

// One lazily loaded part of an object. Every use goes through Ensure (or a subclass's
// Get), which brings the data back from the project file or the swap file first. One
// mutex per item keeps loading, use and swapping out of the same item apart.
class TKVXCustomItem {
public:
  TKVXCustomItem(std::shared_ptr<const ProjectFile> stream, int64_t position, TCashMarager* swapper);
  virtual ~TKVXCustomItem();
  TKVXCustomItem(const TKVXCustomItem&) = delete;
  TKVXCustomItem& operator=(const TKVXCustomItem&) = delete;

  // Loads the data if needed and marks the item used; fails when this load failed.
  Status Ensure();
  // Ok, or why the item's data could not be read from its file: the item then holds
  // empty data, and saving it would lose what the file held. The failure stays until
  // the item has been written to a project file (Rebind).
  Status LoadStatus() const;
  // Writes the data to the swap file and drops it (only when loaded).
  Status SwapOut();
  // The item's bytes as the project file and the swap file hold them (loads first;
  // the bytes of what the item holds, empty data when LoadStatus failed).
  std::vector<uint8_t> Bytes();

  // Pinned items are never swapped out: the document window pins its current object's
  // grid and mask (SetPinned), and an object view pins its items while it is held.
  bool Pinned() const { return pinned_ || pins_ > 0; }
  void SetPinned(bool p) { pinned_ = p; }
  void Pin() { ++pins_; }
  void Unpin() { --pins_; }
  bool NotLoaded() const;
  bool SwappedOut() const;
  TimePoint LastUse() const;
  const std::string& SwapPath() const { return swapPath_; }
  // After a save: the item now lives in another file at another place, as it is held.
  void Rebind(std::shared_ptr<const ProjectFile> stream, int64_t position);

  std::mutex& Mutex() const { return mutex_; }

protected:
  virtual void ClearData() = 0;
  virtual void WriteData(ByteWriter& out) const = 0;
  virtual Status ReadData(ItemSource& in) = 0;
  Status EnsureLocked();

private:
  friend class TCashMarager;
  Status SwapOutLocked();

  mutable std::mutex mutex_;
  std::shared_ptr<const ProjectFile> stream_;
  int64_t position_;
  TCashMarager* swapper_;
  bool notLoaded_ = true;
  bool swappedOut_ = false;
  std::atomic<bool> pinned_{false};
  std::atomic<int> pins_{0};
  TimePoint lastUse_;
  std::string swapPath_;
  std::string loadError_;  // empty: the data is what the file held
};

class TKVXMask : public TKVXCustomItem {
public:
  using TKVXCustomItem::TKVXCustomItem;
  TByteMap& Get();

protected:
  void ClearData() override { data_ = TByteMap(); }
  void WriteData(ByteWriter& out) const override;
  Status ReadData(ItemSource& in) override;

private:
  TByteMap data_;
};

class TKVXGrid : public TKVXCustomItem {
public:
  using TKVXCustomItem::TKVXCustomItem;
  TMapGrid& Get();

protected:
  void ClearData() override;
  void WriteData(ByteWriter& out) const override;
  Status ReadData(ItemSource& in) override;

private:
  TMapGrid data_ = {0, 0, std::vector<TMapNode>(1), std::vector<TMapCell>(1)};
};

class TKVXParam : public TKVXCustomItem {
public:
  using TKVXCustomItem::TKVXCustomItem;
  TKVXParamBlock& Get();

protected:
  void ClearData() override {}
  void WriteData(ByteWriter& out) const override { WriteParamBlock(out, data_); }
  Status ReadData(ItemSource& in) override;

private:
  TKVXParamBlock data_;
};

// Where the texture comes from: its own pixels (kinds 0 and 255), a library entry
// (kind 2) or a picture file (kind 3).
class TKVXTexture : public TKVXCustomItem {
public:
  using TKVXCustomItem::TKVXCustomItem;
  // The bitmap, fetched from the library or the picture file when empty.
  TBitmap32& Get();
  // Why the last fetch from the library gave no bitmap: the failure names the library
  // and the texture. Ok when the fetch worked or none was needed.
  Status FetchStatus() const;

  bool FromLibrary = false;
  bool FromFile = false;
  std::string LibraryName;  // up to 30 characters, no folder
  int32_t LibraryIndex = 0;
  std::string FilePath;     // up to 255 characters

protected:
  void ClearData() override { data_ = TBitmap32(); }
  void WriteData(ByteWriter& out) const override;
  Status ReadData(ItemSource& in) override;

private:
  void Fetch();
  TBitmap32 data_;
  Status fetched_ = Ok{};
};

// Reads a whole BMP file from the source, its length taken from its own header.
Result<TBitmap32> ReadBmpFrom(ItemSource& in);

}  // namespace kelvane
