#include "TMainForm.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "Icons.h"
#include "QtBitmap.h"
#include "TAboutBox.h"
#include "TBalansForm.h"
#include "TFeaterForm.h"
#include "THSLToolFrom.h"
#include "TDivideGridForm.h"
#include "TFollowFoldsForm.h"
#include "TGTForm.h"
#include "TImgSizeForm.h"
#include "TKVXEditForm.h"
#include "TKVXMatialParamsForm.h"
#include "TBatchDrapeForm.h"
#include "TKVXJpegExport.h"
#include "TKVXRotateDlgForm.h"
#include "TPrintPreviewForm.h"
#include "TTexLibEditorForm.h"
#include "TTexLibToolForm.h"
#include "app/SessionExport.h"
#include "TOptionsDlg.h"
#include "TSTForm.h"
#include "app/DocumentCommands.h"
#include "app/MainCommands.h"
#include "raster/PictureFormats.h"

namespace kelvane::ui {

namespace {

constexpr int kRecentCount = 8;
constexpr const char* kRecentKey = "RecentFiles";

// The command table's key names as Qt's shortcuts; "Num" is the numeric keypad. The
// keypad's zoom keys also answer on the main keyboard, which laptops have alone.
QList<QKeySequence> Keys(std::string_view s) {
  if (s.empty()) return {};
  if (s == "Ctrl+Num+")
    return {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)),
            QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_Plus)),
            QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_Equal))};
  if (s == "Ctrl+Num-")
    return {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)),
            QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_Minus))};
  if (s == "Num*") return {QKeySequence(QKeyCombination(Qt::KeypadModifier, Qt::Key_Asterisk))};
  return {QKeySequence(QString::fromUtf8(s.data(), qsizetype(s.size())))};
}

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

TMainForm::TMainForm(TCashMarager* swapper, QWidget* parent)
    : QMainWindow(parent),
      progress_(new TForm1(this)),
      messages_(this, progress_),
      prompt_(this),
      dialogs_(this),
      jobs_(*progress_),
      swapper_(swapper),
      mdi_(new QMdiArea(this)) {
  setObjectName("TMainForm");
  setWindowTitle("Kelvane");
  setAcceptDrops(true);
  divide_ = new TDivideGridForm(this);
  folds_ = new TFollowFoldsForm(this);
  services_ = {&messages_, &prompt_, &dialogs_, &clipboard_, &cursor_, &jobs_, progress_, divide_, folds_};
  session_ = std::make_unique<TMainSession>(*this, services_, &settings_, &clipboard_, &scanner_);
  mdi_->setBackground(QColor(96, 100, 110));
  setCentralWidget(mdi_);
  selectTools_ = new TSTForm(
      [this](const QString& id) {
        if (TKVXEditForm* f = ActiveForm()) f->RunCommand(id);
      },
      this);
  gridTools_ = new TGTForm(
      [this](const TGridToolButton& b) {
        if (TKVXEditSession* d = ActiveDocument()) d->GridToolButton(b);
        RefreshCommands();
      },
      this);
  texParams_ = new TKVXMatialParamsForm([this] { return ActiveDocument(); }, this);
  options_ = new TOptionsDlg(this);
  imageSize_ = new TImgSizeForm(this);
  rotate_ = new TKVXRotateDlgForm(this);
  balance_ = new TBalansForm(this);
  feather_ = new TFeaterForm(this);
  hslTools_ = new THSLToolFrom(
      [this](float h, float sat, float l) {
        if (TKVXEditSession* d = ActiveDocument()) d->SetHSLTolerances(h, sat, l);
      },
      &settings_, this);
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  jpegExport_ = new TKVXJpegExport(this);
  texLib_ = new TTexLibToolForm([this]() -> TMainSession& { return *session_; }, this);
  connect(texLib_, &TTexLibToolForm::Applied, this, &TMainForm::RefreshCommands);
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  connect(mdi_, &QMdiArea::subWindowActivated, this, &TMainForm::RefreshCommands);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { texParams_->Load(ActiveDocument()); });
  ants_.setInterval(300);
  connect(&ants_, &QTimer::timeout, this, [this] {
    if (TKVXEditSession* d = ActiveDocument()) d->MarchingAntsTick();
  });
  ants_.start();
  RefreshCommands();
}

