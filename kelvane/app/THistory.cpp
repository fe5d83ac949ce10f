#include "THistory.h"

#include <cstring>
#include <filesystem>

#include "../project/TempFiles.h"
#include "../raster/FileIO.h"

namespace kelvane {
namespace fs = std::filesystem;

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
}

void THistory::DropSlot(int slot) {
  std::string& p = paths_[size_t(slot)];
  if (p.empty()) return;
  ForgetExitTempFile(p);
  std::error_code ec;
  fs::remove(p, ec);
  p.clear();
}

std::string THistory::WriteSnapshot(TSnapshotKind kind) const {
  const std::string path = CreateTempFile(".tmp");
  if (path.empty()) return {};
  std::vector<uint8_t> bytes;
  if (kind == TSnapshotKind::Mask && mask_)
    bytes.assign(mask_->Bits(), mask_->Bits() + size_t(mask_->Width()) * mask_->Height());
  else if (kind == TSnapshotKind::Grid && grid_)
    bytes = WriteGridStream(*grid_);
  if (!SaveFileAtomically(path, bytes)) {
    std::error_code ec;
    fs::remove(path, ec);
    return {};
  }
  RegisterExitTempFile(path);
  return path;
}

void THistory::RecordBefore(TSnapshotKind kind) {
  DropSlot(position_);
  kinds_[size_t(position_)] = kind;
  paths_[size_t(position_)] = WriteSnapshot(kind);
  position_ = (position_ + 1) % kSlots;
}

void THistory::RecordAfter(TSnapshotKind kind) {
  DropSlot((position_ + 1) % kSlots);
  // The slot's previous file stays listed for deletion at exit.
  kinds_[size_t(position_)] = kind;
  paths_[size_t(position_)] = WriteSnapshot(kind);
}

bool THistory::Undo() {
  position_ = (position_ + kSlots - 1) % kSlots;
  return Restore(position_);
}

bool THistory::Redo() {
  position_ = (position_ + 1) % kSlots;
  return Restore(position_);
}

bool THistory::Restore(int slot) {
  const std::string& path = paths_[size_t(slot)];
  if (path.empty()) return false;
  auto bytes = ReadFileBytes(path);
  if (!bytes) return false;
  if (kinds_[size_t(slot)] == TSnapshotKind::Mask) {
    if (!mask_ || mask_->Empty()) return false;
    const size_t n = size_t(mask_->Width()) * mask_->Height();
    if (bytes->size() < n) return false;  // a snapshot of another size: left alone
    std::memcpy(mask_->Bits(), bytes->data(), n);
    return true;
  }
  if (!grid_) return false;
  auto g = ReadGridStream(bytes.value());
  if (!g) return false;
  *grid_ = std::move(g.value());
  return true;
}

}  // namespace kelvane
