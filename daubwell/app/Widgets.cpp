#include "Widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "QtSupport.h"
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

SurfaceView::SurfaceView(const Canvas* canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
  if (canvas_) setFixedSize(int(canvas_->width), int(canvas_->height));
}

void SurfaceView::setCanvas(const Canvas* canvas) {
  canvas_ = canvas;
  if (canvas_) setFixedSize(int(canvas_->width), int(canvas_->height));
  update();
}

void SurfaceView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (canvas_) p.drawImage(0, 0, surfaceImage(canvas_->surface));
  p.setPen(QColor(150, 130, 110));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SurfaceView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && onDab) onDab(int(e->position().x()), int(e->position().y()));
}

void SurfaceView::mouseMoveEvent(QMouseEvent* e) {
  if ((e->buttons() & Qt::LeftButton) && onDab) onDab(int(e->position().x()), int(e->position().y()));
}

void paintPanel(QWidget* w, QPaintEvent*) {
  QPainter p(w);
  const QPixmap paper = Graphics::instance().get("panel");
  if (paper.isNull())
    p.fillRect(w->rect(), QColor(238, 232, 221));
  else
    p.drawTiledPixmap(w->rect(), paper);
}

}  // namespace daubwell