TMainForm::~TMainForm() {
  // The documents go before the services they were given.
  for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
}

void TMainForm::SetServices(const TServices& services) {
  services_ = services;
  session_ = std::make_unique<TMainSession>(*this, services_, &settings_, &clipboard_, &scanner_);
}

// ---- menus, toolbar, status bar

void TMainForm::BuildMenus() {
  QMap<QString, QMenu*> menus;
  std::function<QMenu*(const QString&)> menuFor = [&](const QString& path) -> QMenu* {
    if (menus.contains(path)) return menus[path];
    const int split = path.lastIndexOf('>');
    QMenu* m = split < 0 ? menuBar()->addMenu(path) : menuFor(path.left(split))->addMenu(path.mid(split + 1));
    connect(m, &QMenu::aboutToShow, this, &TMainForm::RefreshCommands);
    return menus[path] = m;
  };
  QActionGroup* sampling = new QActionGroup(this);
  QMenu* last = nullptr;
  for (const TMainCommand& c : MainCommands()) {
    if (c.Kind == TCommandKind::Separator) {
      if (last) last->addSeparator();
      continue;
    }
    const QString hint = Q(c.Hint);
    auto* a = new QAction(Q(c.Caption), this);
    a->setData(Q(c.Id));
    a->setShortcuts(Keys(c.Shortcut));
    // The keys work from the tool windows too; a modal dialog still keeps them.
    a->setShortcutContext(Qt::ApplicationShortcut);
    a->setToolTip(hint.section('|', 0, 0).isEmpty() ? a->text().remove('&') : hint.section('|', 0, 0));
    a->setStatusTip(hint.contains('|') ? hint.section('|', 1) : hint);
    a->setCheckable(c.Kind == TCommandKind::Check || c.Kind == TCommandKind::Radio);
    if (c.Kind == TCommandKind::Radio) sampling->addAction(a);
    a->setIcon(CommandIcon(Q(c.Id)));
    a->setIconVisibleInMenu(false);
    connect(a, &QAction::triggered, this, [this, &c] {
      RunMainCommand(*session_, c);
      RefreshCommands();
    });
    actions_[Q(c.Id)] = a;
    if (c.Menu.empty()) {
      addAction(a);  // no menu entry: the shortcut works from every window
    } else {
      last = menuFor(Q(c.Menu));
      last->addAction(a);
    }
  }
  // The document window's own keys (the main window's take precedence).
  for (const TDocumentCommand& d : DocumentCommands()) {
    if (d.Shortcut.empty()) continue;
    bool taken = false;
    for (const TMainCommand& c : MainCommands()) taken |= c.Shortcut == d.Shortcut;
    if (taken) continue;
    auto* a = new QAction(Q(d.Caption.empty() ? d.Id : d.Caption), this);
    a->setShortcuts(Keys(d.Shortcut));
    a->setShortcutContext(Qt::ApplicationShortcut);
    a->setData(Q(d.Id));
    connect(a, &QAction::triggered, this, [this, id = Q(d.Id)] {
      if (TKVXEditForm* f = ActiveForm()) f->RunCommand(id);
      RefreshCommands();
    });
    addAction(a);
  }
  recent_ = new QMenu("Recent Files", this);
  menus["File"]->insertMenu(actions_["AExit"], recent_);
  menus["File"]->insertSeparator(actions_["AExit"]);
  connect(recent_, &QMenu::aboutToShow, this, &TMainForm::FillRecentMenu);
}

