#include "THistory.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>

#include "../project/TempFiles.h"
#include "../raster/ByteStream.h"
#include "../raster/FileIO.h"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

// The included objects' snapshot: the list as the project stores it, then the selected
// entry, so that an undone change leaves the same entry in the "Params" window.
std::vector<uint8_t> IncludedSnapshot(const TIncObjList& list) {
  ByteWriter out;
  std::vector<uint8_t> records = list.WriteIncludedList();
  out.raw(records.data(), records.size());
  out.le<int32_t>(list.Selected());
  return std::move(out.bytes());
}

bool RestoreIncluded(TIncObjList& list, std::span<const uint8_t> bytes) {
  // Pictures already in memory are kept for the entries that name the same files: an
  // undone move must not read every picture again.
  std::map<std::pair<std::string, std::string>, std::shared_ptr<TBitmap32>> loaded;
  for (size_t i = 0; i < list.Count(); ++i)
    if (list[i].Picture) loaded[{list[i].PicturePath, list[i].AlphaPath}] = list[i].Picture;
  TIncObjList restored;
  auto used = restored.ReadIncludedList(bytes);
  if (!used) return false;
  ByteReader tail(bytes.subspan(*used));
  auto selected = tail.le<int32_t>("selected entry");
  for (size_t i = 0; i < restored.Count(); ++i)
    if (auto it = loaded.find({restored[i].PicturePath, restored[i].AlphaPath}); it != loaded.end())
      restored[i].Picture = it->second;
  restored.Select(selected ? *selected : -1);
  list = std::move(restored);
  return true;
}

}  // namespace

THistory::~THistory() {
  // The files stay until the program exits, as the other histories' do.
}

void THistory::SetCurrent(TByteMap* mask, TMapGrid* grid) {
  if (mask == mask_ && grid == grid_) return;
  Reset();
  mask_ = mask;
  grid_ = grid;
}

void THistory::Reset() {
  for (int i = 0; i < kSlots; ++i) DropSlot(i);
  position_ = 0;
  restored_.reset();
  ++serial_;
}

bool THistory::HasSnapshot(int slot) const {
  const TSlot& s = slots_[size_t(slot)];
  return !s.After.Empty() || !s.Before.Empty();
}

void THistory::Drop(TSnapshot& s) {
  if (s.Empty()) return;
  ForgetExitTempFile(s.Path);
  std::error_code ec;
  fs::remove(s.Path, ec);
  s.Path.clear();
}

void THistory::DropSlot(int slot) {
  Drop(slots_[size_t(slot)].After);
  Drop(slots_[size_t(slot)].Before);
}

std::vector<uint8_t> THistory::Snapshot(TSnapshotKind kind) const {
  switch (kind) {
    case TSnapshotKind::Mask:
      if (mask_) return {mask_->Bits(), mask_->Bits() + size_t(mask_->Width()) * mask_->Height()};
      break;
    case TSnapshotKind::Grid:
      if (grid_) return WriteGridStream(*grid_);
      break;
    case TSnapshotKind::Included:
      if (included_) return IncludedSnapshot(*included_);
      break;
  }
  return {};
}

THistory::TSnapshot THistory::WriteSnapshot(TSnapshotKind kind, const std::vector<uint8_t>& bytes) const {
  const std::string path = CreateTempFile(".tmp");
  if (path.empty()) return {};
  if (!SaveFileAtomically(path, bytes)) {
    std::error_code ec;
    fs::remove(path, ec);
    return {};
  }
  RegisterExitTempFile(path);
  return {path, kind};
}

void THistory::RecordBefore(TSnapshotKind kind) { RecordBefore(kind, Snapshot(kind)); }

void THistory::RecordBefore(TSnapshotKind kind, const std::vector<uint8_t>& snapshot) {
  TSlot& slot = slots_[size_t(position_)];
  Drop(slot.Before);
  // The previous edit's "after" of the same kind holds the same state as this "before".
  if (slot.After.Kind == kind) Drop(slot.After);
  slot.Before = WriteSnapshot(kind, snapshot);
  position_ = (position_ + 1) % kSlots;
  ++serial_;
}

void THistory::RecordAfter(TSnapshotKind kind) {
  // Whatever lay ahead (steps undone, the oldest step of a full ring) is gone.
  DropSlot((position_ + 1) % kSlots);
  DropSlot(position_);
  slots_[size_t(position_)].After = WriteSnapshot(kind, Snapshot(kind));
  ++serial_;
}

bool THistory::Undo() { return Step(false); }
bool THistory::Redo() { return Step(true); }

bool THistory::Step(bool forward) {
  position_ = (position_ + (forward ? 1 : kSlots - 1)) % kSlots;
  ++serial_;
  restored_.reset();
  const TSlot& slot = slots_[size_t(position_)];
  // Undo arrives at the state before the edit that starts here, Redo at the state after
  // the edit that ended here; a slot with one snapshot serves both.
  const TSnapshot& first = forward ? slot.After : slot.Before;
  const TSnapshot& s = first.Empty() ? (forward ? slot.Before : slot.After) : first;
  if (s.Empty() || !Restore(s)) return false;
  restored_ = s.Kind;
  return true;
}

bool THistory::Restore(const TSnapshot& s) {
  auto bytes = ReadFileBytes(s.Path);
  if (!bytes) return false;
  switch (s.Kind) {
    case TSnapshotKind::Mask: {
      if (!mask_ || mask_->Empty()) return false;
      const size_t n = size_t(mask_->Width()) * mask_->Height();
      if (bytes->size() < n) return false;  // a snapshot of another size: left alone
      std::memcpy(mask_->Bits(), bytes->data(), n);
      return true;
    }
    case TSnapshotKind::Grid: {
      if (!grid_) return false;
      auto g = ReadGridStream(bytes.value());
      if (!g) return false;
      *grid_ = std::move(g.value());
      return true;
    }
    case TSnapshotKind::Included:
      return included_ && RestoreIncluded(*included_, bytes.value());
  }
  return false;
}

}  // namespace kelvane
