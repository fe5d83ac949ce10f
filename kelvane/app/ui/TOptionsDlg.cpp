#include "TOptionsDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

TOptionsDlg::TOptionsDlg(QWidget* parent)
    : QDialog(parent),
      pages_(new QTabWidget(this)),
      nodeSize_(new QSpinBox(this)),
      showTexture_(new QCheckBox("Show texture when drag", this)),
      aaLevel_(new QComboBox(this)),
      autoRender_(new QCheckBox("Auto Render After Drag&&Drop", this)),
      groupByMat_(new QCheckBox("Group By Materials", this)),
      paths_(new QListWidget(this)) {
  setWindowTitle("Options");
  setObjectName("TOptionsDlg");
  nodeSize_->setRange(2, 10);

  auto* grid = new QWidget(pages_);
  auto* gl = new QFormLayout(grid);
  gl->addRow("Node Size:", nodeSize_);
  gl->addRow(showTexture_);
  pages_->addTab(grid, "Grid");

  auto* render = new QWidget(pages_);
  auto* rl = new QFormLayout(render);
  for (const TAALevel& l : kAALevels) aaLevel_->addItem(l.Text);
  rl->addRow("Anti-aliasing Level:", aaLevel_);
  rl->addRow(autoRender_);
  rl->addRow(groupByMat_);
  pages_->addTab(render, "Render");

  auto* library = new QWidget(pages_);
  auto* ll = new QVBoxLayout(library);
  ll->addWidget(new QLabel("Texture Library Paths:", library));
  ll->addWidget(paths_, 1);
  auto* add = new QPushButton("Add Path...", library);
  auto* del = new QPushButton("Delete", library);
  auto* row = new QHBoxLayout;
  row->addWidget(add);
  row->addWidget(del);
  row->addStretch();
  ll->addLayout(row);
  pages_->addTab(library, "Texture Library");
  connect(add, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, "Add Path...");
    if (folder.isEmpty() || !paths_->findItems(folder, Qt::MatchExactly).isEmpty()) return;
    paths_->addItem(folder);
  });
  connect(del, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* item = paths_->currentItem(); item && item->isSelected()) delete item;
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
  resize(420, 320);
}

void TOptionsDlg::Show(const TKVXOptions& o) {
  nodeSize_->setValue(o.NodeSize);
  showTexture_->setChecked(o.ShowTextureWhenDrag);
  aaLevel_->setCurrentIndex(o.AALevel);
  autoRender_->setChecked(o.AutoRender);
  groupByMat_->setChecked(o.GroupByMaterials);
  paths_->clear();
  for (const std::string& p : o.LibraryPaths) paths_->addItem(FromUtf8(p));
  for (int i = 0; i < pages_->count(); ++i)
    if (pages_->tabText(i) == FromUtf8(o.ActivePage)) pages_->setCurrentIndex(i);
}

void TOptionsDlg::Take(TKVXOptions& o) const {
  o.NodeSize = nodeSize_->value();
  o.ShowTextureWhenDrag = showTexture_->isChecked();
  o.AALevel = aaLevel_->currentIndex();
  o.AutoRender = autoRender_->isChecked();
  o.GroupByMaterials = groupByMat_->isChecked();
  o.LibraryPaths.clear();
  for (int i = 0; i < paths_->count(); ++i) o.LibraryPaths.push_back(ToUtf8(paths_->item(i)->text()));
  o.ActivePage = ToUtf8(pages_->tabText(pages_->currentIndex()));
}

bool TOptionsDlg::Edit(TKVXOptions& o) {
  Show(o);
  if (exec() != QDialog::Accepted) return false;
  Take(o);
  return true;
}

}  // namespace kelvane::ui
