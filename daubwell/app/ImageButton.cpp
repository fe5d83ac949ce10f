#include "ImageButton.h"

#include <QPainter>

#include "QtSupport.h"

namespace daubwell {

ImageButton::ImageButton(const QString& graphic, const QString& tooltip, QWidget* parent)
    : QAbstractButton(parent), graphic_(graphic) {
  setToolTip(tooltip);
  setFocusPolicy(Qt::NoFocus);
  const QPixmap pm = Graphics::instance().get(graphic_ + "0");
  setFixedSize(pm.isNull() ? QSize(30, 30) : pm.size());
}

QSize ImageButton::sizeHint() const { return size(); }

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const bool selected = isChecked() || isDown();
  const QPixmap pm = Graphics::instance().get(graphic_ + (selected ? "1" : "0"));
  if (!pm.isNull()) {
    p.drawPixmap(0, 0, pm);
  } else {  // without the graphics: a plain face with the tooltip's initial
    p.fillRect(rect(), selected ? QColor(240, 170, 90) : QColor(235, 228, 216));
    p.drawText(rect(), Qt::AlignCenter, toolTip().left(2));
  }
  if (!isEnabled()) p.fillRect(rect(), QColor(240, 236, 230, 150));
}

}  // namespace daubwell
