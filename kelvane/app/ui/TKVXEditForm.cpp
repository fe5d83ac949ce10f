#include "TKVXEditForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "QtBitmap.h"
#include "TGetTexCoordsDlg.h"
#include "TIncObjParamsForm.h"
#include "TColorPickerForm.h"
#include "TColorReplaceFilter.h"
#include "TFeaterForm.h"
#include "TKVXBaseFilterForm.h"
#include "TKVXNPRFilterForm.h"
#include "TMaskEditForm.h"
#include "TTrackEdit.h"
#include "TUVTextureEditorForm.h"
#include "app/DocumentCommands.h"
#include "app/FilterDialogs.h"

namespace kelvane::ui {

namespace {

// The dialogs are made once, owned by the top window, and keep their values from one
// use to the next.
template <class T>
T& Shared(QWidget* owner) {
  static QPointer<T> one;
  if (!one) one = new T(owner->window());
  return *one;
}

}  // namespace

TKVXEditForm::TKVXEditForm(const TServices& services, TKVXOptions& options, TCashMarager* swapper, QWidget* parent)
    : QWidget(parent), session_(std::make_unique<TKVXEditSession>(services, options, swapper)) {
  setObjectName("TKVXEditForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setMinimumSize(400, 400);
  view_ = new TImgView32(*session_, this);
  connect(view_, &TImgView32::TextureDropped, this, [this] { Q_EMIT Changed(); });
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(view_);
  split->addWidget(BuildSidePanel());
  split->setStretchFactor(0, 1);
  split->setCollapsible(0, false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar_ = BuildToolBar());
  layout->addWidget(split, 1);
  session_->SetObserver(this);
  incParams_ = new TIncObjParamsForm(*session_, this);
  // The ants follow a moved view a moment later, so zooming and scrolling stay quick.
  session_->DeferSelectionDisplay = true;
  antsDelay_.setSingleShot(true);
  antsDelay_.setInterval(100);
  connect(&antsDelay_, &QTimer::timeout, this, [this] {
    session_->UpdateSelectionDisplay();
    view_->viewport()->update();
  });
  ShowControls();
}

TKVXEditForm::~TKVXEditForm() {
  session_->SetObserver(nullptr);
  // The document's windows work on the session: they go first.
  delete uvEditor_.data();
  delete incParams_;
}

QWidget* TKVXEditForm::BuildToolBar() {
  auto* bar = new QWidget(this);
  auto* l = new QHBoxLayout(bar);
  l->setContentsMargins(4, 2, 4, 2);
  l->addWidget(new QLabel("Zoom:", bar));
  zoom_ = new QSpinBox(bar);
  zoom_->setObjectName("Zoom");
  zoom_->setRange(1, 1600);
  zoom_->setSuffix(" %");
  zoom_->setValue(100);
  zoom_->setKeyboardTracking(false);
  connect(zoom_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!updating_) session_->SetZoom(v / 100.0);
  });
  l->addWidget(zoom_);
  auto check = [&](const char* caption, const char* name) {
    auto* c = new QCheckBox(caption, bar);
    c->setObjectName(name);
    l->addWidget(c);
    return c;
  };
  glare_ = check("&Glare", "Glare");
  hiContrast_ = check("H&igh Contrast", "HiContrast");
  levelUp_ = check("&Level Up", "LevelUp");
  connect(glare_, &QCheckBox::toggled, this, [this](bool on) { session_->SetGlare(on); });
  connect(hiContrast_, &QCheckBox::toggled, this, [this](bool on) { session_->SetHiContrast(on); });
  connect(levelUp_, &QCheckBox::toggled, this, [this](bool on) { session_->SetLevelUp(on); });
  transparent_ = new TTrackEdit("Transparent:", 0, 255, 255, bar);
  connect(transparent_, &TTrackEdit::ValueChanged, this, [this](int v) { session_->SetTransparency(v); });
  l->addWidget(transparent_);
  overlapping_ = check("&Overlaping", "Overlaping");
  connect(overlapping_, &QCheckBox::toggled, this, [this](bool on) { session_->Overlapping = on; });
  tolerance_ = new TTrackEdit("Tolerance:", 1, 100, 30, bar);
  toleranceLabel_ = tolerance_->Caption();
  connect(tolerance_, &TTrackEdit::ValueChanged, this, [this](int v) { session_->Tolerance = v; });
  l->addWidget(tolerance_);
  feather_ = new TTrackEdit("Feather:", 0, 100, 0, bar);
  featherLabel_ = feather_->Caption();
  connect(feather_, &TTrackEdit::ValueChanged, this, [this](int v) { session_->Feather = v; });
  l->addWidget(feather_);
  l->addStretch(1);
  return bar;
}

