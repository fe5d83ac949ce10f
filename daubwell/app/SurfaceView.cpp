#include "SurfaceView.h"

#include <QMouseEvent>
#include <QPainter>

#include "QtSupport.h"

namespace daubwell {

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

}  // namespace daubwell
