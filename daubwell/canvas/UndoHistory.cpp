#include "UndoHistory.h"

#include "Lighting.h"

namespace daubwell {

bool UndoHistory::push(const Canvas& canvas, bool changesCanvas) {
  if (!changesCanvas) return false;
  if (position_ != 0) {  // the undone steps are the redo states: they go
    snapshots_.erase(snapshots_.begin(), snapshots_.begin() + position_);
    position_ = 0;
    liveSaved_ = false;
  }
  if (snapshots_.size() >= kMaxSnapshots) snapshots_.pop_back();
  snapshots_.push_front({canvas.width, canvas.height, canvas.pixels});
  return true;
}

RestoreResult UndoHistory::undo(Canvas& canvas, Messages& messages) {
  if (!undoEnabled()) return RestoreResult::Nothing;
  if (!liveSaved_) {  // keep the live state so that Redo can come back to it
    push(canvas);
    ++position_;
    liveSaved_ = true;
  }
  ++position_;
  return restore(position_, canvas, messages);
}

RestoreResult UndoHistory::redo(Canvas& canvas, Messages& messages) {
  if (!redoEnabled()) return RestoreResult::Nothing;
  --position_;
  return restore(position_, canvas, messages);
}

void UndoHistory::reset() {
  snapshots_.clear();
  position_ = 0;
  liveSaved_ = false;
}

bool UndoHistory::menuEnabled(int menuId) const {
  if (menuId == kUndoMenuId) return undoEnabled();
  if (menuId == kRedoMenuId) return redoEnabled();
  return true;
}

RestoreResult UndoHistory::restore(size_t n, Canvas& canvas, Messages& messages) const {
  if (n == 0 || n > snapshots_.size()) {
    messages.show("NULL!", "Error", MessageIcon::Error);
    return RestoreResult::Missing;
  }
  const UndoSnapshot& s = snapshots_[n - 1];
  const bool resized = s.width != canvas.width || s.height != canvas.height;
  if (resized) canvas.create(s.width, s.height);
  canvas.pixels = s.pixels;
  relightAll(canvas);
  return resized ? RestoreResult::SizeChanged : RestoreResult::Restored;
}

}  // namespace daubwell
