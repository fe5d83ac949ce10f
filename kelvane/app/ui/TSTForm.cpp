#include "TSTForm.h"

#include <QVBoxLayout>

namespace kelvane::ui {

namespace {

struct TButton {
  const char* Id;
  const char* Text;
  const char* Hint;
  bool Tool;       // in the radio group
  bool Selection;  // one of the "Selection" commands
};

constexpr TButton kButtons[] = {
    {"Anone", "None", "", true, false},
    {"ASelectMagicWand", "Wand", "Magic Wand Tool", true, true},
    {"AHSLSelect", "HSL", "HSL Color Range", true, true},
    {"ASelectLaso", "Lasso", "Lasso Tool", true, true},
    {"ASelectPoly", "Polygon", "Poligonal Lasso Tool", true, true},
    {"ASelectEllips", "Ellipse", "Elliptical Marquee Tool", true, true},
    {"aselectRectangle", "Rectangle", "Rectangular Marquee Tool", true, true},
    {"AselectColorRange", "Range", "Color Range Selection", true, true},
    {"AClearDrape", "Clear", "Clear Draping for Object", false, false},
    {"AMultiSelect", "Fill", "Fill Selection", false, false},
    {"AHandTool", "Pan", "Pan", true, false},
    {"AZoomReg", "Zoom", "Zoom", true, false},
    {"Aeyedropper", "Dropper", "Eye Dropper", true, false},
    {"AEditMask", "Mask", "Mask Editor", false, true},
    {"AGridMode", "Grid", "Swich to Grid Mode", true, false},
};

// The button of the document's present tool and mode.
QString CheckedId(TKVXEditSession& d) {
  switch (d.Mode()) {
    case TWindowMode::Grid: return "AGridMode";
    case TWindowMode::Hand: return "AHandTool";
    case TWindowMode::ZoomRegion: return "AZoomReg";
    case TWindowMode::Selection: break;
    default: return "Anone";
  }
  if (d.Eyedropper()) return "Aeyedropper";
  switch (d.Selection().Tool) {
    case TSelectionTool::stMagicWand: return "ASelectMagicWand";
    case TSelectionTool::stHSLRange: return "AHSLSelect";
    case TSelectionTool::stLasso: return "ASelectLaso";
    case TSelectionTool::stPolygon: return "ASelectPoly";
    case TSelectionTool::stEllipse: return "ASelectEllips";
    case TSelectionTool::stRectangle: return "aselectRectangle";
    case TSelectionTool::stColorRange: return "AselectColorRange";
    default: return "Anone";
  }
}

}  // namespace

TSTForm::TSTForm(Runner run, QWidget* parent) : QWidget(parent, Qt::Tool), run_(std::move(run)) {
  setWindowTitle("Select");
  setObjectName("TSTForm");
  auto* l = new QVBoxLayout(this);
  l->setSpacing(2);
  l->setContentsMargins(3, 3, 3, 3);
  group_.setExclusive(true);
  for (const TButton& b : kButtons) {
    auto* button = new QToolButton(this);
    button->setText(b.Text);
    button->setToolTip(b.Hint);
    button->setStatusTip(b.Hint);
    button->setMinimumWidth(80);
    button->setProperty("selection", b.Selection);
    const QString id = b.Id;
    if (b.Tool) {
      button->setCheckable(true);
      group_.addButton(button);
      // Tools forward only when they become checked.
      connect(button, &QToolButton::toggled, this, [this, id](bool on) {
        if (on && !reflecting_) run_(id);
      });
    } else {
      connect(button, &QToolButton::clicked, this, [this, id] { run_(id); });
    }
    buttons_[id] = button;
    l->addWidget(button);
  }
  buttons_["Anone"]->setChecked(true);
}

void TSTForm::Reflect(TKVXEditSession* doc) {
  reflecting_ = true;
  for (QToolButton* b : buttons_) {
    const bool selection = b->property("selection").toBool();
    b->setEnabled(doc && !doc->Busy() && (!selection || doc->SelectedCount() == 1));
  }
  if (doc) buttons_[CheckedId(*doc)]->setChecked(true);
  reflecting_ = false;
}

}  // namespace kelvane::ui
