#include "PaintSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ShellRules.h"

namespace daubwell {

PaintSlider::PaintSlider(QWidget* parent) : QWidget(parent) {
  setFixedHeight(16);
  setMinimumWidth(60);
  setCursor(Qt::PointingHandCursor);
}

void PaintSlider::setValue(float v) {
  v = std::clamp(v, 0.0f, 100.0f);
  if (v == value_) return;
  value_ = v;
  update();
}

bool PaintSlider::takeDragged() {
  const bool d = dragged_;
  dragged_ = false;
  return d;
}

void PaintSlider::setFromCursor(double x) {
  value_ = sliderValueAt(x, kMargin, width() - 2 * kMargin);
  dragged_ = true;
  update();
  Q_EMIT dragged(value_);
}

void PaintSlider::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) setFromCursor(e->position().x());
}

void PaintSlider::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) setFromCursor(e->position().x());
}

void PaintSlider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double len = width() - 2 * kMargin, y = height() / 2.0;
  const bool on = isEnabled();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 188, 170));
  p.drawRoundedRect(QRectF(kMargin, y - 3, len, 6), 3, 3);
  p.setBrush(on ? QColor(214, 130, 60) : QColor(190, 180, 168));
  p.drawRoundedRect(QRectF(kMargin, y - 3, len * value_ / 100.0, 6), 3, 3);
  const QPointF knob(kMargin + len * value_ / 100.0, y);
  p.setPen(QPen(on ? QColor(120, 70, 30) : QColor(160, 150, 140), 1));
  p.setBrush(on ? QColor(255, 246, 232) : QColor(230, 226, 220));
  p.drawEllipse(knob, 6, 6);
}

}  // namespace daubwell
