#include "TTexLibToolForm.h"

#include <QApplication>
#include <QDrag>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "QtBitmap.h"
#include "app/SessionLibrary.h"
#include "texlib/TexLibRoots.h"
#include "texlib/Thumbnail.h"

namespace kelvane::ui {

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

// Thumbnails drag as library textures.
class TThumbnailList final : public QListWidget {
public:
  TThumbnailList(const TTexLibToolForm& form, QWidget* parent) : QListWidget(parent), form_(form) {}

protected:
  QStringList mimeTypes() const override { return {kLibraryTextureMime}; }
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override {
    if (items.isEmpty()) return nullptr;
    auto ref = form_.ReferenceOf(row(items.front()));
    return ref ? LibraryTextureMime(*ref) : nullptr;
  }

private:
  const TTexLibToolForm& form_;
};

QIcon NodeIcon(TTexLibNodeKind kind) {
  // Normal and selected icons per kind, as the tree tells the kinds apart.
  static const QStyle::StandardPixmap kIcons[3][2] = {
      {QStyle::SP_DirClosedIcon, QStyle::SP_DirOpenIcon},
      {QStyle::SP_FileDialogContentsView, QStyle::SP_FileDialogDetailedView},
      {QStyle::SP_FileDialogListView, QStyle::SP_FileIcon},
  };
  QStyle* st = QApplication::style();
  QIcon icon = st->standardIcon(kIcons[int(kind)][0]);
  icon.addPixmap(st->standardIcon(kIcons[int(kind)][1]).pixmap(16), QIcon::Selected);
  return icon;
}

}  // namespace

QMimeData* LibraryTextureMime(const TLibraryTextureRef& ref) {
  auto* mime = new QMimeData;
  const QStringList fields = {ref.FromLibrary ? "1" : "0", QString::number(ref.Index), FromUtf8(ref.LibraryName),
                              FromUtf8(ref.TexturePath)};
  mime->setData(kLibraryTextureMime, fields.join('\n').toUtf8());
  return mime;
}

std::optional<TLibraryTextureRef> LibraryTextureFromMime(const QMimeData* mime) {
  if (!mime || !mime->hasFormat(kLibraryTextureMime)) return std::nullopt;
  const QStringList fields = QString::fromUtf8(mime->data(kLibraryTextureMime)).split('\n');
  if (fields.size() != 4) return std::nullopt;
  bool ok = false;
  TLibraryTextureRef ref;
  ref.FromLibrary = fields[0] == "1";
  ref.Index = fields[1].toInt(&ok);
  ref.LibraryName = ToUtf8(fields[2]);
  ref.TexturePath = ToUtf8(fields[3]);
  return ok ? std::optional(ref) : std::nullopt;
}

TTexLibToolForm::TTexLibToolForm(std::function<TMainSession&()> main, QWidget* parent)
    : QWidget(parent, Qt::Tool), main_(std::move(main)), thumbnailer_(0) {
  setObjectName("TTexLibToolForm");
  setWindowTitle("Texture Library");
  ChooseFolder = [this] { return QFileDialog::getExistingDirectory(this, "Add Library Path..."); };

  auto* bar = new QHBoxLayout;
  auto* add = new QPushButton("Add Library Path...", this);
  auto* refresh = new QPushButton("Refresh", this);
  refresh->setToolTip("Refresh (F5)");
  bar->addWidget(add);
  bar->addWidget(refresh);
  bar->addStretch(1);
  connect(add, &QPushButton::clicked, this, &TTexLibToolForm::AddLibraryPath);
  connect(refresh, &QPushButton::clicked, this, &TTexLibToolForm::Refresh);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName("LibraryTree");
  tree_->setHeaderHidden(true);
  tree_->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* addPath = new QAction("Add Library Path...", tree_);
  auto* refreshAction = new QAction("Refresh", tree_);
  refreshAction->setShortcut(QKeySequence(Qt::Key_F5));
  refreshAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  tree_->addAction(addPath);
  tree_->addAction(refreshAction);
  connect(addPath, &QAction::triggered, this, &TTexLibToolForm::AddLibraryPath);
  connect(refreshAction, &QAction::triggered, this, &TTexLibToolForm::Refresh);
  addAction(refreshAction);  // F5 anywhere in the window
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { Poll(); });

  thumbnails_ = new TThumbnailList(*this, this);
  thumbnails_->setObjectName("Thumbnails");
  thumbnails_->setViewMode(QListView::IconMode);
  thumbnails_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  thumbnails_->setGridSize(QSize(kThumbnailSide + 16, kThumbnailSide + 28));
  thumbnails_->setResizeMode(QListView::Adjust);
  thumbnails_->setMovement(QListView::Static);
  thumbnails_->setUniformItemSizes(true);
  thumbnails_->setWordWrap(false);
  thumbnails_->setDragEnabled(true);
  thumbnails_->setDragDropMode(QAbstractItemView::DragOnly);
  thumbnails_->setDefaultDropAction(Qt::CopyAction);
  thumbnails_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(thumbnails_, &QListWidget::itemClicked, this, &TTexLibToolForm::Clicked);
  connect(thumbnails_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) Clicked(item);
  });
  connect(thumbnails_, &QListWidget::itemDoubleClicked, this, &TTexLibToolForm::DoubleClicked);

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(tree_);
  split->addWidget(thumbnails_);
  split->setStretchFactor(1, 1);
  split->setSizes({220, 420});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(bar);
  layout->addWidget(split, 1);
  resize(660, 420);

  thumbnailer_.SetOnReady([this] { QMetaObject::invokeMethod(this, [this] { TakeThumbnails(); }, Qt::QueuedConnection); });
  poll_.setInterval(500);
  connect(&poll_, &QTimer::timeout, this, &TTexLibToolForm::Poll);
  poll_.start();
  Refresh();
}

