// The texture windows of a document: the UV texture editor, the "Texture Params" fields
// and "Gen Texture Coords".
#include "TKVXEditSession.h"

namespace kelvane {

namespace {
// A texture the editor can place nodes on: the colour alone gives no picture to look at,
// so the editor shows a plain square of it.
constexpr int kPlainTextureSide = 256;
}  // namespace

// ---- the UV texture editor

bool TKVXEditSession::OpenUVEditor() {
  if (!Layer.Grid || currentIndex_ < 0) {
    uv_.reset();
    return false;
  }
  if (!uv_) uv_ = std::make_unique<TuveditorLayer>();
  uv_->Recorder = &History;
  // The object layer renders what the editor shows.
  Layer.SetTexture(texturePreview_.Empty() ? TBitmap32(1, 1, currentColor_) : texturePreview_);
  uv_->Open(Layer.Grid, texturePreview_.Empty()
                            ? TBitmap32(kPlainTextureSide, kPlainTextureSide, currentColor_ | 0xFF000000u)
                            : texturePreview_);
  return true;
}

void TKVXEditSession::CloseUVEditor() { uv_.reset(); }

void TKVXEditSession::UVEdited(bool changed) {
  if (!uv_) return;
  uv_->Redraw();
  if (changed) {
    SetModified(true);
    // The document's overlay shows the same grid (and its preview, its texture).
    if (mode_ == TWindowMode::Grid) Layer.Redraw();
  }
  observer_->OverlayChanged();
}

void TKVXEditSession::UVMouseDown(double tx, double ty, const TGridMouse& mouse) {
  if (!uv_ || Busy()) return;
  uv_->MouseDown(tx, ty, mouse);
  UVEdited(false);
}

void TKVXEditSession::UVMouseMove(double tx, double ty) {
  if (!uv_ || Busy()) return;
  uv_->MouseMove(tx, ty);
  observer_->OverlayChanged();
}

void TKVXEditSession::UVMouseUp() {
  if (!uv_ || Busy()) return;
  UVEdited(uv_->MouseUp());
}

void TKVXEditSession::UVButton(const TUVButton& b) {
  if (!uv_ || Busy()) return;
  bool changed = false;
  auto showTexture = [&](bool ok) {
    // The doubled texture is the object's texture from now on, so Fill shows it too.
    if (ok) SetTexture(uv_->Texture);
  };
  switch (b.Command) {
    case TUVCommand::SetTool: uv_->SetTool(b.Tool); break;
    case TUVCommand::AddVertLine: changed = uv_->AddVertLine(); break;
    case TUVCommand::AddHorLine: changed = uv_->AddHorLine(); break;
    case TUVCommand::AlignGrid: changed = uv_->AlignGrid(); break;
    case TUVCommand::TileX: showTexture(uv_->TileX()); break;
    case TUVCommand::TileY: showTexture(uv_->TileY()); break;
    case TUVCommand::OpenTexture:
      LoadTexture();
      if (!texturePreview_.Empty()) uv_->SetTexture(texturePreview_);
      break;
    case TUVCommand::OpenGrid:
      LoadGrid();
      uv_->Grid = Layer.Grid;
      break;
    case TUVCommand::SaveGrid: SaveGrid(); break;
  }
  UVEdited(changed);
}

// ---- "Texture Params"

TTexParamValues TKVXEditSession::TexParams() {
  TKVXParamBlock defaults;
  const TKVXParamBlock* p = CurrentParam();
  return LoadTexParams(p ? *p : defaults);
}

bool TKVXEditSession::SetTexParam(const TTexParamValues& controls, size_t changed) {
  if (Busy() || !WriteTexParam(CurrentParam(), controls, changed)) return false;
  Layer.PreviewParam = *CurrentParam();
  if (mode_ == TWindowMode::Grid && Layer.PreviewShown) Layer.Redraw();
  SetModified(true);
  observer_->OverlayChanged();
  return true;
}

// ---- "Gen Texture Coords"

bool TKVXEditSession::GenTextureCoords(const std::optional<TTexGenTexts>& texts) {
  if (Busy() || !Layer.Grid) return false;
  // Texts that are no numbers change nothing, so nothing is recorded either.
  const bool changed = texts && RecordedGridChange(&History, *Layer.Grid, [&] { ApplyTexGen(*Layer.Grid, *texts); });
  if (changed) {
    SetModified(true);
    if (uv_) uv_->Redraw();
  }
  Fill();
  return changed;
}

}  // namespace kelvane
