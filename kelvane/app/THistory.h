#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../drape/GridTools.h"
#include "../drape/KVXGridTools.h"
#include "../drape/TIncObjList.h"
#include "../raster/TByteMap.h"
#include "../select/TMaskRecorder.h"

namespace kelvane {

// Mask and grid are the current object's; the included objects are the document's.
enum class TSnapshotKind : uint8_t { Mask = 0, Grid = 1, Included = 2 };

// The undo history of a document window: a ring of ten snapshots of the current mask,
// grid or the included objects, each in a temporary ".tmp" file. An edit records the
// state before and after it. Snapshots belong to the object that was current when they
// were taken: making another object current drops them, so an Undo can never write one
// object's mask or grid into another.
//
// A slot holds the state between two edits: the "after" of the edit that ended there and
// the "before" of the edit that started there. When the two edits changed different
// things both are kept, so that Undo restores what the later edit changed and Redo what
// the earlier one changed; when they changed the same thing one file serves both.
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
  // The document's included objects; kept over a change of object.
  void SetIncluded(TIncObjList* list) { included_ = list; }
  // Forgets every snapshot (objects were added, deleted or merged: a map's address no
  // longer says which object it belongs to).
  void Reset();

  void RecordBefore(TSnapshotKind kind);
  // The state before an edit, taken with Snapshot() before the edit was made (for edits
  // that are only known to have changed something afterwards).
  void RecordBefore(TSnapshotKind kind, const std::vector<uint8_t>& snapshot);
  void RecordAfter(TSnapshotKind kind);
  void RecordMaskBefore() override { RecordBefore(TSnapshotKind::Mask); }
  void RecordMaskAfter() override { RecordAfter(TSnapshotKind::Mask); }
  void RecordGridBefore() override { RecordBefore(TSnapshotKind::Grid); }
  void RecordGridAfter() override { RecordAfter(TSnapshotKind::Grid); }
  // The snapshot of a kind as it would be recorded now.
  std::vector<uint8_t> Snapshot(TSnapshotKind kind) const;
  // Move the position and restore the slot there, if it holds a snapshot. Return whether
  // something was restored.
  bool Undo();
  bool Redo();
  // The kind the last Undo or Redo restored, when it restored something.
  bool Restored(TSnapshotKind kind) const { return restored_ && *restored_ == kind; }
  // Changes with every record, step and reset: an edit may merge into the previous one
  // while nothing else happened in between.
  uint64_t Serial() const { return serial_; }

  int Position() const { return position_; }
  bool HasSnapshot(int slot) const;

private:
  struct TSnapshot {
    std::string Path;
    TSnapshotKind Kind = TSnapshotKind::Mask;
    bool Empty() const { return Path.empty(); }
  };
  struct TSlot {
    TSnapshot After, Before;
  };

  TSnapshot WriteSnapshot(TSnapshotKind kind, const std::vector<uint8_t>& bytes) const;
  static void Drop(TSnapshot& s);
  void DropSlot(int slot);
  bool Restore(const TSnapshot& s);
  bool Step(bool forward);

  std::array<TSlot, kSlots> slots_;
  int position_ = 0;
  uint64_t serial_ = 0;
  std::optional<TSnapshotKind> restored_;
  TByteMap* mask_ = nullptr;
  TMapGrid* grid_ = nullptr;
  TIncObjList* included_ = nullptr;
};

}  // namespace kelvane
