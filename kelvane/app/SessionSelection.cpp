// The selection: gestures in the selection mode, the mask commands, the ants.
#include <algorithm>
#include <cmath>

#include "../select/GBlur1byte.h"
#include "TKVXEditSession.h"

namespace kelvane {

void TKVXEditSession::ChooseSelectionTool(TSelectionTool tool) {
  if (!SelectionCommandsEnabled()) return;
  eyedropper_ = false;
  sel_.Tool = tool;
  sel_.Vertices.clear();
  sel_.Dragging = sel_.BandActive = false;
  // The first click after choosing the polygon tool is already a vertex.
  sel_.InProgress = tool == TSelectionTool::stPolygon;
  SetMode(tool == TSelectionTool::stNone ? TWindowMode::None : TWindowMode::Selection);
}

void TKVXEditSession::SetEyedropper(bool on) {
  eyedropper_ = on;
  sel_.Tool = TSelectionTool::stNone;
  SetMode(on ? TWindowMode::Selection : TWindowMode::None);
}

void TKVXEditSession::CommitSelection() {
  hideSelection_ = false;
  SetModified(true);
  if (sel_.Tool == TSelectionTool::stNone || !currentMask_ || currentMask_->Empty()) {
    sel_.Vertices.clear();
    return;
  }
  TSelectionGesture g;
  g.tool = sel_.Tool;
  g.start = sel_.Start;
  g.end = sel_.End;
  if (sel_.Tool == TSelectionTool::stRectangle || sel_.Tool == TSelectionTool::stEllipse) {
    const TRect r = MarqueeRect();
    g.start = {r.Left, r.Top};
    g.end = {r.Right, r.Bottom};
  }
  g.vertices = sel_.Vertices;
  g.colourUnderPointer = sel_.ColourUnderPointer;
  g.colourAtPress = sel_.ColourAtPress;
  g.tolerance = Tolerance;
  g.dH = sel_.DeltaH / 1000;
  g.dS = sel_.DeltaS;
  g.dL = sel_.DeltaL;
  TSelectionSettings settings;
  settings.mode = sel_.Mode;
  settings.feather = Feather;
  settings.overlapping = Overlapping;
  std::vector<TObjectView> others;
  if (Overlapping)
    for (int i = 0; i <= Doc.HighIndex(); ++i)
      if (i != currentIndex_) settings.otherMasks.push_back(&others.emplace_back(ObjectView(i)).Mask);
  kelvane::CommitSelection(*currentMask_, Doc.Base, g, settings, &History);
  sel_.Vertices.clear();
  sel_.InProgress = sel_.Tool == TSelectionTool::stPolygon;
  UpdateSelectionDisplay();
}

TRect TKVXEditSession::MarqueeRect() const {
  // The corners in drawing order, so that a drag leftward or upward covers the same
  // pixels as the drag the other way; a click without moving still takes its pixel.
  const TPoint a{std::min(sel_.Start.x, sel_.End.x), std::min(sel_.Start.y, sel_.End.y)};
  const TPoint b{std::max(sel_.Start.x, sel_.End.x), std::max(sel_.Start.y, sel_.End.y)};
  return NormalisedMarquee(a, b);
}

void TKVXEditSession::InvertSelection() {
  if (!currentMask_ || !SelectionCommandsEnabled()) return;
  InvertMask(*currentMask_);
  UpdateSelectionDisplay();
}

void TKVXEditSession::Deselect() {
  if (!currentMask_ || !SelectionCommandsEnabled()) return;
  if (kelvane::Deselect(*currentMask_, Doc.SceneFieldOfView, &History)) UpdateSelectionDisplay();
}

void TKVXEditSession::SelectAll() {
  if (currentMask_ && kelvane::SelectAll(*currentMask_, SelectedCount())) UpdateSelectionDisplay();
}

void TKVXEditSession::FeatherSelection(double radius) {
  if (!currentMask_ || currentMask_->Empty() || radius <= 0) return;
  GBlur(*currentMask_, radius);
  UpdateSelectionDisplay();
}

void TKVXEditSession::SetHideSelection(bool hide) {
  hideSelection_ = hide;
  observer_->OverlayChanged();
}

void TKVXEditSession::SetMaskFromEditor(const TByteMap& edited) {
  if (!currentMask_ || edited.Width() != currentMask_->Width() || edited.Height() != currentMask_->Height()) return;
  *currentMask_ = edited;
  SetModified(true);
  UpdateSelectionDisplay();
}

void TKVXEditSession::SetHSLTolerances(float deltaH, float deltaS, float deltaL) {
  sel_.DeltaH = deltaH;
  sel_.DeltaS = deltaS;
  sel_.DeltaL = deltaL;
  if (sel_.Tool == TSelectionTool::stHSLRange && mode_ == TWindowMode::Selection && !Busy() &&
      SelectionCommandsEnabled())
    CommitSelection();
}

int TKVXEditSession::CursorNumber() const {
  // Three variants, plain, add and subtract, follow the combine mode.
  const int variant = int(sel_.Mode);
  switch (mode_) {
    case TWindowMode::Hand: return 42;
    case TWindowMode::ZoomRegion: return 44;
    case TWindowMode::Grid: return Layer.Cursor == TGridCursor::Edge ? 45 : 0;
    case TWindowMode::Selection: break;
    default: return 0;
  }
  if (eyedropper_) return 34;
  switch (sel_.Tool) {
    case TSelectionTool::stRectangle:
    case TSelectionTool::stEllipse: return 30 + variant;
    case TSelectionTool::stMagicWand: return 33;
    case TSelectionTool::stColorRange:
    case TSelectionTool::stHSLRange: return 34;
    case TSelectionTool::stPolygon: return 35 + variant;
    case TSelectionTool::stLasso: return 38 + variant;
    default: return 0;
  }
}

TBitmap32 TKVXEditSession::MaskPicture() const {
  if (!currentMask_) return {};
  TBitmap32 p(currentMask_->Width(), currentMask_->Height());
  for (int y = 0; y < p.Height(); ++y) {
    const uint8_t* m = currentMask_->ScanLine(y);
    TColor32* out = p.ScanLine(y);
    for (int x = 0; x < p.Width(); ++x) out[x] = 0xFF000000u | m[x] * 0x010101u;
  }
  return p;
}

void TKVXEditSession::ClearMask() {
  if (!currentMask_) return;
  currentMask_->Clear(0);
  UpdateSelectionDisplay();
}

void TKVXEditSession::PasteMask(const TBitmap32& picture) {
  if (!currentMask_ || picture.Empty()) return;
  // The picture's red channel where it overlaps the mask; the rest is not selected.
  currentMask_->Clear(0);
  const int w = std::min(picture.Width(), currentMask_->Width());
  const int h = std::min(picture.Height(), currentMask_->Height());
  for (int y = 0; y < h; ++y) {
    const TColor32* in = picture.ScanLine(y);
    uint8_t* m = currentMask_->ScanLine(y);
    for (int x = 0; x < w; ++x) m[x] = RedComponent(in[x]);
  }
  UpdateSelectionDisplay();
}

void TKVXEditSession::UpdateSelectionDisplay() {
  displayDue_ = false;
  if (loading_ || Busy() || mode_ == TWindowMode::ZoomRegion || SelectedCount() == 0) return;
  const TByteMap* source = SelectedCount() > 1 ? &unionMask_ : currentMask_;
  if (!source) return;
  displayMask_ = DisplayMask(*source, View.ViewWidth(), View.ViewHeight(), View.Scale(), View.OffsetX(),
                             View.OffsetY());
  selectionLayer_.SetSize(displayMask_.Width(), displayMask_.Height(), 0);
  ProgramAnts().Invalidate();
  MarchingAntsTick();
  // The edge is found by that first tick and drawn by the next: draw it now.
  MarchingAntsTick();
}

void TKVXEditSession::MarchingAntsTick() {
  if (hideSelection_) {
    if (selectionLayerVisible_) {
      selectionLayerVisible_ = false;
      observer_->OverlayChanged();
    }
    return;
  }
  // After the view moved the outline is in the old place until it is recomputed.
  if (displayDue_) return;
  selectionLayerVisible_ = true;
  if (mode_ == TWindowMode::Grid || mode_ == TWindowMode::ZoomRegion || mode_ == TWindowMode::Included ||
      sel_.Dragging || selectionLayer_.Empty() || displayMask_.Empty())
    return;
  ProgramAnts().Tick(selectionLayer_, displayMask_, {0, 0, displayMask_.Width() - 1, displayMask_.Height() - 1});
  observer_->OverlayChanged();
}

}  // namespace kelvane