void TMainForm::BuildToolBar() {
  QToolBar* bar = addToolBar("Tools");
  bar->setObjectName("MainToolBar");
  bar->setIconSize(QSize(24, 24));
  for (std::string_view id : ToolbarCommands()) {
    if (id == "-")
      bar->addSeparator();
    else if (QAction* a = actions_.value(Q(id)))
      bar->addAction(a);
  }
}

void TMainForm::BuildStatusBar() {
  const int widths[5] = {450, 80, 50, 50, 50};
  for (int i = 0; i < 5; ++i) {
    status_[size_t(i)] = new QLabel(this);
    status_[size_t(i)]->setMinimumWidth(widths[i]);
    status_[size_t(i)]->setFrameShape(QFrame::StyledPanel);
    if (i == 1) status_[size_t(i)]->setAlignment(Qt::AlignCenter);
    statusBar()->addPermanentWidget(status_[size_t(i)], i == 0 ? 1 : 0);
  }
}

bool TMainForm::event(QEvent* e) {
  // The long part of the hint under the mouse goes to the first panel.
  if (e->type() == QEvent::StatusTip) {
    status_[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

void TMainForm::RefreshCommands() {
  for (const TMainCommand& c : MainCommands()) {
    QAction* a = actions_.value(Q(c.Id));
    if (!a) continue;
    a->setEnabled(MainCommandEnabled(*session_, c));
    if (a->isCheckable()) a->setChecked(MainCommandChecked(*session_, c));
  }
  TKVXEditSession* d = ActiveDocument();
  selectTools_->Reflect(d);
  gridTools_->Reflect(d);
  // The HSL panel belongs to the HSL colour range and shows only while it is the tool.
  const bool hsl = d && d->Mode() == TWindowMode::Selection && d->Selection().Tool == TSelectionTool::stHSLRange;
  if (hsl && !hslTools_->isVisible()) {
    hslTools_->ShowAt(mapToGlobal(QPoint(120, 120)));
  } else if (!hsl && hslTools_->isVisible()) {
    hslTools_->hide();
  }
  if (d) {
    status_[1]->setText(QString("%1 %").arg(std::lround(d->View.Scale() * 100)));
    status_[2]->setText(QString::number(d->Doc.Width));
    status_[3]->setText(QString::number(d->Doc.Height));
    status_[4]->setText(d->Modified() ? "Modified" : "");
  } else {
    for (int i = 1; i < 5; ++i) status_[size_t(i)]->clear();
  }
}

// ---- opening files

bool TMainForm::OpenFile(const QString& path) {
  const bool ok = session_->OpenDocument(ToUtf8(path));
  if (ok) AddRecent(QFileInfo(path).absoluteFilePath());
  RefreshCommands();
  return ok;
}

void TMainForm::AddRecent(const QString& path) {
  if (QFileInfo(path).fileName() == "~kvx.bmp") return;
  QSettings s;
  QStringList list = s.value(kRecentKey).toStringList();
  list.removeAll(path);
  list.prepend(path);
  while (list.size() > kRecentCount) list.removeLast();
  s.setValue(kRecentKey, list);
}

void TMainForm::FillRecentMenu() {
  recent_->clear();
  const QStringList list = QSettings().value(kRecentKey).toStringList();
  for (const QString& path : list) recent_->addAction(path, this, [this, path] { OpenFile(path); });
  if (list.isEmpty()) recent_->addAction("(none)")->setEnabled(false);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
  for (const QUrl& url : e->mimeData()->urls())
    if (url.isLocalFile()) OpenFile(url.toLocalFile());
}

void TMainForm::closeEvent(QCloseEvent* e) {
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    mdi_->setActiveSubWindow(w);
    if (!w->close()) {
      e->ignore();
      return;
    }
  }
  session_->SaveSettings();
  progress_->hide();
  hslTools_->hide();
  selectTools_->hide();
  gridTools_->hide();
  texLib_->hide();
  if (libEditor_) libEditor_->hide();
  e->accept();
}

// ---- the host of the main session

TKVXEditForm* TMainForm::ActiveForm() const {
  QMdiSubWindow* w = mdi_->activeSubWindow();
  if (!w && !mdi_->subWindowList().isEmpty()) w = mdi_->subWindowList().back();
  return w ? qobject_cast<TKVXEditForm*>(w->widget()) : nullptr;
}

TKVXEditForm* TMainForm::FormOf(TKVXEditSession& doc) const {
  for (QMdiSubWindow* w : mdi_->subWindowList())
    if (auto* f = qobject_cast<TKVXEditForm*>(w->widget()); f && &f->Session() == &doc) return f;
  return nullptr;
}

TKVXEditSession* TMainForm::ActiveDocument() {
  TKVXEditForm* f = ActiveForm();
  return f ? &f->Session() : nullptr;
}

TKVXEditSession* TMainForm::NewDocument(const std::string& caption) {
  auto* form = new TKVXEditForm(services_, session_->Options, swapper_);
  form->setWindowTitle(FromUtf8(caption));
  QMdiSubWindow* sub = mdi_->addSubWindow(form);
  sub->setWindowIcon(CommandIcon("AToolsMapping"));
  sub->showMaximized();
  mdi_->setActiveSubWindow(sub);
  connect(form, &TKVXEditForm::Changed, this, &TMainForm::RefreshCommands);
  connect(form, &TKVXEditForm::SelectionToolsWanted, this, [this] {
    if (!selectTools_->isVisible()) {
      selectTools_->move(mapToGlobal(QPoint(8, 120)));
      selectTools_->show();
    }
  });
  connect(form, &TKVXEditForm::GridToolsWanted, this, [this] {
    if (!gridTools_->isVisible()) {
      gridTools_->move(mapToGlobal(QPoint(width() - gridTools_->sizeHint().width() - 340, 120)));
      gridTools_->show();
    }
  });
  connect(form, &TKVXEditForm::CurrentObjectShown, this, [this, form] {
    if (ActiveForm() == form || !ActiveForm()) texParams_->Load(&form->Session());
  });
  connect(form, &TKVXEditForm::TexturePageShown, this, [this](bool shown) {
    if (shown && !texParams_->isVisible()) {
      texParams_->move(mapToGlobal(QPoint(width() - texParams_->sizeHint().width() - 340, 420)));
      texParams_->Load(ActiveDocument());
    }
    texParams_->setVisible(shown);
    RefreshCommands();
  });
  connect(form, &TKVXEditForm::MainCommandWanted, this, [this](const QString& id) {
    RunMainCommand(*session_, ToUtf8(id));
    RefreshCommands();
  });
  connect(form, &QObject::destroyed, this, &TMainForm::RefreshCommands, Qt::QueuedConnection);
  return &form->Session();
}

void TMainForm::CloseActiveDocument() { mdi_->closeActiveSubWindow(); }

void TMainForm::Arrange(TArrange how) {
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  const QRect area = mdi_->viewport()->rect();
  switch (how) {
    case TArrange::Cascade: mdi_->cascadeSubWindows(); break;
    case TArrange::TileHorizontally:
    case TArrange::TileVertically: {
      QList<QMdiSubWindow*> shown;
      for (QMdiSubWindow* w : windows)
        if (!w->isMinimized()) shown << w;
      const int n = int(shown.size());
      for (int i = 0; i < n; ++i) {
        shown[i]->showNormal();
        if (how == TArrange::TileHorizontally)
          shown[i]->setGeometry(0, area.height() * i / n, area.width(), area.height() / n);
        else
          shown[i]->setGeometry(area.width() * i / n, 0, area.width() / n, area.height());
      }
      break;
    }
    case TArrange::MinimizeAll:
      for (QMdiSubWindow* w : windows) w->showMinimized();
      break;
    case TArrange::ArrangeAll: {
      // Minimised windows in a row along the bottom.
      int x = 0;
      for (QMdiSubWindow* w : windows)
        if (w->isMinimized()) {
          w->move(x, area.height() - w->height());
          x += w->width();
        }
      break;
    }
  }
}

QWidget* TMainForm::ToolWindow(TToolWindow w) const {
  switch (w) {
    case TToolWindow::SelectTools: return selectTools_;
    case TToolWindow::GridTools: return gridTools_;
    case TToolWindow::TextureParams: return texParams_;
    case TToolWindow::TextureLibrary: return texLib_;
    default: return nullptr;
  }
}

void TMainForm::ToggleToolWindow(TToolWindow w) {
  QWidget* t = ToolWindow(w);
  if (!t) return;
  if (t == texParams_ && !t->isVisible()) texParams_->Load(ActiveDocument());
  if (t == texLib_ && !texLibPlaced_) {
    // First shown at the bottom left of the frame, over the picture's edge.
    texLibPlaced_ = true;
    t->move(mapToGlobal(QPoint(8, std::max(0, height() - t->height() - 40))));
  }
  t->setVisible(!t->isVisible());
}

bool TMainForm::ToolWindowVisible(TToolWindow w) {
  QWidget* t = ToolWindow(w);
  return t && t->isVisible();
}

void TMainForm::ToggleDocumentPanels() {
  TKVXEditForm* f = ActiveForm();
  if (!f) return;
  f->TogglePanels();
  selectTools_->setVisible(f->PanelsShown());
  gridTools_->setVisible(f->PanelsShown());
  texParams_->setVisible(f->PanelsShown());
}

void TMainForm::Exit() { close(); }

bool TMainForm::EditOptions(TKVXOptions& options) { return options_->Edit(options); }

std::optional<TImageSizeAnswer> TMainForm::AskImageSize(int width, int height) {
  return imageSize_->Ask(width, height);
}

std::optional<double> TMainForm::AskRotateAngle() { return rotate_->Ask(); }

std::optional<double> TMainForm::AskFeatherRadius() {
  const std::optional<int> r = feather_->Ask();
  return r ? std::optional<double>(*r) : std::nullopt;
}

void TMainForm::Balance(TKVXEditSession& doc) { balance_->Run(doc); }

void TMainForm::RunWindowCommand(TKVXEditSession& doc, const std::string& id) {
  if (TKVXEditForm* f = FormOf(doc)) f->RunCommand(FromUtf8(id));
}

void TMainForm::ShowAbout() { TAboutBox(this).exec(); }

void TMainForm::Print(TKVXEditSession& doc) {
  TKVXEditForm* form = FormOf(doc);
  auto* preview = new TPrintPreviewForm(doc, *printer_, form ? form->windowTitle() : QString("Kelvane"), this);
  preview->exec();
}

void TMainForm::ExportJpeg(TKVXEditSession& doc) {
  ExportDocumentJpeg(doc, *jpegExport_);
  RefreshCommands();
}

void TMainForm::BatchDrape(TKVXEditSession& doc) {
  TBatchDrapeForm dialog(doc, this);
  dialog.exec();
}

void TMainForm::RefreshLibrary() { texLib_->Refresh(); }

bool TMainForm::ShowLibraryEditor() {
  if (!libEditor_) {
    libEditor_ = new TTexLibEditorForm(services_, this);
    // A library saved where the library window looks shows there at once.
    connect(libEditor_, &TTexLibEditorForm::Saved, this, [this] { texLib_->Refresh(); });
  }
  libEditor_->show();
  libEditor_->raise();
  libEditor_->activateWindow();
  return true;
}

bool TMainForm::StartProgram(const std::string& path) {
  const QFileInfo f(FromUtf8(path));
  return f.isFile() && f.isExecutable() && QProcess::startDetached(f.absoluteFilePath(), {});
}

}  // namespace kelvane::ui
