// Included objects: pictures placed over the image in the "Tex Brush" mode, moved and
// sized with the rubber band and adjusted in their "Params" window. Every change is a
// step of the document's history.
#include <cmath>

#include "TKVXEditSession.h"

namespace kelvane {

namespace {

// One bit per "Params" field a change wrote.
uint32_t ChangedFields(const TIncObjParams& a, const TIncObjParams& b) {
  const bool differ[] = {a.Left != b.Left,         a.Top != b.Top,           a.Width != b.Width,
                         a.Height != b.Height,     a.Brightness != b.Brightness, a.Contrast != b.Contrast,
                         a.Gamma != b.Gamma,       a.Opacity != b.Opacity};
  uint32_t fields = 0;
  for (size_t i = 0; i < std::size(differ); ++i)
    if (differ[i]) fields |= 1u << i;
  return fields;
}

}  // namespace

void TKVXEditSession::IncludedEdited() {
  SetModified(true);
  RedrawIncluded();
  observer_->OverlayChanged();
}

void TKVXEditSession::IncludedChanged(const std::vector<uint8_t>& before) {
  History.RecordBefore(TSnapshotKind::Included, before);
  History.RecordAfter(TSnapshotKind::Included);
  IncludedEdited();
}

void TKVXEditSession::RedrawIncluded() {
  if (Included.Width != Doc.Width || Included.Height != Doc.Height) Included.SetImageSize(Doc.Width, Doc.Height);
  if (Status s = Included.Redraw(); !s) Message(s.error());
}

bool TKVXEditSession::PlaceIncludedPicture(const std::string& path, double bx, double by) {
  if (Busy()) return false;
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  auto placed = Included.PlacePicture(path, int(std::floor(bx)), int(std::floor(by)));
  if (!placed) {
    Message(placed.error());
    return false;
  }
  IncludedChanged(before);
  return true;
}

bool TKVXEditSession::DropIncludedPicture(const std::string& path, double bx, double by) {
  if (Busy() || !Included.List) return false;
  if (Included.List->EntryAt(int(std::floor(bx)), int(std::floor(by))) < 0)
    return PlaceIncludedPicture(path, bx, by);
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  if (Status s = Included.LoadImage(path); !s) {
    Message(s.error());
    observer_->OverlayChanged();  // the entry under the point is selected all the same
    return false;
  }
  IncludedChanged(before);
  return true;
}

void TKVXEditSession::LoadIncludedImage() {
  if (Busy() || !services_.Dialogs) return;
  auto path = services_.Dialogs->OpenFile(OpenPictureFilter(), "*.bmp");
  if (!path) return;
  if (!Included.SelectedParams()) {
    // Nothing selected: the picture goes where the view shows the middle of the image.
    const TPointD c = View.ViewToBitmap(View.ViewWidth() / 2.0, View.ViewHeight() / 2.0);
    PlaceIncludedPicture(*path, c.X - kIncObjDropSide / 2.0, c.Y - kIncObjDropSide / 2.0);
    return;
  }
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  if (Status s = Included.LoadImage(*path); !s) {
    Message(s.error());
    return;
  }
  IncludedChanged(before);
}

void TKVXEditSession::LoadIncludedAlpha() {
  if (Busy() || !services_.Dialogs || !Included.SelectedParams()) return;
  auto path = services_.Dialogs->OpenFile(OpenPictureFilter(), "*.bmp");
  if (!path) return;
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  if (Status s = Included.LoadAlpha(*path); !s) {
    Message(s.error());
    return;
  }
  IncludedChanged(before);
}

void TKVXEditSession::ClearIncludedAlpha() {
  if (Busy()) return;
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  if (Included.ClearAlpha()) IncludedChanged(before);
}

void TKVXEditSession::DeleteIncluded() {
  if (Busy()) return;
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  if (Included.DeleteSelected()) IncludedChanged(before);
}

bool TKVXEditSession::SetIncludedParams(const TIncObjParams& params) {
  const std::optional<TIncObjParams> old = Included.SelectedParams();
  if (Busy() || !old || *old == params) return false;
  const std::vector<uint8_t> before = History.Snapshot(TSnapshotKind::Included);
  // Values held to their ranges may leave the entry as it was.
  if (!Included.SetSelectedParams(params) || Included.SelectedParams() == old) return false;
  const uint64_t step = uint64_t(uint32_t(Included.List->Selected())) << 32 | ChangedFields(*old, params);
  // A run of changes to the same fields of one entry with nothing recorded in between
  // (a slider dragged, a spin box held) is one step: its "after" follows the last value.
  if (step == includedStep_ && History.Serial() == includedSerial_) {
    History.RecordAfter(TSnapshotKind::Included);
    IncludedEdited();
  } else {
    IncludedChanged(before);
  }
  includedStep_ = step;
  includedSerial_ = History.Serial();
  return true;
}

}  // namespace kelvane
