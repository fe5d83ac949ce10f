#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "../drape/GridTools.h"
#include "../drape/KVXGridTools.h"
#include "../raster/TByteMap.h"
#include "../select/TMaskRecorder.h"

namespace kelvane {

enum class TSnapshotKind : uint8_t { Mask = 0, Grid = 1 };

// The undo history of a document window: a ring of ten snapshots of the current mask or
// grid, each in a temporary ".tmp" file. An edit records the state before and after it.
// Snapshots belong to the object that was current when they were taken: making another
// object current drops them, so an Undo can never write one object's mask or grid into
// another.
class THistory final : public TMaskRecorder, public TGridRecorder {
public:
  static constexpr int kSlots = 10;

  THistory() = default;
  ~THistory() override;
  THistory(const THistory&) = delete;
  THistory& operator=(const THistory&) = delete;

  // The maps snapshots are restored into: the current object's mask and grid. A change
  // of object forgets every snapshot.
  void SetCurrent(TByteMap* mask, TMapGrid* grid);
  // Forgets every snapshot (objects were added, deleted or merged: a map's address no
  // longer says which object it belongs to).
  void Reset();

  void RecordBefore(TSnapshotKind kind);
  void RecordAfter(TSnapshotKind kind);
  void RecordMaskBefore() override { RecordBefore(TSnapshotKind::Mask); }
  void RecordMaskAfter() override { RecordAfter(TSnapshotKind::Mask); }
  void RecordGridBefore() override { RecordBefore(TSnapshotKind::Grid); }
  void RecordGridAfter() override { RecordAfter(TSnapshotKind::Grid); }
  // Move the position and restore the slot there, if it holds a snapshot. Return whether
  // something was restored.
  bool Undo();
  bool Redo();

  int Position() const { return position_; }
  bool HasSnapshot(int slot) const { return !paths_[size_t(slot)].empty(); }

private:
  std::string WriteSnapshot(TSnapshotKind kind) const;
  void DropSlot(int slot);
  bool Restore(int slot);

  std::array<std::string, kSlots> paths_;
  std::array<TSnapshotKind, kSlots> kinds_{};
  int position_ = 0;
  TByteMap* mask_ = nullptr;
  TMapGrid* grid_ = nullptr;
};

}  // namespace kelvane
