#include "TTexLibEditorForm.h"

#include <QCloseEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "QtBitmap.h"
#include "raster/PictureFormats.h"
#include "texlib/Thumbnail.h"

namespace kelvane::ui {

namespace {

// Dragging a thumbnail to another place reorders the library.
class TOrderList final : public QListWidget {
public:
  std::function<void(int from, int to)> Moved;
  explicit TOrderList(QWidget* parent) : QListWidget(parent) {}

protected:
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (e->source() == this) e->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent* e) override {
    if (e->source() == this) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent* e) override {
    const int from = currentRow();
    QListWidgetItem* target = itemAt(e->position().toPoint());
    int to = target ? row(target) : count() - 1;
    // Taken here, so the drop is not handed on to the list itself and moved back.
    e->acceptProposedAction();
    if (from >= 0 && to >= 0 && from != to && Moved) Moved(from, to);
  }
  // The list is rebuilt from the library after a move, so the view must not remove the
  // dragged rows itself as its own drag does after a move.
  void startDrag(Qt::DropActions) override {
    QListWidgetItem* item = currentItem();
    if (!item) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeData({item}));
    drag->setPixmap(item->icon().pixmap(iconSize() / 2));
    drag->exec(Qt::MoveAction);
  }
};

QString PictureFilter() {
  QStringList patterns;
  for (const PictureFormat& f : PictureFormats::instance().all())
    if (f.read && f.extension != "kvx") patterns << "*." + FromUtf8(f.extension);
  return "Pictures (" + patterns.join(' ') + ")";
}

}  // namespace

TTexLibEditorForm::TTexLibEditorForm(const TServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(services) {
  setObjectName("TTexLibEditorForm");
  auto* bar = new QHBoxLayout;
  auto button = [&](const char* caption, auto&& onClick, bool editing = true) {
    auto* b = new QPushButton(caption, this);
    bar->addWidget(b);
    connect(b, &QPushButton::clicked, this, onClick);
    if (editing) editing_ << b;
    return b;
  };
  button("New", [this] {
    if (session_.New()) ShowLibrary();
  });
  button("Open...", [this] {
    if (session_.Open()) ShowLibrary();
  });
  button("Add Pictures...", [this] { AddPaths(QFileDialog::getOpenFileNames(this, "Add Pictures", {}, PictureFilter())); });
  button("Add Folder...", [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, "Add Folder");
    if (!folder.isEmpty()) AddPaths({folder});
  });
  button("Remove", [this] {
    std::vector<size_t> rows;
    for (QListWidgetItem* item : list_->selectedItems()) rows.push_back(size_t(list_->row(item)));
    session_.Remove(rows);
    ShowLibrary();
  });
  // Besides dragging: one place earlier or later.
  button("<", [this] { RowsMoved(list_->currentRow(), list_->currentRow() - 1); })->setToolTip("Move Earlier");
  button(">", [this] { RowsMoved(list_->currentRow(), list_->currentRow() + 1); })->setToolTip("Move Later");
  button("Save", [this] {
    if (session_.Save()) Q_EMIT Saved(FromUtf8(session_.Path()));
    UpdateState();
  });
  button("Save As...", [this] {
    if (session_.SaveAs()) Q_EMIT Saved(FromUtf8(session_.Path()));
    UpdateState();
  });
  bar->addStretch(1);

  auto* order = new TOrderList(this);
  order->Moved = [this](int from, int to) { RowsMoved(from, to); };
  list_ = order;
  list_->setObjectName("LibraryTextures");
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  list_->setGridSize(QSize(kThumbnailSide + 16, kThumbnailSide + 28));
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setDragEnabled(true);
  list_->setAcceptDrops(true);
  list_->setDropIndicatorShown(true);
  list_->setDragDropMode(QAbstractItemView::InternalMove);
  list_->setDefaultDropAction(Qt::MoveAction);
  // A static icon view refuses drops on its viewport; the order list takes its own.
  list_->viewport()->setAcceptDrops(true);

  auto* foot = new QHBoxLayout;
  status_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setVisible(false);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setVisible(false);
  connect(cancel_, &QPushButton::clicked, this, [this] { session_.Adding().Cancel(); });
  foot->addWidget(status_, 1);
  foot->addWidget(bar_);
  foot->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(list_, 1);
  layout->addLayout(foot);
  resize(720, 480);
  poll_.setInterval(50);
  connect(&poll_, &QTimer::timeout, this, &TTexLibEditorForm::PollAdding);
  ShowLibrary();
}

void TTexLibEditorForm::AddPaths(const QStringList& paths) {
  std::vector<std::string> p;
  for (const QString& s : paths) p.push_back(ToUtf8(s));
  if (!session_.StartAdding(p)) return;
  bar_->setVisible(true);
  cancel_->setVisible(true);
  bar_->setValue(0);
  UpdateState();
  poll_.start();
}

void TTexLibEditorForm::PollAdding() {
  TBackgroundWork& w = session_.Adding();
  bar_->setMaximum(std::max(1, w.Maximum()));
  bar_->setValue(w.Position());
  status_->setText(FromUtf8(w.MessageText()));
  if (w.Running()) return;
  poll_.stop();
  bar_->setVisible(false);
  cancel_->setVisible(false);
  session_.FinishAdding();
  ShowLibrary();
}

void TTexLibEditorForm::RowsMoved(int from, int to) {
  if (from < 0 || to < 0) return;
  if (session_.Move(size_t(from), size_t(to))) {
    ShowLibrary();
    list_->setCurrentRow(to);
  }
}

void TTexLibEditorForm::ShowLibrary() {
  list_->clear();
  const auto& records = session_.Library().Records();
  for (size_t i = 0; i < records.size(); ++i) {
    const TBitmap32 thumb = session_.Thumbnail(i);
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(WrapBitmap(thumb, true).copy())),
                                     QString("%1 (%2)").arg(i).arg(FromUtf8(records[i].Format)));
    list_->addItem(item);
  }
  UpdateState();
}

void TTexLibEditorForm::UpdateState() {
  const bool adding = session_.Adding().Running();
  for (QPushButton* b : editing_) b->setEnabled(!adding);
  setWindowTitle("Texture Library Editor - " + FromUtf8(session_.Caption()));
  if (!adding) status_->setText(QString("%1 textures").arg(session_.Count()));
}

void TTexLibEditorForm::closeEvent(QCloseEvent* e) {
  if (session_.CanClose())
    e->accept();
  else
    e->ignore();
}

}  // namespace kelvane::ui