QWidget* TKVXEditForm::BuildSidePanel() {
  side_ = new QTabWidget(this);
  side_->setMinimumWidth(220);
  side_->setMaximumWidth(320);

  auto* objects = new QWidget(side_);
  auto* ol = new QVBoxLayout(objects);
  list_ = new QListWidget(objects);
  list_->setObjectName("TVObj");
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QListWidget::itemSelectionChanged, this, &TKVXEditForm::OnListSelection);
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (!updating_) session_->RenameRow(list_->row(item), ToDocumentText(item->text()));
  });
  connect(list_, &QListWidget::customContextMenuRequested, this, &TKVXEditForm::ListMenu);
  ol->addWidget(list_, 1);
  auto* buttons = new QGridLayout;
  int at = 0;
  for (auto [caption, id] : {std::pair{"New Object", "ASaveSelection"}, std::pair{"Delete Object", "ADelObject"},
                             std::pair{"Get Anti-aliased Mask", "AGetAAMask"}}) {
    auto* b = new QToolButton(objects);
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(b, &QToolButton::clicked, this, [this, id = QString(id)] { RunCommand(id); });
    buttons->addWidget(b, at / 2, at % 2, 1, at == 2 ? 2 : 1);
    ++at;
  }
  ol->addLayout(buttons);

  swatch_ = new QPushButton(objects);
  swatch_->setObjectName("Swatch");
  swatch_->setMinimumHeight(32);
  swatch_->setFlat(true);
  swatch_->setToolTip("The object's colour: click to pick another");
  connect(swatch_, &QPushButton::clicked, this, [this] { RunCommand("AColorPicker"); });
  ol->addWidget(swatch_);
  const char* names[3] = {"Red", "Green", "Blue"};
  for (int i = 0; i < 3; ++i) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(names[i], objects));
    bars_[i] = new QSlider(Qt::Horizontal, objects);
    bars_[i]->setRange(0, 255);
    fields_[i] = new QSpinBox(objects);
    fields_[i]->setRange(0, 255);
    fields_[i]->setObjectName(QString(names[i]) + "Field");
    // A bar and its field show the same value; either one sets the colour.
    connect(bars_[i], &QSlider::valueChanged, this, [this, i](int v) {
      const QSignalBlocker b(fields_[i]);
      fields_[i]->setValue(v);
      if (!updating_) OnColourEdited();
    });
    connect(fields_[i], &QSpinBox::valueChanged, this, [this, i](int v) {
      const QSignalBlocker b(bars_[i]);
      bars_[i]->setValue(v);
      if (!updating_) OnColourEdited();
    });
    row->addWidget(bars_[i], 1);
    row->addWidget(fields_[i]);
    ol->addLayout(row);
  }
  side_->addTab(objects, "Objects");

  auto* texture = new QWidget(side_);
  auto* tl = new QVBoxLayout(texture);
  auto* load = new QPushButton("Load...", texture);
  connect(load, &QPushButton::clicked, this, [this] { RunCommand("ALoadTexture"); });
  tl->addWidget(load);
  texturePreview_ = new QLabel(texture);
  texturePreview_->setObjectName("TexturePreview");
  texturePreview_->setMinimumSize(180, 180);
  texturePreview_->setAlignment(Qt::AlignCenter);
  texturePreview_->setFrameShape(QFrame::StyledPanel);
  tl->addWidget(texturePreview_, 1);
  auto* clear = new QPushButton("Clear", texture);
  connect(clear, &QPushButton::clicked, this, [this] { session_->ClearTexture(); });
  tl->addWidget(clear);
  side_->addTab(texture, "Texture");
  connect(side_, &QTabWidget::currentChanged, this,
          [this, texture](int) { Q_EMIT TexturePageShown(side_->currentWidget() == texture); });
  return side_;
}

void TKVXEditForm::RunCommand(const QString& id) {
  const std::string key = id.toStdString();
  const TDocumentCommand* command = FindDocumentCommand(key);
  const bool enabled = command && DocumentCommandEnabled(*session_, *command);
  if (key == "AColorPicker") {
    PickColour();
  } else if (key == "AFeatherSelection") {
    if (enabled)
      if (const std::optional<int> r = Shared<TFeaterForm>(this).Ask()) session_->FeatherSelection(*r);
  } else if (key == "AEditMask") {
    if (enabled) EditMask();
  } else if (const TFilterKind* kind = FindFilterKind(key)) {
    if (enabled) {
      TKVXBaseFilterForm* dialog = key == "ANPR"        ? &Shared<TKVXNPRFilterForm>(this)
                                   : key == "ARepColor" ? static_cast<TKVXBaseFilterForm*>(&Shared<TColorReplaceFilter>(this))
                                                        : &Shared<TKVXBaseFilterForm>(this);
      dialog->Run(*session_, *kind);
    }
  } else if (key == "aHideTool") {
    TogglePanels();
  } else if (key == "AUVEditor") {
    OpenUVEditor();
  } else if (key == "ATexGen") {
    GenTextureCoords();
  } else {
    RunDocumentCommand(*session_, key);
  }
  Q_EMIT Changed();
}