TTexLibToolForm::~TTexLibToolForm() { thumbnailer_.Cancel(); }

void TTexLibToolForm::Refresh() {
  thumbnailer_.Cancel();
  current_ = nullptr;
  thumbnails_->clear();
  tree_->clear();
  model_.Build(LibraryRoots());
  for (const auto& root : model_.Roots()) {
    auto* item = ItemFor(*root);
    tree_->addTopLevelItem(item);
    AddChildren(item, *root);
    item->setExpanded(true);
  }
}

QTreeWidgetItem* TTexLibToolForm::ItemFor(TTexLibNode& node) {
  auto* item = new QTreeWidgetItem({FromUtf8(node.Text)});
  item->setIcon(0, NodeIcon(node.Kind));
  item->setToolTip(0, FromUtf8(node.Path));
  item->setData(0, kNodeRole, QVariant::fromValue(quintptr(&node)));
  return item;
}

void TTexLibToolForm::AddChildren(QTreeWidgetItem* parent, TTexLibNode& node) {
  for (const auto& child : node.Children) {
    auto* item = ItemFor(*child);
    parent->addChild(item);
    AddChildren(item, *child);
  }
}

void TTexLibToolForm::AddLibraryPath() {
  const QString folder = ChooseFolder ? ChooseFolder() : QString();
  if (folder.isEmpty()) return;
  if (!main_().Options.AddLibraryPath(ToUtf8(folder))) return;  // listed already: nothing changes
  SetLibraryPaths(main_().Options.LibraryPaths);
  main_().SaveSettings();
  Refresh();
}

void TTexLibToolForm::Poll() {
  QTreeWidgetItem* item = tree_->currentItem();
  auto* node = item ? reinterpret_cast<TTexLibNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
  if (!node || node == current_) return;
  // A folder below the first level is listed when it is first selected.
  if (node->Kind == TTexLibNodeKind::Folder && TTexLibTree::FillIfEmpty(*node)) AddChildren(item, *node);
  current_ = node;
  thumbnails_->clear();
  thumbnailer_.Show(*node);
  TakeThumbnails();
}

void TTexLibToolForm::TakeThumbnails() {
  for (TThumbnailItem& t : thumbnailer_.Take()) {
    const QImage image = WrapBitmap(t.Image, true).copy();
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(image)), FromUtf8(t.Caption));
    if (current_ && current_->Kind == TTexLibNodeKind::List) {
      item->setToolTip(item->text());
      item->setText(QFileInfo(item->text()).fileName());
    }
    item->setData(Qt::UserRole, FromUtf8(t.Caption));
    thumbnails_->addItem(item);
  }
  if (auto error = thumbnailer_.TakeError(); error && main_().Services().Messages)
    main_().Services().Messages->Show(*error);
}

std::optional<TLibraryTextureRef> TTexLibToolForm::ReferenceOf(int row) const {
  QListWidgetItem* item = thumbnails_->item(row);
  if (!current_ || !item) return std::nullopt;
  return ReferenceFor(*current_, ToUtf8(item->data(Qt::UserRole).toString()), row);
}

void TTexLibToolForm::Clicked(QListWidgetItem* item) {
  TKVXEditSession* doc = main_().Active();
  auto ref = ReferenceOf(thumbnails_->row(item));
  if (doc && ref) ChooseLibraryTexture(*doc, *ref);
}

void TTexLibToolForm::DoubleClicked(QListWidgetItem* item) {
  TKVXEditSession* doc = main_().Active();
  auto ref = ReferenceOf(thumbnails_->row(item));
  if (!doc || !ref) return;
  ApplyLibraryTexture(*doc, *ref);
  Q_EMIT Applied();
}

}  // namespace kelvane::ui
