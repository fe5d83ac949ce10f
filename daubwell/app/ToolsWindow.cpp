#include "ToolsWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "ImageButton.h"
#include "QtSupport.h"
#include "tools/ToolTable.h"

namespace daubwell {

ToolsWindow::ToolsWindow(QWidget* frame) : FloatingWindow(" Tools", frame) {
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 4, 0, 6);
  v->setSpacing(2);
  for (ToolGroup g : {ToolGroup::Brushes, ToolGroup::Tools, ToolGroup::Effects}) {
    std::vector<const ToolInfo*> members;
    for (const ToolInfo& t : tools())
      if (t.button.group == g) members.push_back(&t);
    std::sort(members.begin(), members.end(),
              [](const ToolInfo* a, const ToolInfo* b) { return a->button.place < b->button.place; });
    auto* header = new QLabel(this);
    header->setPixmap(Graphics::instance().get(toQString(kToolGroupHeaders[size_t(g)])));
    header->setAlignment(Qt::AlignCenter);
    v->addWidget(header);
    // Two to a row, left first.
    QHBoxLayout* row = nullptr;
    for (size_t i = 0; i < members.size(); ++i) {
      if (i % 2 == 0) {
        row = new QHBoxLayout;
        row->setContentsMargins(3, 0, 3, 0);
        row->setSpacing(2);
        v->addLayout(row);
      }
      auto* b = new ImageButton(toQString(members[i]->button.graphic), toQString(members[i]->caption), this);
      b->setCheckable(true);
      group_->addButton(b, int(members[i]->id));
      row->addWidget(b);
    }
  }
  setFixedWidth(68);
  connect(group_, &QButtonGroup::idClicked, this, [this](int tool) { Q_EMIT toolChosen(tool); });
}

QAbstractButton* ToolsWindow::button(int tool) const { return group_->button(tool); }

void ToolsWindow::markTool(int tool) {
  group_->setExclusive(false);
  for (QAbstractButton* b : group_->buttons()) b->setChecked(group_->id(b) == tool);
  group_->setExclusive(true);
}

}  // namespace daubwell
