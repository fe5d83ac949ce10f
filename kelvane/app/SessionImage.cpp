// Whole-image commands and the history.
#include <tuple>

#include "../filters/Adjust.h"
#include "TKVXEditSession.h"

namespace kelvane {

namespace {

// The same permutation as the image's, for a mask: a mask that kept the old size would
// no longer match the picture its object covers.
TByteMap Transformed(const TByteMap& m, int quarterTurns, bool flipH, bool flipV) {
  const int w = m.Width(), h = m.Height();
  const bool swap = quarterTurns % 2 == 1;
  TByteMap out(swap ? h : w, swap ? w : h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = m.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      int nx = flipH ? w - 1 - x : x, ny = flipV ? h - 1 - y : y;
      switch (quarterTurns) {
        case 1: std::tie(nx, ny) = std::pair{h - 1 - ny, nx}; break;
        case 2: std::tie(nx, ny) = std::pair{w - 1 - nx, h - 1 - ny}; break;
        case 3: std::tie(nx, ny) = std::pair{ny, w - 1 - nx}; break;
        default: break;
      }
      out.ScanLine(ny)[nx] = row[x];
    }
  }
  return out;
}

}  // namespace

void TKVXEditSession::Rotate(int quarterTurns) {
  if (Busy() || Doc.Base.Empty()) return;
  static constexpr TBitmap32 (*kTurns[])(const TBitmap32&) = {nullptr, Rotate90, Rotate180, Rotate270};
  quarterTurns = ((quarterTurns % 4) + 4) % 4;
  if (quarterTurns == 0) return;
  Doc.Base = kTurns[quarterTurns](Doc.Base);
  Doc.Result = kTurns[quarterTurns](Doc.Result);
  for (int i = 0; i <= Doc.HighIndex(); ++i) {
    TObjectView v = ObjectView(i);
    v.Mask = Transformed(v.Mask, quarterTurns, false, false);
  }
  Doc.Width = Doc.Base.Width();
  Doc.Height = Doc.Base.Height();
  History.Reset();
  SetModified(true);
  MakeCurrent();
  observer_->ImageChanged();
}

void TKVXEditSession::Flip(bool horizontal) {
  if (Busy() || Doc.Base.Empty()) return;
  auto flip = horizontal ? FlipHorizontal : FlipVertical;
  Doc.Base = flip(Doc.Base);
  Doc.Result = flip(Doc.Result);
  for (int i = 0; i <= Doc.HighIndex(); ++i) {
    TObjectView v = ObjectView(i);
    v.Mask = Transformed(v.Mask, 0, horizontal, !horizontal);
  }
  History.Reset();
  SetModified(true);
  MakeCurrent();
  observer_->ImageChanged();
}

void TKVXEditSession::RotateByAngle(double degrees) {
  if (Busy() || Doc.Base.Empty()) return;
  Doc.Base = kelvane::RotateByAngle(Doc.Base, degrees);
  Doc.Result = kelvane::RotateByAngle(Doc.Result, degrees);
  SetModified(true);
  observer_->ImageChanged();
}

void TKVXEditSession::ImageSize(int width, int height, TStretchFilter filter) {
  if (Busy() || width < 1 || height < 1 || Doc.Base.Empty()) return;
  Doc.Resize(width, height, filter);
  History.Reset();
  SetModified(true);
  MakeCurrent();
  observer_->ImageChanged();
}

void TKVXEditSession::GridEditBegin() {
  if (mode_ == TWindowMode::Grid) Layer.BeginGridEdit();
}

void TKVXEditSession::GridEditEnd() {
  if (mode_ == TWindowMode::Grid) Layer.EndGridEdit();
  observer_->OverlayChanged();
}

void TKVXEditSession::StepHistory(bool forward) {
  if (Busy()) return;
  GridEditBegin();
  forward ? History.Redo() : History.Undo();
  GridEditEnd();
  if (History.Restored(TSnapshotKind::Included)) {
    Included.NeedsRedraw = true;
    RedrawIncluded();
  }
  if (uv_) uv_->Redraw();
  UpdateSelectionDisplay();
  observer_->OverlayChanged();
}

}  // namespace kelvane
