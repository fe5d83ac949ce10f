#include "PaletteWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "PanelPaper.h"
#include "QtSupport.h"
#include "ShellRules.h"

namespace daubwell {

namespace {

constexpr FileFilter kPaletteFilter{"Daubwell Palette", "pal"};
constexpr FileFilter kStrokesFilter{"Daubwell Strokes", "stk"};

}  // namespace

QHBoxLayout* PaletteWindow::listButtonRow(QWidget* page, ListActions actions) {
  auto* h = new QHBoxLayout;
  const char* names[] = {"add", "delete", "savelist", "loadlist"};
  const char* tips[] = {"Add", "Delete", "Save list", "Load list"};
  for (size_t i = 0; i < actions.size(); ++i) {
    auto* b = new ImageButton(names[i], tips[i], page);
    connect(b, &QAbstractButton::clicked, this, actions[i]);
    h->addWidget(b);
  }
  return h;
}

void PaletteWindow::saveList(const FileFilter& filter, const std::function<Status(const std::string&)>& save) {
  const auto path = dialogs_->savePath(filter);
  if (!path) return;
  if (const Status st = save(*path); !st)
    messages_->show(std::string(kListSaveFailedText) + "\n" + st.error(), "Error", MessageIcon::Error);
}

PaletteWindow::PaletteWindow(PaintSession& session, Messages& messages, FileDialogs& dialogs, QWidget* frame)
    : FloatingWindow(" Palette", frame), session_(session), messages_(&messages), dialogs_(&dialogs) {
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(6, 6, 6, 6);
  v->setSpacing(4);
  auto* tabs = new QHBoxLayout;
  auto* tabGroup = new QButtonGroup(this);
  auto* brushTab = new ImageButton("tbrushes", "Brushes", this);
  auto* strokeTab = new ImageButton("tstrokes", "Strokes", this);
  for (auto* t : {brushTab, strokeTab}) {
    t->setCheckable(true);
    tabs->addWidget(t);
  }
  tabGroup->addButton(brushTab, 0);
  tabGroup->addButton(strokeTab, 1);
  brushTab->setChecked(true);
  tabs->addStretch();
  v->addLayout(tabs);
  auto* pages = new QStackedWidget(this);
  v->addWidget(pages, 1);
  connect(tabGroup, &QButtonGroup::idClicked, pages, &QStackedWidget::setCurrentIndex);

  // Brushes.
  auto* brushPage = new QWidget(pages);
  auto* bv = new QVBoxLayout(brushPage);
  bv->setContentsMargins(0, 0, 0, 0);
  brushList_ = new ThumbnailList(9, QSize(30, 30), brushPage);
  bv->addWidget(brushList_, 1);
  bv->addLayout(listButtonRow(
      brushPage, {[this] {
                    session_.addCurrentBrush(*messages_);
                    refreshBrushes();
                  },
                  [this] {
                    session_.deleteSelectedBrush(*messages_);
                    refreshBrushes();
                  },
                  [this] { saveList(kPaletteFilter, [this](const std::string& p) { return session_.savePaletteAs(p); }); },
                  [this] {
                    if (auto path = dialogs_->openPath(kPaletteFilter)) session_.loadPaletteFrom(*path);
                    refreshBrushes();
                  }}));
  connect(brushList_, &ThumbnailList::chosen, this, [this](int i) {
    session_.pickBrush(i);
    brushList_->setSelected(session_.palette.selected);
    Q_EMIT brushChanged();
  });
  pages->addWidget(brushPage);

  // Strokes.
  auto* strokePage = new QWidget(pages);
  auto* sv = new QVBoxLayout(strokePage);
  sv->setContentsMargins(0, 0, 0, 0);
  auto* sh = new QHBoxLayout;
  strokeList_ = new ThumbnailList(1, QSize(132, 15), strokePage);
  strokeList_->setFixedWidth(134);
  sh->addWidget(strokeList_);
  auto* controls = new QVBoxLayout;
  controls->setSpacing(0);
  const char* checkNames[] = {"Fade strength", "Fade size", "Oscillate"};
  for (size_t i = 0; i < 3; ++i) {
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    checks_[i] = new ImageButton("check", checkNames[i], strokePage);
    checks_[i]->setCheckable(true);
    row->addWidget(checks_[i]);
    row->addWidget(panelLabel(checkNames[i], strokePage), 1);
    controls->addLayout(row);
    connect(checks_[i], &QAbstractButton::clicked, this, [this] { storeStroke(); });
  }
  const char* sliderNames[] = {"Strength fades over", "Size fades over", "Phase", "Period", "Amount"};
  for (size_t i = 0; i < 5; ++i) {
    controls->addWidget(panelLabel(sliderNames[i], strokePage));
    strokeSliders_[i] = new PaintSlider(strokePage);
    strokeSliders_[i]->setFixedHeight(13);
    controls->addWidget(strokeSliders_[i]);
  }
  controls->addStretch();
  sh->addLayout(controls, 1);
  sv->addLayout(sh, 1);
  sv->addLayout(listButtonRow(
      strokePage, {[this] {
                    session_.addCurrentStroke(*messages_);
                    refreshStrokes();
                  },
                   [this] {
                    session_.deleteSelectedStroke(*messages_);
                    refreshStrokes();
                  },
                   [this] { saveList(kStrokesFilter, [this](const std::string& p) { return session_.saveStrokesAs(p); }); },
                   [this] {
                     if (auto path = dialogs_->openPath(kStrokesFilter)) session_.loadStrokesFrom(*path);
                     refreshStrokes();
                   }}));
  connect(strokeList_, &ThumbnailList::chosen, this, [this](int i) {
    session_.pickStroke(i);
    strokeList_->setSelected(session_.strokes.selected);
    syncStrokeControls();
  });
  pages->addWidget(strokePage);
  setFixedSize(280, 236);
}

void PaletteWindow::refresh() {
  refreshBrushes();
  refreshStrokes();
}

void PaletteWindow::refreshBrushes() {
  std::vector<QImage> brushes;
  for (int i = 0; i < session_.palette.count(); ++i)
    brushes.push_back(surfaceImage(brushThumbnail(session_.palette.slots[size_t(i)].entry, session_.patterns).surface));
  brushList_->setThumbnails(std::move(brushes), session_.palette.selected);
}

// Stroke thumbnails are painted with the current tool, so they follow it.
void PaletteWindow::refreshStrokes() {
  strokeTool_ = session_.brush().tool;
  std::vector<QImage> strokes;
  for (int i = 0; i < session_.strokes.count(); ++i)
    strokes.push_back(surfaceImage(
        strokeThumbnail(session_.strokes.slots[size_t(i)].entry, strokeTool_, session_.patterns).surface));
  strokeList_->setThumbnails(std::move(strokes), session_.strokes.selected);
  syncStrokeControls();
}

void PaletteWindow::toolChanged() {
  if (session_.brush().tool != strokeTool_) refreshStrokes();
}

void PaletteWindow::syncStrokeControls() {
  const StrokeDynamics& d = session_.engine.dynamics;
  checks_[0]->setChecked(d.fadeStrength);
  checks_[1]->setChecked(d.fadeSize);
  checks_[2]->setChecked(d.oscillate);
  const float values[] = {d.fadeStrengthLength, d.fadeSizeLength, d.oscillatePhase, d.oscillatePeriod,
                          d.oscillateAmount};
  for (size_t i = 0; i < 5; ++i) strokeSliders_[i]->setValue(values[i]);
}

// The controls into the selected stroke; the first stroke is the plain one and keeps
// its settings (the controls go back to them).
void PaletteWindow::storeStroke() {
  StrokeDynamics d = session_.engine.dynamics;
  d.fadeStrength = checks_[0]->isChecked();
  d.fadeSize = checks_[1]->isChecked();
  d.oscillate = checks_[2]->isChecked();
  d.fadeStrengthLength = strokeSliders_[0]->value();
  d.fadeSizeLength = strokeSliders_[1]->value();
  d.oscillatePhase = strokeSliders_[2]->value();
  d.oscillatePeriod = strokeSliders_[3]->value();
  d.oscillateAmount = strokeSliders_[4]->value();
  session_.storeStroke(d);
  refreshStrokes();
}

bool PaletteWindow::applySliders() {
  bool any = false;
  for (PaintSlider* s : strokeSliders_) any = s->takeDragged() || any;
  if (any) storeStroke();
  return any;
}

}  // namespace daubwell
