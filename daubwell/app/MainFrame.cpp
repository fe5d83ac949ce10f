#include "MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QShortcut>
#include <QStatusBar>
#include <QUrl>
#include <cstdio>

#include "HelpWindow.h"
#include "canvas/CanvasView.h"
#include "canvas/Lighting.h"
#include "effects/Effects.h"
#include "MenuIds.h"
#include "files/BmpWriter.h"
#include "files/PngWriter.h"
#include "files/ReliefExport.h"
#include "files/DocumentFlows.h"
#include "files/ProgramFolders.h"

namespace daubwell {

namespace {

constexpr QPoint kCanvasWindowOrigin(90, 10);

}  // namespace

// ---- the frame ----

MainFrame::MainFrame(PaintSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), qtMessages_(this), qtDialogs_(this), messages_(&qtMessages_),
      dialogs_(&qtDialogs_) {
  setWindowTitle(kFrameTitle);
  setAcceptDrops(true);
  session_.attachWindow(this, this, messages_);
  askSize = [this](int w, int h) { return SizeDialog::ask(w, h, this); };
  openPage = openWithDesktop;

  mdi_ = new QMdiArea(this);
  mdi_->setBackground(QColor(128, 120, 110));
  setCentralWidget(mdi_);
  canvas_ = new CanvasWidget(session_, *this, nullptr);
  canvasWindow_ = mdi_->addSubWindow(canvas_, Qt::FramelessWindowHint);
  canvasWindow_->setAttribute(Qt::WA_DeleteOnClose, false);

  buildStatusBar();
  tools_ = new ToolsWindow(this);
  properties_ = new BrushPropertiesWindow(session_, this);
  colors_ = new ColorsWindow(session_, this);
  palette_ = new PaletteWindow(session_, *messages_, *dialogs_, this);
  floating_ = {tools_, properties_, colors_, palette_};
  buildMenus();
  qApp->installEventFilter(this);

  connect(tools_, &ToolsWindow::toolChosen, this, [this](int tool) {
    session_.chooseTool(tool);
    refreshTools();
  });
  connect(properties_, &BrushPropertiesWindow::brushChanged, this, [this] { markPreviewDirty(); });
  connect(palette_, &PaletteWindow::brushChanged, this, [this] { requestRefresh(); });
  for (auto [id, w] : windowItems())
    connect(w, &FloatingWindow::shownChanged, this, [this, id](bool shown) {
      if (!isMinimized()) actions_[id]->setChecked(shown);
    });

  loop_.setTimerType(Qt::PreciseTimer);
  loop_.setInterval(3);
  connect(&loop_, &QTimer::timeout, this, &MainFrame::frameTick);
  loop_.start();
}

MainFrame::~MainFrame() {
  session_.attachWindow(nullptr, nullptr, nullptr);
}

void MainFrame::setServices(Messages& messages, FileDialogs& dialogs) {
  messages_ = &messages;
  dialogs_ = &dialogs;
  session_.setMessages(messages_);
  palette_->setServices(messages, dialogs);
}

FloatingWindow* MainFrame::createFloatingWindow(const QString& title) {
  std::erase_if(floating_, [](const QPointer<FloatingWindow>& w) { return w.isNull(); });
  if (int(floating_.size()) >= kMaxFloatingWindows) {
    messages_->show(kTooManyWindowsText, "Error", MessageIcon::Error);
    return nullptr;
  }
  auto* w = new FloatingWindow(title, this);
  floating_.push_back(w);
  return w;
}

std::array<std::pair<int, FloatingWindow*>, 4> MainFrame::windowItems() const {
  return {{{menu::kToolsWindow, tools_}, {menu::kPropertiesWindow, properties_}, {menu::kColorsWindow, colors_}, {menu::kPaletteWindow, palette_}}};
}

QAction* MainFrame::addItem(QMenu* menu, int id, const QString& caption, std::function<void()> run) {
  QAction* a = menu->addAction(caption);
  a->setData(id);
  connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
  actions_.insert(id, a);
  return a;
}

void MainFrame::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  addItem(file, menu::kNew, "&New\tCtrl+N", [this] { newImage(); });
  addItem(file, menu::kOpen, "&Open\tCtrl+O", [this] {
    if (openDocument(session_.doc, *dialogs_, *messages_)) session_.applyPreferences();
    updateUndoItems();
  });
  addItem(file, menu::kImportImage, "&Import Image", [this] { importImage(); });
  addItem(file, menu::kSave, "&Save\tCtrl+S", [this] { saveAs(session_.doc, *dialogs_, *messages_); });
  addItem(file, menu::kExportImage, "&Export Image", [this] { exportImage(); });
  file->addSeparator();
  addItem(file, menu::kPageSetup, "&Page Setup", [this] { pageSetup(); });
  addItem(file, menu::kPrint, "&Print\tCtrl+P", [this] { print(); });
  file->addSeparator();
  addItem(file, menu::kExit, "E&xit", [this] { close(); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  addItem(edit, menu::kUndo, "&Undo\tCtrl+Z", [this] {
    session_.doc.undo(*messages_);
    updateUndoItems();
    requestRefresh();
  });
  addItem(edit, menu::kRedo, "&Redo\tCtrl+Y", [this] {
    session_.doc.redo(*messages_);
    updateUndoItems();
    requestRefresh();
  });

  QMenu* view = menuBar()->addMenu("&View");
  for (auto [id, caption] : {std::pair{menu::kHighQuality, "&High Quality (slow)"}, {menu::kLighting, "&Lighting"}}) {
    QAction* a = addItem(view, id, caption, [this, id] { toggleDisplay(id); });
    a->setCheckable(true);
  }
  QMenu* zoom = view->addMenu("&Zoom");
  for (const ZoomItem& z : kZoomItems) addItem(zoom, z.menuId, toQString(z.caption), [this, f = z.factor] { setZoom(f); });

  QMenu* image = menuBar()->addMenu("&Image");
  addItem(image, menu::kImageSize, "&Image Size", [this] { imageSize(); });
  addItem(image, menu::kExportHeightMap, "Export Height Map...", [this] { exportRelief(menu::kExportHeightMap); });
  addItem(image, menu::kExportNormalMap, "Export Normal Map...", [this] { exportRelief(menu::kExportNormalMap); });
  image->addSeparator();
  // The effects table says where each effect goes; its menus are made as they come up.
  QMap<QString, QMenu*> menus{{toQString(kImageMenu), image}};
  auto menuFor = [&](const Effect& e) {
    QMenu*& top = menus[toQString(e.menu)];
    if (!top) top = menuBar()->addMenu(toQString(e.menu));
    if (e.submenu.empty()) return top;
    QMenu*& sub = menus[toQString(e.menu) + "/" + toQString(e.submenu)];
    if (!sub) sub = top->addMenu(toQString(e.submenu));
    return sub;
  };
  for (const Effect& e : effects())
    addItem(menuFor(e), e.menuId, toQString(e.caption), [this, effect = &e] { runEffect(*effect); });

  QMenu* window = menuBar()->addMenu("&Window");
  for (auto [id, w] : windowItems()) {
    QAction* a = addItem(window, id, w == tools_ ? " Tools" : w->windowTitle(), [this, id, w] { toggleWindow(id, w); });
    a->setCheckable(true);
    a->setChecked(true);
  }

  QMenu* help = menuBar()->addMenu("&Help");
  addItem(help, menu::kHelp, "&Daubwell Help", [this] { openHelp(QString()); });
  addItem(help, menu::kHomePage, "Daubwell on the &Web", [this] { openHelp("about"); });
  help->addSeparator();
  addItem(help, menu::kAbout, "&About Daubwell..", [this] { showAbout(); });

  // Ctrl+N, O, S, P, Z and Y work from every window of the program, once per press.
  for (auto [key, id] : {std::pair{"Ctrl+N", menu::kNew}, {"Ctrl+O", menu::kOpen}, {"Ctrl+S", menu::kSave}, {"Ctrl+P", menu::kPrint},
                         {"Ctrl+Z", menu::kUndo}, {"Ctrl+Y", menu::kRedo}}) {
    auto* s = new QShortcut(QKeySequence(key), this);
    s->setContext(Qt::ApplicationShortcut);
    s->setAutoRepeat(false);
    connect(s, &QShortcut::activated, this, [this, id] {
      if (actions_[id]->isEnabled()) actions_[id]->trigger();
    });
  }
}

void MainFrame::buildStatusBar() {
  int left = 0;
  for (size_t i = 0; i < 4; ++i) {
    status_[i] = new QLabel(this);
    status_[i]->setFixedWidth(kStatusPartEdges[i] - left);
    left = kStatusPartEdges[i];
    statusBar()->addWidget(status_[i], i == 3 ? 1 : 0);
  }
}

void MainFrame::updateStatus() {
  const Canvas& c = session_.doc.canvas;
  status_[0]->setText(QString::fromStdString(fileSizeText(c.width, c.height)));
  status_[1]->setText(QString::fromStdString(sizeText(c.width, c.height)));
  status_[2]->setText(QString::fromStdString(zoomText(session_.doc.zoom)));
  status_[3]->setText(QString::fromStdString(session_.doc.statusText));
}

void MainFrame::updateUndoItems() {
  actions_[menu::kUndo]->setEnabled(session_.doc.history.canUndo());
  actions_[menu::kRedo]->setEnabled(session_.doc.history.canRedo());
}

void MainFrame::runEffect(const Effect& effect) {
  session_.runEffect(effect);
  updateUndoItems();
  canvas_->update();
}

void MainFrame::newImage() {
  if (!confirmDiscard(session_.doc, *dialogs_, *messages_)) return;
  const auto size = askSize(int(kStartDocumentSide), int(kStartDocumentSide));
  if (!size) return;
  if (!newDocumentChecked(session_.doc, size->first, size->second, *messages_)) return;
  session_.applyPreferences();
  updateUndoItems();
  updateStatus();
}

void MainFrame::imageSize() {
  const Canvas& c = session_.doc.canvas;
  const auto size = askSize(int(c.width), int(c.height));
  if (!size) return;
  if (daubwell::imageSize(session_.doc, size->first, size->second, *messages_)) updateUndoItems();
  updateStatus();
}

void MainFrame::setZoom(double zoom) {
  session_.setZoom(zoom);
  canvasResized();
}

void MainFrame::canvasResized() {
  const Canvas& c = session_.doc.canvas;
  const QSize size(std::max(1, zoomedSize(c.width, session_.doc.zoom)), std::max(1, zoomedSize(c.height, session_.doc.zoom)));
  canvas_->setFixedSize(size);
  canvasWindow_->setFixedSize(size);
  canvasWindow_->move(kCanvasWindowOrigin);
  canvasWindow_->show();
  // A large painting's first snapshot and first Undo find their memory ready.
  session_.doc.history.prepareSpare(c.pixels.size());
  canvas_->update();
  updateStatus();
  updateUndoItems();  // a new, opened or restored painting
}

void MainFrame::toggleDisplay(int id) {
  const bool highQuality = id == menu::kHighQuality;
  highQuality ? session_.toggleHighQuality() : session_.toggleLighting();
  actions_[id]->setChecked(highQuality ? session_.prefs.highQuality : session_.prefs.lighting);
  markPreviewDirty();
}

void MainFrame::toggleWindow(int id, FloatingWindow* w) {
  w->setVisible(!w->isVisible());
  actions_[id]->setChecked(w->isVisible());
}

void MainFrame::importImage() {
  if (!confirmDiscard(session_.doc, *dialogs_, *messages_)) return;
  const auto path = dialogs_->openPath(kImportFilter);
  if (!path) return;
  if (daubwell::importImage(session_.doc, *path, *messages_)) {
    session_.applyPreferences();
    updateUndoItems();
  }
}

void MainFrame::exportImage() {
  const auto path = dialogs_->savePath(kExportFilter);
  if (!path) return;
  relightAll(session_.doc.canvas);
  const DisplaySurface& shown = session_.doc.canvas.surface;
  const Status written = QString::fromStdString(*path).endsWith(".png", Qt::CaseInsensitive)
                             ? writePng(shown, *path)
                             : writeBmp(shown, *path) ? Status(Ok{}) : fail("cannot write " + *path);
  if (!written) messages_->show("Export failed! " + written.error(), "Error", MessageIcon::Error);
}

void MainFrame::exportRelief(int id) {
  const bool heights = id == menu::kExportHeightMap;
  const auto path = dialogs_->savePath(heights ? kHeightMapFilter : kNormalMapFilter);
  if (!path) return;
  const Canvas& c = session_.doc.canvas;
  const Status s = heights ? writeHeightMap(c, *path) : writeNormalMap(c, *path);
  if (!s) messages_->show("Export failed! " + s.error(), "Error", MessageIcon::Error);
}

void MainFrame::pageSetup() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPageSetupDialog(printer_.get(), this).exec();
}

void MainFrame::print() {
  Canvas& c = session_.doc.canvas;
  relightAll(c);
  canvas_->update();
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(printer_.get(), this);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (dialog.exec() != QDialog::Accepted) return;
  printer_->setDocName("Bitmap Printing Test");
  QPainter painter;
  if (!painter.begin(printer_.get())) {
    messages_->show("The printer could not be started.", "Error", MessageIcon::Error);
    return;
  }
  const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
  const PrintPlacement place = printPlacement(int(c.width), int(c.height), page.width(), page.height());
  painter.drawImage(QRect(place.x, place.y, place.width, place.height), surfaceImage(c.surface));
  painter.end();
}

void MainFrame::showAbout() {
  auto* about = new SplashWindow(this);
  about->move(geometry().center() - about->rect().center());
  about->show();
  about->setFocus();
}

void MainFrame::openHelp(const QString& anchor) {
  const QString page = QString::fromStdString(programFolder()) + "help/index.html";
  if (!QFileInfo::exists(page)) {
    messages_->show("The help pages are not installed beside the program.", "Error", MessageIcon::Error);
    return;
  }
  QUrl url = QUrl::fromLocalFile(page);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  // The program stays as it is; a desktop without a viewer gets the page in our window.
  if (openPage(url)) return;
  if (!help_) help_ = new HelpWindow(this);
  help_->showPage(url);
}

bool MainFrame::openFile(const QString& path) {
  if (!openDocumentFile(session_.doc, path.toStdString(), *messages_)) return false;
  session_.applyPreferences();
  updateUndoItems();
  return true;
}

void MainFrame::handOver(const QString& path) {
  bringToFront();
  if (!confirmDiscard(session_.doc, *dialogs_, *messages_)) return;
  if (!openFile(path)) messages_->show(kLoadFailedText, "Error", MessageIcon::Error);
}

void MainFrame::bringToFront() {
  // Only a minimised frame changes state; a maximised one stays maximised.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

void MainFrame::loadListsAndPreferences() {
  session_.loadListsAndPreferences(listFolder());
  actions_[menu::kHighQuality]->setChecked(session_.prefs.highQuality);
  actions_[menu::kLighting]->setChecked(session_.prefs.lighting);
  colors_->syncFromBrush();
  properties_->syncFromBrush();
  palette_->refresh();
  refreshTools();
  // After start-up the status bar invites the first stroke rather than naming the tool.
  session_.setStatusText(kBeginDrawingText);
  updateStatus();
  updateUndoItems();
}

void MainFrame::saveListsAndPreferences() {
  if (const Status st = session_.saveListsAndPreferences(listFolder()); !st)
    messages_->show(kListsNotSavedText + "\n" + st.error(), "Error", MessageIcon::Error);
}

// ---- the main loop ----

void MainFrame::frameTick() {
  QElapsedTimer clock;
  clock.start();
  Document& doc = session_.doc;
  bool painting = false;
  if (!doc.canvas.empty() && !doc.canvas.lightingValid) {
    relightAll(doc.canvas);
    canvas_->update();
  }
  if (session_.engine.buttonDown() && strokeOnCanvas_) {
    painting = true;
    session_.engine.frame(doc);
    const int r = int(session_.brush().size * doc.zoom);
    const int x = session_.engine.cursorX(), y = session_.engine.cursorY();
    canvas_->repaint(QRect(QPoint(x - r, y - r), QPoint(x + r, y + r)));
  } else {
    const bool props = properties_->applySliders();
    const bool cols = colors_->applySliders();
    palette_->applySliders();
    if (props || cols) markPreviewDirty();
  }
  if (refreshRequested_) {
    refreshRequested_ = false;
    canvas_->update();
    colors_->syncFromBrush();
    properties_->syncFromBrush();
    refreshTools();
  }
  if (previewDirty_) {
    previewDirty_ = false;
    session_.redrawPreview();
    properties_->previewChanged();
  }
  stats_.add(double(clock.nsecsElapsed()) / 1e9, painting);
}

void MainFrame::refreshTools() {
  const int tool = session_.brush().tool;
  tools_->markTool(tool);
  properties_->applyToolControls(tool);
  palette_->toolChanged();
  const std::string_view text = toolInfo(tool).status;
  if (!text.empty()) session_.setStatusText(text);
  updateStatus();
  markPreviewDirty();
}

void MainFrame::canvasPress(int x, int y) {
  strokeOnCanvas_ = true;
  handAnchor_ = QCursor::pos();
  session_.engine.press(session_.doc, x, y);
  updateUndoItems();
}

void MainFrame::canvasMove(int x, int y, bool inside) {
  if (!inside) {
    canvasRelease();
    return;
  }
  session_.engine.move(x, y);
}

void MainFrame::canvasRelease() {
  if (session_.engine.buttonDown()) session_.engine.release();
  strokeOnCanvas_ = false;
}

void MainFrame::colourPicked(Rgb) {
  colors_->syncFromBrush();
  markPreviewDirty();
}

void MainFrame::handDrag() {
  const QPoint now = QCursor::pos();
  canvasWindow_->move(canvasWindow_->pos() + (now - handAnchor_));
  handAnchor_ = now;
  // What the move uncovers is painted at once, not left to the next full repaint.
  canvas_->update();
  mdi_->viewport()->update();
}

// A stroke under way when Space goes down or up ends there: while Space is held only the
// hand acts, and a hand stroke never turns into a dab of the tool given back (which no
// snapshot was taken for).
void MainFrame::spacePressed() {
  if (!session_.holdHand()) return;
  canvasRelease();
  refreshTools();
}

void MainFrame::spaceReleased() {
  if (!session_.letGoOfHand()) return;
  canvasRelease();
  refreshTools();
}

// ---- window events ----

bool MainFrame::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
    auto* k = static_cast<QKeyEvent*>(e);
    // Space in an edit box is text, not the Hand Tool.
    if (k->key() == Qt::Key_Space && !k->isAutoRepeat() && !qobject_cast<QLineEdit*>(QApplication::focusWidget()) &&
        watched->isWidgetType()) {
      if (e->type() == QEvent::KeyPress)
        spacePressed();
      else
        spaceReleased();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void MainFrame::closeEvent(QCloseEvent* e) {
  // Yes with a cancelled or failed save keeps the program open: the painting is not lost.
  if (session_.doc.modified &&
      messages_->ask(kSaveChangesText, "Save Changes?", MessageButtons::YesNo, MessageIcon::Question) == Answer::Yes &&
      !saveAs(session_.doc, *dialogs_, *messages_)) {
    e->ignore();
    return;
  }
  loop_.stop();
  saveListsAndPreferences();
  if (qEnvironmentVariableIsSet("DAUBWELL_FRAME_STATS") && stats_.paintingFrames > 0)
    std::fprintf(stderr, "daubwell: %d painting frames, %.3f ms each on average, %.3f ms at most\n",
                 stats_.paintingFrames, stats_.paintingSeconds * 1000 / stats_.paintingFrames,
                 stats_.longestPainting * 1000);
  e->accept();
}

void MainFrame::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange) return;
  // The tool windows go with the frame when it is minimised and come back with it.
  for (auto [id, w] : windowItems()) w->setVisible(!isMinimized() && actions_[id]->isChecked());
}

void MainFrame::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) openFile(urls.first().toLocalFile());
}

}  // namespace daubwell
