#include "CanvasWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include "MainFrame.h"
#include "QtSupport.h"
#include "canvas/CanvasView.h"

namespace daubwell {

CanvasWidget::CanvasWidget(PaintSession& session, MainFrame& frame, QWidget* parent)
    : QWidget(parent), session_(session), frame_(frame) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

// Opaque painting: every pixel of the update rectangle is drawn, so a zoomed canvas that
// is dragged or scrolled by less than one canvas pixel leaves nothing stale behind.
void CanvasWidget::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const Canvas& c = session_.doc.canvas;
  const QImage view = surfaceView(c.surface);
  if (view.isNull()) {
    p.fillRect(e->rect(), Qt::white);
    return;
  }
  const QRect u = e->rect();
  const ZoomCopy copy =
      zoomCover({u.left(), u.top(), u.right() + 1, u.bottom() + 1}, session_.doc.zoom, c.width, c.height);
  const IntRect& s = copy.source;
  const IntRect& t = copy.target;
  if (s.width() <= 0 || s.height() <= 0) return;
  // The surface is stored bottom-up: draw its rows flipped, as a plain stretch.
  p.save();
  p.translate(t.left, t.top + t.height());
  p.scale(double(t.width()) / s.width(), -double(t.height()) / s.height());
  p.drawImage(QPointF(0, 0), view, QRect(s.left, int(c.height) - s.top - s.height(), s.width(), s.height()));
  p.restore();
}

void CanvasWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) frame_.canvasPress(int(e->position().x()), int(e->position().y()));
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  frame_.canvasMove(p.x(), p.y(), rect().contains(p));
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) frame_.canvasRelease();
}

void CanvasWidget::leaveEvent(QEvent*) { frame_.canvasRelease(); }

}  // namespace daubwell
