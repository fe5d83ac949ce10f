// The mouse and the keys on the image view, by window mode.
#include <algorithm>
#include <cmath>

#include "TKVXEditSession.h"

namespace kelvane {

TPoint TKVXEditSession::ToBitmap(const TMouse& m) const {
  const TPointD p = View.ViewToBitmap(m.X, m.Y);
  return {int(std::floor(p.X)), int(std::floor(p.Y))};
}

namespace {
TGridMouse GridMouse(const TMouse& m, bool pressOrRelease) {
  TGridMouse g;
  g.Shift = m.Shift;
  g.Alt = m.Alt;
  g.Left = pressOrRelease ? m.Button == TMouseButton::Left : m.LeftHeld;
  g.Right = pressOrRelease ? m.Button == TMouseButton::Right : m.RightHeld;
  return g;
}
}  // namespace

TColor32 TKVXEditSession::BasePixel(TPoint p) const { return Doc.Base.Inside(p.x, p.y) ? Doc.Base.Pixel(p.x, p.y) : 0; }

void TKVXEditSession::MouseDown(const TMouse& m) {
  if (Busy()) return;
  const TPoint p = ToBitmap(m);
  switch (mode_) {
    case TWindowMode::Grid: {
      // The layer records each change of the grid in the history (before and after).
      const TPointD b = View.ViewToBitmap(m.X, m.Y);
      if (TKVXParamBlock* param = CurrentParam()) Layer.PreviewParam = *param;
      Layer.PreviewColor = currentColor_;
      Layer.MouseDown(b.X, b.Y, GridMouse(m, true));
      observer_->OverlayChanged();
      return;
    }
    case TWindowMode::ZoomRegion:
      if (m.Button != TMouseButton::Left || !m.NoModifiers()) return;
      zoomRect_ = {int(m.X), int(m.Y), int(m.X) + 1, int(m.Y) + 1};
      zoomDragging_ = true;
      observer_->OverlayChanged();
      return;
    case TWindowMode::Hand:
      if (m.Button != TMouseButton::Left || !m.NoModifiers()) return;
      handDragging_ = true;
      handLast_ = {m.X, m.Y};
      return;
    case TWindowMode::Included: {
      // The rubber band: a handle sizes the selected picture, inside it moves it.
      const TPointD b = View.ViewToBitmap(m.X, m.Y);
      Included.HandleSize = 4 / std::max(View.Scale(), 1e-6);
      Included.MouseDown(b.X, b.Y);
      // What a move or a resize is undone to (the entry under the press already chosen).
      includedBefore_ = Included.Grab() == TBandGrab::None ? std::vector<uint8_t>{}
                                                           : History.Snapshot(TSnapshotKind::Included);
      observer_->OverlayChanged();
      return;
    }
    case TWindowMode::Selection:
      break;
    case TWindowMode::None:
      PickAt(View.ViewToBitmap(m.X, m.Y).X, View.ViewToBitmap(m.X, m.Y).Y, m.Shift, m.Ctrl);
      return;
  }
  if (eyedropper_) {
    SetCurrentColor(BasePixel(p));
    return;
  }
  // Shift or Alt held at the press chooses the mode even when the key went down while
  // another window had the keyboard (the tool window whose button was just clicked).
  if (m.Shift != m.Alt) sel_.Mode = m.Shift ? TCombineMode::cmAdd : TCombineMode::cmSubtract;
  sel_.ColourAtPress = BasePixel(p);
  sel_.Pointer = p;
  switch (sel_.Tool) {
    case TSelectionTool::stRectangle:
    case TSelectionTool::stEllipse:
      sel_.Start = sel_.End = p;
      sel_.Dragging = sel_.BandActive = true;
      break;
    case TSelectionTool::stPolygon:
      if (m.Button == TMouseButton::Right && m.NoModifiers()) {
        sel_.Vertices.push_back(p);
        CommitSelection();
      } else if (m.Button == TMouseButton::Left) {
        if (!sel_.InProgress) {
          sel_.Vertices.clear();
          sel_.InProgress = true;
        }
        sel_.Vertices.push_back(p);
      }
      break;
    case TSelectionTool::stLasso:
      sel_.Vertices.clear();
      sel_.InProgress = true;
      sel_.Dragging = true;
      sel_.Vertices.push_back(p);
      break;
    case TSelectionTool::stNone:
      PickAt(View.ViewToBitmap(m.X, m.Y).X, View.ViewToBitmap(m.X, m.Y).Y, m.Shift, m.Ctrl);
      break;
    default:  // the colour tools commit on release
      sel_.Dragging = true;
      break;
  }
  observer_->OverlayChanged();
}

void TKVXEditSession::MouseMove(const TMouse& m) {
  const TPoint p = ToBitmap(m);
  switch (mode_) {
    case TWindowMode::Grid: {
      if (Busy()) return;
      const TPointD b = View.ViewToBitmap(m.X, m.Y);
      Layer.MouseMove(b.X, b.Y, GridMouse(m, false));
      observer_->OverlayChanged();
      return;
    }
    case TWindowMode::ZoomRegion:
      if (!zoomDragging_) return;
      zoomRect_.Right = int(m.X);
      zoomRect_.Bottom = int(m.Y);
      observer_->OverlayChanged();
      return;
    case TWindowMode::Hand:
      if (!handDragging_) return;
      View.ScrollBy(handLast_.X - m.X, handLast_.Y - m.Y);
      handLast_ = {m.X, m.Y};
      SynchroniseView();
      return;
    case TWindowMode::Included: {
      if (Busy() || !m.LeftHeld || Included.Grab() == TBandGrab::None) return;
      const TPointD b = View.ViewToBitmap(m.X, m.Y);
      Included.MouseMove(b.X, b.Y);
      RedrawIncluded();
      observer_->OverlayChanged();
      return;
    }
    case TWindowMode::Selection:
      break;
    default:
      return;
  }
  if (Busy()) return;
  sel_.ColourUnderPointer = BasePixel(p);
  sel_.Pointer = p;
  if (sel_.BandActive) {
    sel_.End = p;
    observer_->OverlayChanged();
  } else if (sel_.Tool == TSelectionTool::stLasso && sel_.InProgress && sel_.Dragging) {
    if (sel_.Vertices.empty() || !(sel_.Vertices.back() == p)) sel_.Vertices.push_back(p);
    observer_->OverlayChanged();
  } else if (sel_.Tool == TSelectionTool::stPolygon && !sel_.Vertices.empty()) {
    observer_->OverlayChanged();
  }
}

void TKVXEditSession::MouseUp(const TMouse& m) {
  const TPoint p = ToBitmap(m);
  switch (mode_) {
    case TWindowMode::Grid:
      if (!Busy() && Layer.MouseUp()) SetModified(true);
      observer_->OverlayChanged();
      return;
    case TWindowMode::ZoomRegion: {
      if (!zoomDragging_) return;
      zoomDragging_ = false;
      TRect r = zoomRect_;
      if (r.Right < r.Left || r.Bottom < r.Top) {
        View.SetScale(1);
      } else {
        const TPointD a = View.ViewToBitmap(r.Left, r.Top), b = View.ViewToBitmap(r.Right, r.Bottom);
        const double w = std::max(b.X - a.X, 1e-9), h = std::max(b.Y - a.Y, 1e-9);
        View.SetScale(std::min((View.ViewWidth() - 19) / w, (View.ViewHeight() - 19) / h));
        View.CentreOn((a.X + b.X) / 2, (a.Y + b.Y) / 2);
      }
      SynchroniseView();
      observer_->OverlayChanged();
      return;
    }
    case TWindowMode::Hand:
      handDragging_ = false;
      return;
    case TWindowMode::Included:
      if (Included.MouseUp()) {
        if (includedBefore_.empty())
          IncludedEdited();
        else
          IncludedChanged(includedBefore_);
      }
      includedBefore_.clear();
      observer_->OverlayChanged();
      return;
    case TWindowMode::Selection:
      break;
    default:
      return;
  }
  if (Busy() || eyedropper_) return;
  sel_.ColourUnderPointer = BasePixel(p);
  switch (sel_.Tool) {
    case TSelectionTool::stRectangle:
    case TSelectionTool::stEllipse:
      if (!sel_.BandActive) return;
      sel_.End = p;
      sel_.BandActive = sel_.Dragging = false;
      CommitSelection();
      break;
    case TSelectionTool::stLasso:
      if (!sel_.InProgress) return;
      sel_.Vertices.push_back(p);
      sel_.InProgress = sel_.Dragging = false;
      CommitSelection();
      break;
    case TSelectionTool::stColorRange:
    case TSelectionTool::stMagicWand:
    case TSelectionTool::stHSLRange:
      sel_.Dragging = false;
      // A click beside the picture has no colour to go by: it must not empty the
      // selection it missed.
      if (!Doc.Base.Inside(p.x, p.y)) break;
      sel_.End = p;  // the wand's seed
      CommitSelection();
      break;
    default:
      break;
  }
  observer_->OverlayChanged();
}

void TKVXEditSession::DoubleClick(const TMouse&) {
  if (mode_ != TWindowMode::Selection || sel_.Tool != TSelectionTool::stPolygon || Busy()) return;
  CommitSelection();
  observer_->OverlayChanged();
}

void TKVXEditSession::KeyDown(bool shift, bool alt, bool deleteKey) {
  if (mode_ == TWindowMode::ZoomRegion) return;
  sel_.Mode = TCombineMode::cmReplace;
  if (shift && !alt) sel_.Mode = TCombineMode::cmAdd;
  if (alt && !shift) sel_.Mode = TCombineMode::cmSubtract;
  if (deleteKey && sel_.Tool == TSelectionTool::stPolygon && sel_.Vertices.size() >= 2) {
    sel_.Vertices.pop_back();
    observer_->OverlayChanged();
  }
  observer_->ModeChanged();
}

void TKVXEditSession::KeyUp() {
  if (mode_ == TWindowMode::ZoomRegion) return;
  sel_.Mode = TCombineMode::cmReplace;
  observer_->ModeChanged();
}

}  // namespace kelvane
