#include "PatternGrid.h"

#include <QMouseEvent>
#include <QPainter>

#include "QtSupport.h"
#include "ShellRules.h"

namespace daubwell {

namespace {

// A pattern image shrunk to a thumbnail; a missing image shows black.
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

}  // namespace daubwell
