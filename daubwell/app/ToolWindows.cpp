#include "ToolWindows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "QtSupport.h"
#include "canvas/Lighting.h"

namespace daubwell {

namespace {

QLabel* caption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  QFont f = l->font();
  f.setPixelSize(11);
  l->setFont(f);
  l->setStyleSheet("color: #3b2f25; background: transparent;");
  return l;
}

QImage thumbnail(const DisplaySurface& s, int side) {
  const QImage img = surfaceImage(s);
  if (img.isNull()) {
    QImage blank(side, side, QImage::Format_RGB32);
    blank.fill(Qt::black);
    return blank;
  }
  return img.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

// ---- FloatingWindow ----

// Owned by the frame (transient for it) and kept above it: a window manager that stacks
// a maximised, active frame over its transients would otherwise bury them.
FloatingWindow::FloatingWindow(const QString& title, QWidget* frame)
    : QWidget(frame, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setWindowTitle(title);
}

void FloatingWindow::paintEvent(QPaintEvent* e) { paintPanel(this, e); }
void FloatingWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  Q_EMIT shownChanged(true);
}
void FloatingWindow::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  Q_EMIT shownChanged(false);
}

// ---- Tools ----

ToolsWindow::ToolsWindow(PaintSession& session, QWidget* frame) : FloatingWindow(" Tools", frame) {
  (void)session;
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 4, 0, 6);
  v->setSpacing(2);
  struct Pair {
    const char *left, *leftTip;
    int leftTool;
    const char *right, *rightTip;
    int rightTool;
  };
  auto group = [&](const char* headerName, std::initializer_list<Pair> rows) {
    auto* header = new QLabel(this);
    header->setPixmap(Graphics::instance().get(headerName));
    header->setAlignment(Qt::AlignCenter);
    v->addWidget(header);
    for (const Pair& p : rows) {
      auto* h = new QHBoxLayout;
      h->setContentsMargins(3, 0, 3, 0);
      h->setSpacing(2);
      for (auto [g, tip, tool] : {std::tuple{p.left, p.leftTip, p.leftTool}, {p.right, p.rightTip, p.rightTool}}) {
        auto* b = new ImageButton(g, tip, this);
        b->setCheckable(true);
        group_->addButton(b, tool);
        h->addWidget(b);
      }
      v->addLayout(h);
    }
  };
  group("brushes", {{"pbrush", "Paint Brush", 1, "brush", "Tube Paint", 0},
                    {"spray", "Spray Paint", 5, "water", "Gel Brush", 9},
                    {"knife", "Knife", 17, "finger", "Finger", 18},
                    {"sponge", "Sponge", 6, "erase", "Eraser", 2}});
  group("tools", {{"hand", "Hand Tool", 12, "dropper", "Eye Dropper", 8}});
  group("effects", {{"sun", "Brighten", 10, "moon", "Darken", 11},
                    {"shine", "Shine", 13, "unshine", "Matte", 14},
                    {"raise", "Raise", 15, "lower", "Lower", 16}});
  setFixedWidth(68);
  connect(group_, &QButtonGroup::idClicked, this, [this](int tool) { Q_EMIT toolChosen(tool); });
}

QAbstractButton* ToolsWindow::button(int tool) const { return group_->button(tool); }

void ToolsWindow::markTool(int tool) {
  group_->setExclusive(false);
  for (QAbstractButton* b : group_->buttons()) b->setChecked(group_->id(b) == tool);
  group_->setExclusive(true);
}

// ---- the styles panel ----

PatternGrid::PatternGrid(const std::array<DisplaySurface, kPatternCount>& images, QWidget* parent)
    : QWidget(parent) {
  for (const DisplaySurface& s : images) thumbs_.push_back(thumbnail(s, kCell - 2));
  // A third row of cells: clicks past the last image pick the last.
  setFixedSize(kStyleColumns * kCell + 1, 3 * kCell + 1);
  setCursor(Qt::PointingHandCursor);
}

void PatternGrid::setSelected(int i) {
  selected_ = i;
  update();
}

void PatternGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (size_t i = 0; i < thumbs_.size(); ++i) {
    const int x = int(i) % kStyleColumns * kCell, y = int(i) / kStyleColumns * kCell;
    p.drawImage(x + 1, y + 1, thumbs_[i]);
    if (int(i) == selected_) {
      p.setPen(QPen(QColor(214, 120, 40), 2));
      p.drawRect(x + 1, y + 1, kCell - 2, kCell - 2);
    }
  }
  if (!isEnabled()) p.fillRect(rect(), QColor(240, 236, 230, 170));
}

void PatternGrid::mousePressEvent(QMouseEvent* e) {
  const int column = int(e->position().x()) / kCell, row = int(e->position().y()) / kCell;
  if (column < 0 || column >= kStyleColumns || row < 0 || row > 2) return;
  Q_EMIT chosen(styleIndexAt(row, column));
}

void ProfileView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(252, 249, 243));
  p.setPen(QColor(150, 130, 110));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const FootprintProfile prof = footprintProfile(hardness_);
  QPolygonF line;
  for (const ProfilePoint& pt : prof.points) line << QPointF(pt.x + 1, pt.y + 1);
  p.setPen(QPen(QColor(190, 90, 40), 2));
  p.drawPolyline(line);
}

// ---- Brush Properties ----

BrushPropertiesWindow::BrushPropertiesWindow(PaintSession& session, QWidget* frame)
    : FloatingWindow(" Brush Properties", frame), session_(session) {
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(10, 12, 10, 8);
  v->setSpacing(6);
  auto* top = new QHBoxLayout;
  top->setSpacing(10);
  preview_ = new SurfaceView(&session_.preview, this);
  preview_->onDab = [this](int x, int y) {
    PaintEngine engine(session_.patterns, session_.random);
    engine.brush = session_.engine.brush;
    engine.offsets = {100, 100, 100, 100};
    engine.beginStroke();
    engine.dab(float(x), float(y), session_.preview);
    preview_->update();
  };
  top->addWidget(preview_, 0, Qt::AlignTop);
  auto* right = new QVBoxLayout;
  right->setSpacing(0);
  const char* names[] = {"Size", "Strength", "Depth", "Shading"};
  for (size_t i = 0; i < 4; ++i) {
    right->addWidget(caption(names[i], this));
    sliders_[i] = new PaintSlider(this);
    right->addWidget(sliders_[i]);
    right->addSpacing(6);
  }
  right->addStretch();
  top->addLayout(right, 1);
  v->addLayout(top);

  auto* tabs = new QHBoxLayout;
  tabs->setSpacing(2);
  auto* tabGroup = new QButtonGroup(this);
  const char* tabNames[] = {"tpaint", "ttexture", "tshape"};
  const char* tabTips[] = {"Paint styles", "Textures", "Brush shape"};
  for (size_t i = 0; i < 3; ++i) {
    tabs_[i] = new ImageButton(tabNames[i], tabTips[i], this);
    tabs_[i]->setCheckable(true);
    tabGroup->addButton(tabs_[i], int(i));
    tabs->addWidget(tabs_[i]);
  }
  tabs->addStretch();
  v->addLayout(tabs);
  pages_ = new QStackedWidget(this);
  styles_ = new PatternGrid(session_.patterns.style, pages_);
  textures_ = new PatternGrid(session_.patterns.texture, pages_);
  auto* shape = new QWidget(pages_);
  auto* sh = new QHBoxLayout(shape);
  sh->setContentsMargins(0, 0, 0, 0);
  auto* hcol = new QVBoxLayout;
  hcol->addWidget(caption("Hardness", shape));
  hardness_ = new PaintSlider(shape);
  hcol->addWidget(hardness_);
  hcol->addStretch();
  sh->addLayout(hcol, 1);
  profile_ = new ProfileView(shape);
  sh->addWidget(profile_);
  pages_->addWidget(styles_);
  pages_->addWidget(textures_);
  pages_->addWidget(shape);
  v->addWidget(pages_);
  tabs_[0]->setChecked(true);
  connect(tabGroup, &QButtonGroup::idClicked, pages_, &QStackedWidget::setCurrentIndex);
  connect(styles_, &PatternGrid::chosen, this, [this](int i) {
    session_.engine.brush.style = uint8_t(i);
    styles_->setSelected(i);
    Q_EMIT brushChanged();
  });
  connect(textures_, &PatternGrid::chosen, this, [this](int i) {
    session_.engine.brush.texture = uint8_t(i);
    textures_->setSelected(i);
    Q_EMIT brushChanged();
  });
  setFixedSize(280, 280);
}

