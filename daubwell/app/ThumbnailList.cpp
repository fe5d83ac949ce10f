#include "ThumbnailList.h"

#include <QMouseEvent>
#include <QPainter>

namespace daubwell {

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

}  // namespace daubwell
