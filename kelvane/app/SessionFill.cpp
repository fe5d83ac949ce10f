// Fill, textures, grids and the filters on the result image.
#include <algorithm>

#include "../drape/KVXUtils.h"
#include "../drape/PerspectiveGrid.h"
#include "../drape/TileSize.h"
#include "../filters/Convolution.h"
#include "../raster/PictureFormats.h"
#include "ObjectFill.h"
#include "TKVXEditSession.h"

namespace kelvane {

namespace {

TDocumentFill FillSettings(const TKVXOptions& options) {
  TDocumentFill how;
  how.Render = options.Render();
  how.Sharpen = options.SharpenMode;
  how.TextureAlpha = options.TextureAlpha;
  how.SharpenFn = [](TBitmap32& drape, const TByteMap& mask) { SharpenFilter(drape, &mask); };
  return how;
}

}  // namespace

// Fill in the background: the drape is composited into a copy of the result image,
// which replaces the result when the work is done, so the window keeps showing and
// painting the result meanwhile.
class TFillJob final : public TJob {
public:
  TFillJob(TKVXEditSession& s, std::vector<int> selected)
      : s_(s), selected_(std::move(selected)), current_(s.CurrentIndex()), result_(s.Doc.Result),
        how_(FillSettings(s.Options())) {
    how_.Result = &result_;
  }
  void Work(TProgress& progress) override {
    // The fill across several objects shows no step messages.
    how_.Progress = selected_.size() < 2 ? &progress : nullptr;
    status_ = FillSelected(s_.Doc, current_, selected_, how_);
  }
  void Done() override {
    if (status_) {
      std::swap(s_.Doc.Result, result_);
      s_.Doc.Result.CopySettingsFrom(result_);
    } else {
      s_.Message(status_.error());
    }
    s_.AfterFill();
  }

private:
  TKVXEditSession& s_;
  std::vector<int> selected_;
  int current_;
  TBitmap32 result_;
  TDocumentFill how_;
  Status status_ = Ok{};
};

void TKVXEditSession::StartJob(std::unique_ptr<TJob> job) {
  ++busy_;
  observer_->StateChanged();
  if (services_.Jobs) {
    services_.Jobs->Start(std::move(job));
    return;
  }
  // Without a runner (a script) the work runs here and now.
  struct TNoProgress final : TProgress {
    void Begin(const std::string&, int) override {}
    void Step() override {}
    void End() override {}
  } none;
  job->Work(services_.Progress ? *services_.Progress : static_cast<TProgress&>(none));
  job->Done();
}

void TKVXEditSession::JobFinished() {
  --busy_;
  observer_->StateChanged();
}

void TKVXEditSession::AfterFill() {
  JobFinished();
  SetMode(mode_);
  observer_->ImageChanged();
}

void TKVXEditSession::Fill() {
  if (Busy() || !currentMask_ || currentMask_->Empty()) return;
  Layer.SetTexture(texturePreview_.Empty() ? TBitmap32(1, 1, currentColor_) : texturePreview_);
  StartJob(std::make_unique<TFillJob>(*this, std::vector<int>{currentIndex_}));
}

void TKVXEditSession::FillSelection() {
  if (SelectedCount() < 2)
    Fill();
  else
    MultiObjectFill();
}

void TKVXEditSession::MultiObjectFill() {
  if (Busy() || !currentMask_ || currentMask_->Empty()) return;
  StartJob(std::make_unique<TFillJob>(*this, SelectedRows()));
}

void TKVXEditSession::ClearDrape() {
  if (SelectedCount() < 2) {
    if (currentMask_) kelvane::ClearDrape(Doc.Result, Doc.Base, *currentMask_);
  } else {
    for (int row : SelectedRows()) kelvane::ClearDrape(Doc.Result, Doc.Base, ObjectView(row).Mask);
  }
  observer_->ImageChanged();
}

void TKVXEditSession::ApplyFill() {
  Doc.Base = Doc.Result;
  observer_->ImageChanged();
}

void TKVXEditSession::ClearDraping() {
  Doc.Result = Doc.Base;
  observer_->ImageChanged();
}

// ---- textures

void TKVXEditSession::LoadTexture() {
  if (!services_.Dialogs) return;
  auto path = services_.Dialogs->OpenFile(OpenPictureFilter(), "*.bmp");
  if (!path) return;
  auto picture = LoadPicture(*path);
  if (!picture) {
    Message(picture.error());
    return;
  }
  SetTexture(picture.value());
}

void TKVXEditSession::SetTexture(const TBitmap32& picture) {
  if (currentIndex_ < 0) return;
  texturePreview_ = picture;
  auto own = [&](int index) {
    TKVXTexture& item = *Doc.Objects[size_t(index)]->Texture;
    item.FromLibrary = item.FromFile = false;
    item.Get() = picture;
  };
  own(currentIndex_);
  if (SelectedCount() >= 2)
    for (int row : SelectedRows()) own(row);
  Layer.SetTexture(texturePreview_);
  SetModified(true);
  observer_->CurrentObjectChanged();
}

void TKVXEditSession::ClearTexture() {
  if (currentIndex_ < 0) return;
  Layer.SetTexture(TBitmap32());
  texturePreview_ = TBitmap32();
  TKVXTexture& item = *Doc.Objects[size_t(currentIndex_)]->Texture;
  item.FromLibrary = item.FromFile = false;
  item.Get() = TBitmap32();
  SetModified(true);
  observer_->CurrentObjectChanged();
}

void TKVXEditSession::ApplyLibraryTexture() {
  if (currentIndex_ < 0) return;
  auto apply = [&](int index) -> TBitmap32& {
    TKVXTexture& item = *Doc.Objects[size_t(index)]->Texture;
    item.FromLibrary = item.FromFile = false;
    item.Get() = TBitmap32();
    item.FromLibrary = LibraryRef.FromLibrary;
    item.FromFile = !LibraryRef.FromLibrary;
    item.LibraryName = LibraryRef.LibraryName.substr(0, 30);
    item.LibraryIndex = LibraryRef.Index;
    item.FilePath = LibraryRef.TexturePath.substr(0, 255);
    return item.Get();
  };
  texturePreview_ = apply(currentIndex_);
  Layer.SetTexture(texturePreview_);
  if (SelectedCount() >= 2)
    for (int row : SelectedRows())
      if (row != currentIndex_) apply(row);
  SetModified(true);
  observer_->CurrentObjectChanged();
}

void TKVXEditSession::ChangeMapping() {
  if (currentIndex_ < 0 || Busy()) return;
  MakeCurrent();
  Doc.SwapMappings(currentIndex_);
  MakeCurrent();
  Fill();
}

// The antialiased masks of the selected scene objects, in the background.
class TAAMaskJob final : public TJob {
public:
  TAAMaskJob(TKVXEditSession& s, std::vector<int> rows) : s_(s), rows_(std::move(rows)), render_(s.Options().Render()) {}
  void Work(TProgress& progress) override {
    for (int row : rows_) {
      Status st = kelvane::GetAntialiasedMask(s_.Doc, row, render_, &progress);
      if (!st) messages_.push_back(st.error());
    }
  }
  void Done() override {
    s_.JobFinished();
    for (const std::string& m : messages_) s_.Message(m, TMessageKind::Information);
    s_.UpdateSelectionDisplay();
  }

private:
  TKVXEditSession& s_;
  std::vector<int> rows_;
  TRenderOptions render_;
  std::vector<std::string> messages_;
};

void TKVXEditSession::GetAntialiasedMask() {
  if (Busy() || SelectedCount() == 0) return;
  StartJob(std::make_unique<TAAMaskJob>(*this, SelectedRows()));
}

// ---- grids

void TKVXEditSession::LoadGrid() {
  if (!services_.Dialogs || !Layer.Grid) return;
  auto path = services_.Dialogs->OpenFile("KVX Map Grid (*.kvg)|*.kvg", ".kvg");
  if (!path) return;
  // The layer records the change in the history itself.
  if (Status s = Layer.LoadGridFile(*path); !s) {
    Message(s.error());
    return;
  }
  SetModified(true);
  observer_->OverlayChanged();
}

void TKVXEditSession::GridToolButton(const TGridToolButton& b) {
  if (mode_ != TWindowMode::Grid || Busy() || !Layer.Grid) return;
  bool changed = false;
  switch (b.Command) {
    case TGridCommand::SetTool: Layer.SetTool(b.Tool); break;
    case TGridCommand::ResetGrid: changed = Layer.ResetGrid(); break;
    case TGridCommand::AddVertLine: changed = Layer.AddVertLine(); break;
    case TGridCommand::AddHorLine: changed = Layer.AddHorLine(); break;
    case TGridCommand::SaveGrid: SaveGrid(); break;
    case TGridCommand::OpenTexture: LoadTexture(); break;
    case TGridCommand::OpenGrid: LoadGrid(); break;
    case TGridCommand::FitGridToSelection:
      if (currentMask_) changed = Layer.FitGridToSelection(*currentMask_);
      break;
    case TGridCommand::FollowFolds:
      if (!currentMask_ || !MaskBounds(*currentMask_)) {
        Message("Select the object's region first: the folds are followed inside its mask.", TMessageKind::Information);
      } else if (services_.FoldOptions) {
        if (auto o = services_.FoldOptions->AskFoldOptions()) FollowFolds(*o);
      }
      break;
  }
  if (changed) SetModified(true);
  observer_->OverlayChanged();
  observer_->ModeChanged();
}

void TKVXEditSession::SaveGrid() {
  if (!services_.Dialogs || !Layer.Grid) return;
  auto path = services_.Dialogs->SaveFile("KVX Map Grid (*.kvg)|*.kvg", ".kvg", "");
  if (!path) return;
  if (Status s = Layer.SaveGridFile(*path); !s) Message(s.error());
}

// ---- filters through the current mask

void TKVXEditSession::ApplyFilter(const std::function<void(TBitmap32&, const TByteMap*)>& filter) {
  if (!currentMask_) return;
  Doc.Result.OuterColor = Doc.Result.Empty() ? 0 : Doc.Result.Pixel(0, 0);
  filter(Doc.Result, currentMask_);
  observer_->ImageChanged();
}

void TKVXEditSession::BlurEdge() {
  if (!currentMask_ || currentMask_->Empty()) return;
  kelvane::BlurEdge(Doc.Result, *currentMask_);
  observer_->ImageChanged();
}

void TKVXEditSession::FollowFolds(const TFoldOptions& options) {
  if (mode_ != TWindowMode::Grid || Busy() || !Layer.Grid || !currentMask_) return;
  if (Status s = Layer.FollowFolds(Doc.Base, *currentMask_, options); !s) {
    Message(s.error());
    return;
  }
  SetModified(true);
  observer_->OverlayChanged();
}

bool TKVXEditSession::ApplyTileRule(const TTileRule& rule) {
  TKVXParamBlock* p = CurrentParam();
  if (!p || !Layer.Grid || Busy()) return false;
  const TBitmap32* t = currentTexture_;
  const bool none = !t || t->Empty();
  auto tiles = RuleTiles(rule, *p, *Layer.Grid, Doc.Width, Doc.Height, none ? 1 : t->Width(), none ? 1 : t->Height());
  if (!tiles) return false;
  p->TileX = std::clamp(tiles->first, kMinTile, kMaxTile);
  p->TileY = std::clamp(tiles->second, kMinTile, kMaxTile);
  Layer.PreviewParam = *p;
  if (mode_ == TWindowMode::Grid && Layer.PreviewShown) Layer.Redraw();
  SetModified(true);
  observer_->OverlayChanged();
  return true;
}

}  // namespace kelvane
