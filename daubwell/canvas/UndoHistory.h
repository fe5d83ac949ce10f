#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "Canvas.h"
#include "Messages.h"

namespace daubwell {

inline constexpr int kUndoMenuId = 1200;
inline constexpr int kRedoMenuId = 1201;

// A copy of the document's records; the shown image is recomputed on restore.
struct UndoSnapshot {
  uint32_t width = 0, height = 0;
  std::vector<CanvasPixel> pixels;
};

enum class RestoreResult {
  Nothing,       // the command was greyed
  Restored,      // same size as before
  SizeChanged,   // the canvas window must be recreated
  Missing,       // the snapshot did not exist ("NULL!" was shown)
};

// Undo and Redo over at most six whole-canvas snapshots. Snapshot 1 is the newest;
// `position` is 0 at the live state, otherwise the snapshot currently shown.
class UndoHistory {
public:
  static constexpr size_t kMaxSnapshots = 6;

  // Records the canvas before a change. Edits that do not change the canvas pass false
  // and record nothing. Returns whether a snapshot was taken.
  bool push(const Canvas& canvas, bool changesCanvas = true);
  RestoreResult undo(Canvas& canvas, Messages& messages);
  RestoreResult redo(Canvas& canvas, Messages& messages);
  // New, Open, Import: forgets every snapshot, so Undo cannot cross into the previous
  // painting.
  void reset();

  bool undoEnabled() const { return snapshots_.size() > position_; }
  bool redoEnabled() const { return position_ >= 2; }
  // Enabled state of menu items 1200 (Undo) and 1201 (Redo); other ids are not ours.
  bool menuEnabled(int menuId) const;

  size_t count() const { return snapshots_.size(); }
  size_t position() const { return position_; }
  bool liveSaved() const { return liveSaved_; }

private:
  RestoreResult restore(size_t n, Canvas& canvas, Messages& messages) const;

  std::deque<UndoSnapshot> snapshots_;  // front is the newest
  size_t position_ = 0;
  bool liveSaved_ = false;
};

}  // namespace daubwell
