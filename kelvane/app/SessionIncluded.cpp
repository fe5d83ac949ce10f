// Included objects: pictures placed over the image in the "Tex Brush" mode, moved and
// sized with the rubber band and adjusted in their "Params" window.
#include <cmath>

#include "TKVXEditSession.h"

namespace kelvane {

void TKVXEditSession::IncludedEdited() {
  SetModified(true);
  RedrawIncluded();
  observer_->OverlayChanged();
}

void TKVXEditSession::RedrawIncluded() {
  if (Included.Width != Doc.Width || Included.Height != Doc.Height) Included.SetImageSize(Doc.Width, Doc.Height);
  if (Status s = Included.Redraw(); !s) Message(s.error());
}

bool TKVXEditSession::PlaceIncludedPicture(const std::string& path, double bx, double by) {
  if (Busy()) return false;
  auto placed = Included.PlacePicture(path, int(std::floor(bx)), int(std::floor(by)));
  if (!placed) {
    Message(placed.error());
    return false;
  }
  IncludedEdited();
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
  if (Status s = Included.LoadImage(*path); !s) {
    Message(s.error());
    return;
  }
  IncludedEdited();
}

void TKVXEditSession::LoadIncludedAlpha() {
  if (Busy() || !services_.Dialogs || !Included.SelectedParams()) return;
  auto path = services_.Dialogs->OpenFile(OpenPictureFilter(), "*.bmp");
  if (!path) return;
  if (Status s = Included.LoadAlpha(*path); !s) {
    Message(s.error());
    return;
  }
  IncludedEdited();
}

void TKVXEditSession::ClearIncludedAlpha() {
  if (!Busy() && Included.ClearAlpha()) IncludedEdited();
}

void TKVXEditSession::DeleteIncluded() {
  if (!Busy() && Included.DeleteSelected()) IncludedEdited();
}

bool TKVXEditSession::SetIncludedParams(const TIncObjParams& params) {
  if (Busy() || Included.SelectedParams() == params) return false;
  if (!Included.SetSelectedParams(params)) return false;
  IncludedEdited();
  return true;
}

}  // namespace kelvane
