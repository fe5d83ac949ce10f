#include "TKVXEditSession.h"

#include <algorithm>
#include <cmath>

#include "../project/TCashMarager.h"
#include "SessionLibrary.h"

namespace kelvane {

TMarchingAnts& ProgramAnts() {
  static TMarchingAnts ants;
  return ants;
}

std::string SubmaterialKey(const std::string& name) {
  const size_t at = name.find(" - ");
  return at == std::string::npos ? name : name.substr(at);
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + extension;
  return path.substr(0, dot) + extension;
}

TKVXEditSession::TKVXEditSession(const TServices& services, TKVXOptions& options, TCashMarager* swapper)
    : Doc(swapper), services_(services), options_(options), swapper_(swapper) {
  Layer.Recorder = &History;
  Layer.DividePrompt = services.DivideGrid;
  Included.List = &Doc.Included;
  Included.PictureLoader = LoadIncludedPicture;
  History.SetIncluded(&Doc.Included);
}

TKVXEditSession::~TKVXEditSession() {
  // The items go with the document; nothing may stay pinned by the window.
  for (auto& o : Doc.Objects)
    for (TKVXCustomItem* item : {static_cast<TKVXCustomItem*>(o->Mask.get()), static_cast<TKVXCustomItem*>(o->Grid.get()),
                                 static_cast<TKVXCustomItem*>(o->Texture.get()), static_cast<TKVXCustomItem*>(o->Param.get())})
      item->SetPinned(false);
}

void TKVXEditSession::Message(const std::string& text, TMessageKind kind) {
  if (services_.Messages) services_.Messages->Show(text, kind);
}

bool TKVXEditSession::Ask(const std::string& text) {
  return services_.Messages && services_.Messages->Ask(text, TButtons::YesNo) == TAnswer::Yes;
}

void TKVXEditSession::SetModified(bool m) {
  if (modified_ == m) return;
  modified_ = m;
  observer_->StateChanged();
}

TKVXParamBlock* TKVXEditSession::CurrentParam() {
  if (currentIndex_ < 0 || currentIndex_ > Doc.HighIndex()) return nullptr;
  return &Doc.Objects[size_t(currentIndex_)]->Param->Get();
}

// ---- the side panel's checks write into the current object's parameters

bool TKVXEditSession::Glare() {
  TKVXParamBlock* p = CurrentParam();
  return p && p->Glare;
}
bool TKVXEditSession::HiContrast() {
  TKVXParamBlock* p = CurrentParam();
  return p && p->HiContrast;
}
bool TKVXEditSession::LevelUp() {
  TKVXParamBlock* p = CurrentParam();
  return p && p->LevelUp;
}
int TKVXEditSession::Transparency() {
  TKVXParamBlock* p = CurrentParam();
  return p ? p->Transparency : 255;
}
void TKVXEditSession::SetGlare(bool on) {
  if (TKVXParamBlock* p = CurrentParam()) p->Glare = on;
}
void TKVXEditSession::SetHiContrast(bool on) {
  if (TKVXParamBlock* p = CurrentParam()) p->HiContrast = on;
}
void TKVXEditSession::SetLevelUp(bool on) {
  if (TKVXParamBlock* p = CurrentParam()) p->LevelUp = on;
}
void TKVXEditSession::SetTransparency(int t) {
  if (TKVXParamBlock* p = CurrentParam()) p->Transparency = uint8_t(std::clamp(t, 0, 255));
}

// ---- the object list

bool TKVXEditSession::RowSelected(int row) const {
  return row >= 0 && row < RowCount() && rowSelected_[size_t(row)];
}

int TKVXEditSession::SelectedCount() const { return int(std::count(rowSelected_.begin(), rowSelected_.end(), true)); }

std::vector<int> TKVXEditSession::SelectedRows() const {
  std::vector<int> rows;
  for (int i = 0; i < RowCount(); ++i)
    if (rowSelected_[size_t(i)]) rows.push_back(i);
  return rows;
}

std::string TKVXEditSession::RowCaption(int row) {
  if (row < 0 || row > Doc.HighIndex()) return {};
  return Doc.Objects[size_t(row)]->Param->Get().Name;
}

void TKVXEditSession::RenameRow(int row, const std::string& caption) {
  if (row < 0 || row > Doc.HighIndex()) return;
  Doc.Objects[size_t(row)]->Param->Get().Name = caption.substr(0, 100);
  SetModified(true);
}

void TKVXEditSession::RefillList(int selectRow) {
  rowSelected_.assign(size_t(Doc.HighIndex() + 1), false);
  itemIndex_ = -1;
  observer_->ObjectListChanged();
  if (selectRow >= 0) SelectOnlyRow(selectRow);
}

void TKVXEditSession::SelectOnlyRow(int row) {
  std::fill(rowSelected_.begin(), rowSelected_.end(), false);
  if (row >= 0 && row < RowCount()) {
    rowSelected_[size_t(row)] = true;
    itemIndex_ = row;
  }
  observer_->ListSelectionChanged();
  OnListSelectionChanged();
}

void TKVXEditSession::SetListSelection(const std::vector<int>& rows, int itemIndex) {
  std::fill(rowSelected_.begin(), rowSelected_.end(), false);
  for (int r : rows)
    if (r >= 0 && r < RowCount()) rowSelected_[size_t(r)] = true;
  itemIndex_ = itemIndex >= 0 && itemIndex < RowCount() ? itemIndex : -1;
  OnListSelectionChanged();
}

void TKVXEditSession::OnListSelectionChanged() {
  if (merging_) return;
  const int n = SelectedCount();
  if (n >= 2) {
    // The selection tools work on one object only.
    sel_.Tool = TSelectionTool::stNone;
    if (mode_ == TWindowMode::Selection) SetMode(TWindowMode::None);
    UpdateUnionMask();
    UpdateSelectionDisplay();
  } else if (n == 1) {
    currentIndex_ = SelectedRows().front();
    MakeCurrent();
  }
  observer_->StateChanged();
}

void TKVXEditSession::UpdateUnionMask() {
  unionMask_ = TByteMap();
  for (int row : SelectedRows()) {
    TObjectView v = ObjectView(row);
    if (unionMask_.Empty())
      unionMask_ = v.Mask;
    else if (v.Mask.Width() == unionMask_.Width() && v.Mask.Height() == unionMask_.Height())
      for (size_t i = 0, n = size_t(unionMask_.Width()) * unionMask_.Height(); i < n; ++i)
        unionMask_.Bits()[i] = std::max(unionMask_.Bits()[i], v.Mask.Bits()[i]);
  }
}

// ---- modes and the current object

void TKVXEditSession::SetMode(TWindowMode mode) {
  mode_ = mode;
  if (mode != TWindowMode::Selection) {
    eyedropper_ = false;
    sel_.Tool = TSelectionTool::stNone;
  }
  if (mode != TWindowMode::ZoomRegion) zoomDragging_ = false;
  if (mode == TWindowMode::Grid) {
    Layer.ClearOverlay();
    Layer.EnsureLattice();
  }
  SynchroniseView();
  observer_->ModeChanged();
  observer_->OverlayChanged();
}

void TKVXEditSession::PinCurrent() {
  for (auto& o : Doc.Objects)
    for (TKVXCustomItem* item : {static_cast<TKVXCustomItem*>(o->Mask.get()), static_cast<TKVXCustomItem*>(o->Grid.get()),
                                 static_cast<TKVXCustomItem*>(o->Texture.get()), static_cast<TKVXCustomItem*>(o->Param.get())})
      item->SetPinned(false);
  if (currentIndex_ < 0 || currentIndex_ > Doc.HighIndex()) return;
  // The window holds references into the current object's mask, grid, texture and
  // parameters for as long as it is current: none of them may be swapped out.
  TKVXObject2& o = *Doc.Objects[size_t(currentIndex_)];
  o.Mask->SetPinned(true);
  o.Grid->SetPinned(true);
  o.Texture->SetPinned(true);
  o.Param->SetPinned(true);
}

void TKVXEditSession::MakeCurrent() {
  if (currentIndex_ < 0 || currentIndex_ > Doc.HighIndex()) return;
  sel_.Tool = TSelectionTool::stNone;
  sel_.Vertices.clear();
  sel_.InProgress = sel_.Dragging = sel_.BandActive = false;
  if (mode_ == TWindowMode::Selection && !eyedropper_) mode_ = TWindowMode::None;

  TObjectView v = ObjectView(currentIndex_);
  PinCurrent();  // before the view lets go of its pins
  currentMask_ = &v.Mask;
  Layer.SetImageSize(Doc.Width, Doc.Height);
  Layer.SetGrid(&v.Grid, v.Param.MaterialKey);
  History.SetCurrent(&v.Mask, &v.Grid);
  currentColor_ = v.Param.Color;
  currentTexture_ = &v.Texture;
  texturePreview_ = v.Texture;
  Layer.MaterialKey = v.Param.MaterialKey;
  Layer.PreviewColor = currentColor_;
  Layer.PreviewParam = v.Param;
  Layer.SetTexture(texturePreview_.Empty() ? TBitmap32(1, 1, currentColor_) : texturePreview_);
  if (mode_ == TWindowMode::Grid) Layer.EnsureLattice();
  // An open UV editor follows the current object: it never holds another object's grid.
  if (uv_) OpenUVEditor();
  // The list may be another document's now (a project was opened): draw it afresh.
  Included.NeedsRedraw = true;
  RedrawIncluded();
  SynchroniseView();
  UpdateSelectionDisplay();
  observer_->CurrentObjectChanged();
  observer_->OverlayChanged();
  ReportDamage();
}

void TKVXEditSession::SetCurrentColor(TColor32 c) {
  currentColor_ = c;
  if (itemIndex_ >= 0)
    if (TKVXParamBlock* p = CurrentParam()) p->Color = c;
  observer_->CurrentObjectChanged();
}

void TKVXEditSession::SetColorOfSelected(TColor32 c) {
  SetCurrentColor(c);
  if (SelectedCount() < 2) return;
  for (int row : SelectedRows()) ObjectView(row).Param.Color = c;
}

// ---- picking an object by clicking the image

void TKVXEditSession::PickAt(double bx, double by, bool shift, bool ctrl) {
  const int x = int(std::floor(bx)), y = int(std::floor(by));
  int found = -1;
  for (int i = 0; i <= Doc.HighIndex() && found < 0; ++i) {
    TObjectView v = ObjectView(i);
    if (v.Mask.Inside(x, y) && v.Mask.Value(x, y) > 20) found = i;
  }
  if (found < 0) return;
  if (!shift && !ctrl) std::fill(rowSelected_.begin(), rowSelected_.end(), false);
  if (ctrl) {
    rowSelected_[size_t(found)] = false;
  } else {
    rowSelected_[size_t(found)] = true;
    itemIndex_ = found;
  }
  observer_->ListSelectionChanged();
  OnListSelectionChanged();
}

// ---- zoom and the view

void TKVXEditSession::SynchroniseView() {
  if (loading_) return;
  View.SetImageSize(Doc.Base.Width(), Doc.Base.Height());
  if (mode_ == TWindowMode::Grid && Layer.Grid) {
    Layer.NodeSize = options_.NodeSize;
    Layer.ShowTextureWhenDrag = options_.ShowTextureWhenDrag;
    Layer.UpdateViewMapping({View.OffsetX(), View.OffsetY(), View.Scale(), View.ViewWidth(), View.ViewHeight()});
  }
  if (DeferSelectionDisplay) {
    selectionLayerVisible_ = false;
    displayDue_ = true;
  } else {
    UpdateSelectionDisplay();
  }
  observer_->ViewChanged();
}

void TKVXEditSession::SetViewSize(int width, int height) {
  View.SetViewSize(width, height);
  SynchroniseView();
}

void TKVXEditSession::ScrollBy(double dx, double dy) {
  View.ScrollBy(dx, dy);
  SynchroniseView();
}

void TKVXEditSession::ZoomIn() {
  View.ZoomIn();
  SynchroniseView();
}

void TKVXEditSession::ZoomOut() {
  View.ZoomOut();
  SynchroniseView();
}

void TKVXEditSession::ZoomFit() {
  View.Fit();
  SynchroniseView();
}

void TKVXEditSession::SetZoom(double scale) {
  View.SetScale(scale);
  SynchroniseView();
}

void TKVXEditSession::Wheel(int steps, double x, double y) {
  // Turned towards the user zooms in, away zooms out, about the point under the cursor.
  double scale = View.Scale();
  for (int i = 0; i < std::abs(steps); ++i) scale *= steps < 0 ? 1.2 : 0.8;
  View.SetScaleAbout(scale, x, y);
  SynchroniseView();
}

}  // namespace kelvane