void BrushPropertiesWindow::syncFromBrush() {
  const Brush& b = session_.engine.brush;
  sliders_[0]->setValue(sliderFromSize(b.size));
  sliders_[1]->setValue(sliderFromStrength(b.strength));
  sliders_[2]->setValue(sliderFromDepth(b.depth));
  sliders_[3]->setValue(sliderFromShading(b.shading));
  hardness_->setValue(float(b.hardness));
  profile_->setHardness(b.hardness);
  styles_->setSelected(b.style);
  textures_->setSelected(b.texture);
}

bool BrushPropertiesWindow::applySliders() {
  Brush& b = session_.engine.brush;
  bool any = false;
  if (sliders_[0]->takeDragged()) b.size = sizeFromSlider(sliders_[0]->value()), any = true;
  if (sliders_[1]->takeDragged()) b.strength = strengthFromSlider(sliders_[1]->value()), any = true;
  if (sliders_[2]->takeDragged()) b.depth = depthFromSlider(sliders_[2]->value()), any = true;
  if (sliders_[3]->takeDragged()) b.shading = shadingFromSlider(sliders_[3]->value()), any = true;
  if (hardness_->takeDragged()) {
    b.hardness = uint8_t(int(hardness_->value()));
    profile_->setHardness(b.hardness);
    any = true;
  }
  return any;
}

void BrushPropertiesWindow::applyToolControls(int tool) {
  const ToolControls& c = toolControls(tool);
  sliders_[0]->setEnabled(c.size);
  sliders_[1]->setEnabled(c.strength);
  sliders_[2]->setEnabled(c.depth);
  sliders_[3]->setEnabled(c.shading);
  tabs_[0]->setEnabled(c.styleTab);
  tabs_[1]->setEnabled(c.textureTab);
  styles_->setEnabled(c.styleTab);
  textures_->setEnabled(c.textureTab);
  const std::string_view name = tool >= 0 && tool < kToolCount ? kToolCaptions[size_t(tool)] : "";
  setWindowTitle(QString(" Brush Properties: ") + toQString(name));
}

// ---- Colors ----

ColorsWindow::ColorsWindow(PaintSession& session, QWidget* frame)
    : FloatingWindow(" Colors", frame), session_(session) {
  auto* h = new QHBoxLayout(this);
  h->setContentsMargins(8, 6, 8, 6);
  auto* v = new QVBoxLayout;
  v->setSpacing(0);
  const char* names[] = {"Red", "Green", "Blue"};
  for (size_t i = 0; i < 3; ++i) {
    v->addWidget(caption(names[i], this));
    sliders_[i] = new PaintSlider(this);
    v->addWidget(sliders_[i]);
  }
  h->addLayout(v, 1);
  swatch_.create(40, 76);
  swatchView_ = new SurfaceView(&swatch_, this);
  h->addWidget(swatchView_);
  setFixedSize(205, 94);
  repaintSwatch();
}

// A dab of thick paint in the colour: a ridge lit from the upper left.
void ColorsWindow::repaintSwatch() {
  const Brush& b = session_.engine.brush;
  swatch_.highQuality = session_.prefs.highQuality;
  swatch_.lightingOn = session_.prefs.lighting;
  for (uint32_t y = 0; y < swatch_.height; ++y)
    for (uint32_t x = 0; x < swatch_.width; ++x) {
      CanvasPixel& p = swatch_.at(x, y);
      p.red = b.red;
      p.green = b.green;
      p.blue = b.blue;
      p.highlight = 20;
      p.shading = 160;
      p.height = float(6 * std::sin(x * 0.16) * std::sin(y * 0.05 + 0.3) + 8);
    }
  relightAll(swatch_);
  swatchView_->update();
}