void TKVXEditForm::PickColour() {
  const TColor32 c = session_->CurrentColor() | 0xFF000000u;
  const TColor32 picked = Shared<TColorPickerForm>(this).Pick(c);
  // Cancel gives the colour back unchanged: the selected objects keep their own.
  if (picked != c) session_->SetColorOfSelected(picked);
}

void TKVXEditForm::EditMask() {
  TByteMap* mask = session_->CurrentMask();
  if (!mask || mask->Empty() || session_->Busy()) return;
  TMaskEditForm editor(session_->Doc.Base, *mask, window());
  if (editor.exec() == QDialog::Accepted) session_->SetMaskFromEditor(editor.Result());
}

void TKVXEditForm::OpenUVEditor() {
  if (session_->Busy() || !session_->OpenUVEditor()) return;
  if (!uvEditor_) uvEditor_ = new TUVTextureEditorForm(*session_, this);
  uvEditor_->Refresh();
  uvEditor_->show();
  uvEditor_->raise();
}

TGetTexCoordsDlg* TKVXEditForm::TexCoordsDialog() {
  if (!texCoords_) texCoords_ = new TGetTexCoordsDlg(this);
  return texCoords_;
}

void TKVXEditForm::GenTextureCoords() {
  if (session_->Busy()) return;
  if (session_->SelectedCount() == 1) session_->Doc.EnsureLoaded(session_->CurrentIndex());
  session_->GenTextureCoords(TexCoordsDialog()->Ask());
}

void TKVXEditForm::TogglePanels() {
  const bool show = !PanelsShown();
  side_->setVisible(show);
  toolBar_->setVisible(show);
  setFocus();
}

bool TKVXEditForm::PanelsShown() const { return side_->isVisible(); }

void TKVXEditForm::closeEvent(QCloseEvent* e) {
  if (!session_->CanClose()) {
    e->ignore();
    return;
  }
  list_->clearSelection();
  e->accept();
}

void TKVXEditForm::OnListSelection() {
  if (updating_) return;
  std::vector<int> rows;
  for (QListWidgetItem* item : list_->selectedItems()) rows.push_back(list_->row(item));
  std::sort(rows.begin(), rows.end());
  session_->SetListSelection(rows, list_->currentRow());
  Q_EMIT Changed();
}

void TKVXEditForm::OnColourEdited() {
  session_->SetCurrentColor(Color32(uint8_t(bars_[0]->value()), uint8_t(bars_[1]->value()),
                                    uint8_t(bars_[2]->value())));
}

// ---- the session's news

void TKVXEditForm::ObjectListChanged() {
  updating_ = true;
  list_->clear();
  for (int i = 0; i < session_->RowCount(); ++i) {
    auto* item = new QListWidgetItem(FromDocumentText(session_->RowCaption(i)), list_);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  updating_ = false;
}

void TKVXEditForm::ListSelectionChanged() {
  updating_ = true;
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setSelected(session_->RowSelected(i));
  if (session_->ItemIndex() >= 0) list_->setCurrentRow(session_->ItemIndex(), QItemSelectionModel::NoUpdate);
  updating_ = false;
}

void TKVXEditForm::CurrentObjectChanged() {
  ShowColour();
  ShowTexturePreview();
  ShowControls();
  if (uvEditor_) uvEditor_->Refresh();
  Q_EMIT CurrentObjectShown();
}

void TKVXEditForm::ShowColour() {
  const TColor32 c = session_->CurrentColor();
  const int parts[3] = {RedComponent(c), GreenComponent(c), BlueComponent(c)};
  updating_ = true;
  for (int i = 0; i < 3; ++i) {
    bars_[i]->setValue(parts[i]);
    if (!fields_[i]->hasFocus()) fields_[i]->setValue(parts[i]);
  }
  updating_ = false;
  swatch_->setStyleSheet(QString("background-color: rgb(%1,%2,%3); border: 1px solid palette(dark);")
                             .arg(parts[0])
                             .arg(parts[1])
                             .arg(parts[2]));
}

void TKVXEditForm::ShowTexturePreview() {
  const TBitmap32& t = session_->TexturePreview();
  if (t.Empty()) {
    texturePreview_->setPixmap(QPixmap());
    texturePreview_->setText("(no texture: the colour alone)");
    return;
  }
  const QImage image = WrapBitmap(t, true).scaled(texturePreview_->size() - QSize(8, 8), Qt::KeepAspectRatio,
                                                  Qt::SmoothTransformation);
  texturePreview_->setPixmap(QPixmap::fromImage(image));
}

void TKVXEditForm::ShowControls() {
  updating_ = true;
  {
    const QSignalBlocker a(glare_), b(hiContrast_), c(levelUp_);
    glare_->setChecked(session_->Glare());
    hiContrast_->setChecked(session_->HiContrast());
    levelUp_->setChecked(session_->LevelUp());
  }
  transparent_->SetValue(session_->Transparency());
  const TSelectionTool tool = session_->Selection().Tool;
  const bool selecting = session_->Mode() == TWindowMode::Selection;
  feather_->setVisible(selecting);
  tolerance_->setVisible(tool == TSelectionTool::stColorRange || tool == TSelectionTool::stMagicWand);
  zoom_->setValue(int(std::lround(session_->View.Scale() * 100)));
  updating_ = false;
}

void TKVXEditForm::ViewChanged() {
  if (session_->SelectionDisplayDue()) antsDelay_.start();
  view_->ViewChanged();
  updating_ = true;
  zoom_->setValue(int(std::lround(session_->View.Scale() * 100)));
  updating_ = false;
}

void TKVXEditForm::ImageChanged() { view_->ImagesChanged(); }

void TKVXEditForm::OverlayChanged() {
  view_->viewport()->update();
  if (uvEditor_) uvEditor_->Refresh();
  if (incParams_->isVisible()) incParams_->Refresh();
}

void TKVXEditForm::ModeChanged() {
  if (session_->Mode() == TWindowMode::Grid) Q_EMIT GridToolsWanted();
  // The included objects' "Params" window belongs to their mode.
  const bool included = session_->Mode() == TWindowMode::Included;
  if (included && !incParams_->isVisible()) {
    incParams_->move(mapToGlobal(QPoint(width() - incParams_->sizeHint().width() - 240, 60)));
    incParams_->Refresh();
    incParams_->show();
  } else if (!included && incParams_->isVisible()) {
    incParams_->hide();
  }
  ShowControls();
  view_->ViewChanged();
  Q_EMIT Changed();
}

void TKVXEditForm::StateChanged() {
  QString caption = FromUtf8(session_->DocumentName());
  if (session_->Modified()) caption += " *";
  setWindowTitle(caption);
  Q_EMIT Changed();
}

void TKVXEditForm::ShowSelectionTools() { Q_EMIT SelectionToolsWanted(); }

void TKVXEditForm::ListMenu(const QPoint& at) {
  QMenu menu(this);
  const QListWidgetItem* item = list_->itemAt(at);
  FillListMenu(menu, item ? list_->row(item) : -1);
  menu.exec(list_->viewport()->mapToGlobal(at));
}

void TKVXEditForm::FillListMenu(QMenu& menu, int row) {
  auto add = [&](const char* caption, const char* id, std::function<void()> run = {}) {
    QAction* a = menu.addAction(caption);
    if (!run) run = [this, id = QString(id)] { RunCommand(id); };
    connect(a, &QAction::triggered, this, run);
    if (const TDocumentCommand* c = FindDocumentCommand(id)) a->setEnabled(DocumentCommandEnabled(*session_, *c));
    return a;
  };
  add("New Object", "ASaveSelection");
  menu.addSeparator();
  add("Merge Selected", "AMegreSelected")->setEnabled(session_->SelectedCount() >= 2);
  menu.addSeparator();
  add("Delete Object", "ADelObject");
  menu.addSeparator();
  // The colour and texture clipboards are the main window's.
  auto main = [&](const char* caption, const char* id) {
    menu.addAction(caption, this, [this, id] { Q_EMIT MainCommandWanted(id); });
  };
  main("Copy Color", "ACopyColor");
  main("Paste Color", "APasteColor");
  menu.addSeparator();
  main("Copy Texture", "ACopyTexture");
  main("Paste Texture", "APasteTexture");
  // The editor opens on the object whose row the menu is for.
  add("UV Editor", "AUVEditor", [this, row] {
    // As a click on the row would: the list's selection change makes it current.
    if (row >= 0 && row < list_->count() && row != session_->CurrentIndex() && !session_->Busy())
      list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    RunCommand("AUVEditor");
  });
  menu.addSeparator();
  add("Get Anti-aliased Mask", "AGetAAMask");
  menu.addSeparator();
  add("Group By Submaterial", "AGroupbySub");
}

}  // namespace kelvane::ui