void ColorsWindow::syncFromBrush() {
  const Brush& b = session_.engine.brush;
  sliders_[0]->setValue(sliderFromChannel(b.red));
  sliders_[1]->setValue(sliderFromChannel(b.green));
  sliders_[2]->setValue(sliderFromChannel(b.blue));
  repaintSwatch();
}

bool ColorsWindow::applySliders() {
  Brush& b = session_.engine.brush;
  bool any = false;
  uint8_t* channels[] = {&b.red, &b.green, &b.blue};
  for (size_t i = 0; i < 3; ++i)
    if (sliders_[i]->takeDragged()) *channels[i] = channelFromSlider(sliders_[i]->value()), any = true;
  if (any) repaintSwatch();
  return any;
}

// ---- Palette ----

ThumbnailList::ThumbnailList(int columns, QSize cell, QWidget* parent)
    : QWidget(parent), columns_(columns), cell_(cell) {
  setCursor(Qt::PointingHandCursor);
}

void ThumbnailList::setThumbnails(std::vector<QImage> thumbs, int selected) {
  thumbs_ = std::move(thumbs);
  selected_ = selected;
  update();
}

void ThumbnailList::setSelected(int selected) {
  selected_ = selected;
  update();
}

void ThumbnailList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (size_t i = 0; i < thumbs_.size(); ++i) {
    const int x = int(i) % columns_ * (cell_.width() + 1), y = int(i) / columns_ * (cell_.height() + 1);
    p.drawImage(x, y, thumbs_[i]);
    if (int(i) == selected_) {
      p.setPen(QPen(QColor(214, 120, 40), 2));
      p.drawRect(x + 1, y + 1, cell_.width() - 2, cell_.height() - 2);
    }
  }
}

void ThumbnailList::mousePressEvent(QMouseEvent* e) {
  const int column = int(e->position().x()) / (cell_.width() + 1), row = int(e->position().y()) / (cell_.height() + 1);
  if (column >= columns_) return;
  const int i = row * columns_ + column;
  if (i >= 0 && i < int(thumbs_.size())) Q_EMIT chosen(i);
}

// The add, delete, save list and load list buttons under a list; run(i) does button i.
QHBoxLayout* PaletteWindow::listButtonRow(QWidget* page, std::function<void(int)> run) {
  auto* h = new QHBoxLayout;
  const char* names[] = {"add", "delete", "savelist", "loadlist"};
  const char* tips[] = {"Add", "Delete", "Save list", "Load list"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new ImageButton(names[i], tips[i], page);
    connect(b, &QAbstractButton::clicked, this, [run, i] { run(i); });
    h->addWidget(b);
  }
  return h;
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
  bv->addLayout(listButtonRow(brushPage, [this](int i) {
    if (i == 0) addBrush(session_.palette, session_.engine.brush, *messages_);
    if (i == 1) deleteBrush(session_.palette, session_.palette.selected, *messages_);
    if (i == 2)
      if (auto path = dialogs_->savePath({"Daubwell palette", "pal"}))
        if (Status st = savePalette(session_.palette, *path); !st) messages_->show(kListSaveFailedText, "Error", MessageIcon::Error);
    if (i == 3)
      if (auto path = dialogs_->openPath({"Daubwell palette", "pal"})) loadPalette(session_.palette, *path);
    refreshBrushes();
  }));
  connect(brushList_, &ThumbnailList::chosen, this, [this](int i) {
    selectBrush(session_.palette, i, session_.engine);
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
    row->addWidget(caption(checkNames[i], strokePage), 1);
    controls->addLayout(row);
    connect(checks_[i], &QAbstractButton::clicked, this, [this] { storeStroke(); });
  }
  const char* sliderNames[] = {"Strength fades over", "Size fades over", "Phase", "Period", "Amount"};
  for (size_t i = 0; i < 5; ++i) {
    controls->addWidget(caption(sliderNames[i], strokePage));
    strokeSliders_[i] = new PaintSlider(strokePage);
    strokeSliders_[i]->setFixedHeight(13);
    controls->addWidget(strokeSliders_[i]);
  }
  controls->addStretch();
  sh->addLayout(controls, 1);
  sv->addLayout(sh, 1);
  sv->addLayout(listButtonRow(strokePage, [this](int i) {
    if (i == 0) addStroke(session_.strokes, session_.engine.dynamics, *messages_);
    if (i == 1) deleteStroke(session_.strokes, session_.strokes.selected, *messages_);
    if (i == 2)
      if (auto path = dialogs_->savePath({"Daubwell strokes", "stk"}))
        if (Status st = saveStrokes(session_.strokes, *path); !st) messages_->show(kListSaveFailedText, "Error", MessageIcon::Error);
    if (i == 3)
      if (auto path = dialogs_->openPath({"Daubwell strokes", "stk"})) loadStrokes(session_.strokes, *path);
    refreshStrokes();
  }));
  connect(strokeList_, &ThumbnailList::chosen, this, [this](int i) {
    selectStroke(session_.strokes, i, session_.engine);
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
  strokeTool_ = session_.engine.brush.tool;
  std::vector<QImage> strokes;
  for (int i = 0; i < session_.strokes.count(); ++i)
    strokes.push_back(surfaceImage(
        strokeThumbnail(session_.strokes.slots[size_t(i)].entry, strokeTool_, session_.patterns).surface));
  strokeList_->setThumbnails(std::move(strokes), session_.strokes.selected);
  syncStrokeControls();
}

void PaletteWindow::toolChanged() {
  if (session_.engine.brush.tool != strokeTool_) refreshStrokes();
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
  // The first stroke is the plain one: its settings stay.
  const int i = session_.strokes.selected;
  if (i > 0 && i < kStrokeSlots && session_.strokes.slots[size_t(i)].used) {
    session_.strokes.slots[size_t(i)].entry = d;
    session_.engine.dynamics = d;
  }
  refreshStrokes();
}

bool PaletteWindow::applySliders() {
  bool any = false;
  for (PaintSlider* s : strokeSliders_) any = s->takeDragged() || any;
  if (any) storeStroke();
  return any;
}

// ---- New Image ----

SizeDialog::SizeDialog(int width, int height, QWidget* parent) : QDialog(parent) {
  setWindowTitle("New Image");
  setModal(true);
  auto* g = new QGridLayout(this);
  g->setContentsMargins(14, 14, 14, 12);
  auto edit = [this](int value) {
    auto* e = new QLineEdit(QString::number(value), this);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,6}"), e));
    e->setFixedWidth(90);
    return e;
  };
  width_ = edit(width);
  height_ = edit(height);
  g->addWidget(caption("Width:", this), 0, 0);
  g->addWidget(width_, 0, 1);
  g->addWidget(caption("Height:", this), 1, 0);
  g->addWidget(height_, 1, 1);
  auto* ok = new ImageButton("okay", "OK", this);
  auto* cancel = new ImageButton("cancel", "Cancel", this);
  auto* h = new QHBoxLayout;
  h->addWidget(ok);
  h->addWidget(cancel);
  g->addLayout(h, 2, 0, 1, 2);
  connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
  connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
  // The picture buttons are no push buttons, so Enter is taken where it is typed.
  connect(width_, &QLineEdit::returnPressed, this, &QDialog::accept);
  connect(height_, &QLineEdit::returnPressed, this, &QDialog::accept);
  width_->selectAll();
}

void SizeDialog::paintEvent(QPaintEvent* e) { paintPanel(this, e); }

std::optional<std::pair<int64_t, int64_t>> SizeDialog::ask(int width, int height, QWidget* parent) {
  SizeDialog d(width, height, parent);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return std::pair{d.width_->text().toLongLong(), d.height_->text().toLongLong()};
}

// ---- splash ----

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(Graphics::instance().get("splash")) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(picture_.isNull() ? QSize(440, 270) : picture_.size());
  setFocusPolicy(Qt::StrongFocus);
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!picture_.isNull()) {
    p.drawPixmap(0, 0, picture_);
  } else {
    p.fillRect(rect(), QColor(245, 236, 220));
    QFont f("DejaVu Serif", 36, QFont::Bold);
    p.setFont(f);
    p.drawText(rect(), Qt::AlignCenter, "Daubwell");
  }
}

}  // namespace daubwell
