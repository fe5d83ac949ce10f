#include "TImgView32.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "Cursors.h"
#include "QtBitmap.h"
#include "TTexLibToolForm.h"
#include "app/SessionLibrary.h"

namespace kelvane::ui {

bool AllOpaque(const TBitmap32& b) {
  const TColor32* p = b.Bits();
  const size_t n = size_t(b.Width()) * b.Height();
  TColor32 all = 0xFF000000u;
  for (size_t i = 0; i < n; ++i) all &= p[i];
  return all == 0xFF000000u;
}

namespace {

// The visible part of an image-sized bitmap, drawn at the view's scale and offset.
void DrawVisible(QPainter& p, const TViewState& v, const TBitmap32& b, bool opaque) {
  if (b.Empty()) return;
  const TRect src = v.VisibleImageRect();
  if (src.Empty()) return;
  const QImage image = WrapBitmap(b, opaque);
  const TPointD a = v.BitmapToView(src.Left, src.Top), z = v.BitmapToView(src.Right, src.Bottom);
  p.drawImage(QRectF(a.X, a.Y, z.X - a.X, z.Y - a.Y), image, QRectF(src.Left, src.Top, src.Width(), src.Height()));
}

QPointF ToView(const TViewState& v, TPoint q) {
  const TPointD d = v.BitmapToView(q.x + 0.5, q.y + 0.5);
  return {d.X, d.Y};
}

// The object layer's overlay in grid mode: it covers the visible part of the image.
void DrawGridOverlay(QPainter& p, TKVXEditSession& s) {
  const TBitmap32& overlay = s.Layer.Overlay.Bitmap;
  if (overlay.Empty()) return;
  const TRect& r = s.Layer.OverlayRect;
  p.setOpacity(TKVXLayer::kOverlayAlpha / 255.0);
  p.drawImage(QPoint(r.Left, r.Top), WrapBitmap(overlay, false));
  p.setOpacity(1);
}

// The included pictures over the image, and in their mode the rubber band of the
// selected one with its eight handles.
void DrawIncluded(QPainter& p, TKVXEditSession& s) {
  if (s.Doc.Included.Count() > 0 && s.Included.Bitmap.Width() == s.Doc.Base.Width() &&
      s.Included.Bitmap.Height() == s.Doc.Base.Height())
    DrawVisible(p, s.View, s.Included.Bitmap, false);
  if (s.Mode() != TWindowMode::Included) return;
  const std::optional<TRect> band = s.Included.BandRect();
  if (!band) return;
  const TPointD a = s.View.BitmapToView(band->Left, band->Top), b = s.View.BitmapToView(band->Right, band->Bottom);
  const QRectF r(QPointF(a.X, a.Y), QPointF(b.X, b.Y));
  p.save();
  p.setPen(QPen(Qt::white, 1, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  const QPointF c = r.center();
  for (QPointF h : {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft(), QPointF(c.x(), r.top()),
                    QPointF(r.right(), c.y()), QPointF(c.x(), r.bottom()), QPointF(r.left(), c.y())})
    p.drawRect(QRectF(h.x() - 3, h.y() - 3, 6, 6));
  p.restore();
}

// What a selection gesture shows while it is made, drawn inverted.
void DrawFeedback(QPainter& p, TKVXEditSession& s) {
  const TSelectionState& sel = s.Selection();
  const TViewState& v = s.View;
  p.save();
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::NoBrush);
  if (sel.BandActive) {
    const TRect r = s.MarqueeRect();
    const TPointD a = v.BitmapToView(r.Left, r.Top), b = v.BitmapToView(r.Right, r.Bottom);
    const QRectF q(QPointF(a.X, a.Y), QPointF(b.X, b.Y));
    if (sel.Tool == TSelectionTool::stEllipse)
      p.drawEllipse(q);
    else
      p.drawRect(q);
  } else if (!sel.Vertices.empty() &&
             (sel.Tool == TSelectionTool::stPolygon || sel.Tool == TSelectionTool::stLasso)) {
    QPainterPath path(ToView(v, sel.Vertices.front()));
    for (size_t i = 1; i < sel.Vertices.size(); ++i) path.lineTo(ToView(v, sel.Vertices[i]));
    if (sel.Tool == TSelectionTool::stPolygon) path.lineTo(ToView(v, sel.Pointer));
    p.drawPath(path);
  }
  const TRect z = s.ZoomRectangle();
  if (z.Width() != 0 || z.Height() != 0) {
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.drawRect(QRect(QPoint(z.Left, z.Top), QPoint(z.Right, z.Bottom)).normalized());
  }
  p.restore();
}

}  // namespace

void PaintDocumentView(QPainter& p, TKVXEditSession& s, bool resultOpaque) {
  const TViewState& v = s.View;
  p.fillRect(QRect(0, 0, v.ViewWidth(), v.ViewHeight()), QColor(128, 128, 128));
  // The result layer covers the base image; where it is opaque the base cannot show.
  if (!resultOpaque) DrawVisible(p, v, s.Doc.Base, true);
  DrawVisible(p, v, s.Doc.Result, resultOpaque);
  DrawIncluded(p, s);
  if (s.SelectionLayerVisible() && !s.HideSelection() && !s.SelectionLayer().Empty())
    p.drawImage(QPointF(-1, -1), WrapBitmap(s.SelectionLayer(), false));
  if (s.Mode() == TWindowMode::Grid) DrawGridOverlay(p, s);
  DrawFeedback(p, s);
}

TImgView32::TImgView32(TKVXEditSession& session, QWidget* parent) : QAbstractScrollArea(parent), session_(session) {
  setObjectName("TImgView32");
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  autoScroll_.setInterval(20);
  connect(&autoScroll_, &QTimer::timeout, this, &TImgView32::AutoScroll);
  autoScroll_.start();
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
}

void TImgView32::ImagesChanged() {
  resultOpaque_ = AllOpaque(session_.Doc.Result) && session_.Doc.Result.Width() == session_.Doc.Base.Width() &&
                  session_.Doc.Result.Height() == session_.Doc.Base.Height();
  ViewChanged();
}

void TImgView32::ViewChanged() {
  SyncScrollBars();
  UpdateCursor();
  viewport()->update();
}

void TImgView32::SyncScrollBars() {
  const TViewState& v = session_.View;
  syncing_ = true;
  const int w = int(std::ceil(v.ImageWidth() * v.Scale())), h = int(std::ceil(v.ImageHeight() * v.Scale()));
  horizontalScrollBar()->setRange(0, std::max(0, w - v.ViewWidth()));
  horizontalScrollBar()->setPageStep(v.ViewWidth());
  horizontalScrollBar()->setValue(int(std::lround(-std::min(0.0, v.OffsetX()))));
  verticalScrollBar()->setRange(0, std::max(0, h - v.ViewHeight()));
  verticalScrollBar()->setPageStep(v.ViewHeight());
  verticalScrollBar()->setValue(int(std::lround(-std::min(0.0, v.OffsetY()))));
  syncing_ = false;
}

void TImgView32::scrollContentsBy(int dx, int dy) {
  if (syncing_) return;
  session_.ScrollBy(-dx, -dy);
}

void TImgView32::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  PaintDocumentView(p, session_, resultOpaque_);
}

void TImgView32::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  session_.SetViewSize(viewport()->width(), viewport()->height());
}

TMouse TImgView32::ToMouse(const QMouseEvent* e) const {
  TMouse m;
  m.X = e->position().x();
  m.Y = e->position().y();
  m.Button = e->button() == Qt::RightButton    ? TMouseButton::Right
             : e->button() == Qt::MiddleButton ? TMouseButton::Middle
                                               : TMouseButton::Left;
  m.LeftHeld = e->buttons() & Qt::LeftButton;
  m.RightHeld = e->buttons() & Qt::RightButton;
  m.Shift = e->modifiers() & Qt::ShiftModifier;
  m.Ctrl = e->modifiers() & Qt::ControlModifier;
  m.Alt = e->modifiers() & Qt::AltModifier;
  return m;
}

void TImgView32::mousePressEvent(QMouseEvent* e) {
  setFocus();
  session_.MouseDown(ToMouse(e));
}
void TImgView32::mouseMoveEvent(QMouseEvent* e) {
  session_.MouseMove(ToMouse(e));
  if (session_.Mode() == TWindowMode::Grid) UpdateCursor();
}
void TImgView32::mouseReleaseEvent(QMouseEvent* e) { session_.MouseUp(ToMouse(e)); }
void TImgView32::mouseDoubleClickEvent(QMouseEvent* e) { session_.DoubleClick(ToMouse(e)); }

void TImgView32::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 120;
  if (steps == 0) return;
  session_.Wheel(steps, e->position().x(), e->position().y());
  e->accept();
}

void TImgView32::keyPressEvent(QKeyEvent* e) {
  const Qt::KeyboardModifiers m = e->modifiers();
  session_.KeyDown(m & Qt::ShiftModifier, m & Qt::AltModifier, e->key() == Qt::Key_Delete);
  UpdateCursor();
  QAbstractScrollArea::keyPressEvent(e);
}

void TImgView32::keyReleaseEvent(QKeyEvent* e) {
  session_.KeyUp();
  const Qt::KeyboardModifiers m = e->modifiers();
  // Releasing one modifier while another stays keeps that one's mode.
  if (m & (Qt::ShiftModifier | Qt::AltModifier)) session_.KeyDown(m & Qt::ShiftModifier, m & Qt::AltModifier, false);
  UpdateCursor();
  QAbstractScrollArea::keyReleaseEvent(e);
}

void TImgView32::AutoScroll() {
  const TSelectionState& sel = session_.Selection();
  const bool gesture = session_.Mode() == TWindowMode::Selection &&
                       (sel.BandActive || ((sel.Tool == TSelectionTool::stPolygon ||
                                            sel.Tool == TSelectionTool::stLasso) && !sel.Vertices.empty()));
  if (!gesture) return;
  const QPoint c = viewport()->mapFromGlobal(QCursor::pos());
  const int w = viewport()->width(), h = viewport()->height();
  double dx = 0, dy = 0;
  if (c.x() < 5) dx = c.x() - 6;
  if (c.y() < 5) dy = c.y() - 6;
  if (c.x() > w) dx = c.x() - w;
  if (c.y() > h) dy = c.y() - h;
  if (dx != 0 || dy != 0) session_.ScrollBy(dx, dy);
}

void TImgView32::UpdateCursor() {
  const int number = session_.CursorNumber();
  if (number == cursorNumber_) return;
  cursorNumber_ = number;
  viewport()->setCursor(ProgramCursor(number));
}

// Textures dragged from the library window, and picture files dropped in the
// included-objects mode, which become included pictures.
bool TImgView32::AcceptsDrop(const QMimeData* data) const {
  return data->hasFormat(kLibraryTextureMime) || (session_.Mode() == TWindowMode::Included && data->hasUrls());
}

void TImgView32::dragEnterEvent(QDragEnterEvent* e) {
  if (AcceptsDrop(e->mimeData()))
    e->acceptProposedAction();
  else
    e->ignore();
}

void TImgView32::dragMoveEvent(QDragMoveEvent* e) {
  if (AcceptsDrop(e->mimeData()))
    e->acceptProposedAction();
  else
    e->ignore();
}

void TImgView32::dropEvent(QDropEvent* e) {
  if (auto ref = LibraryTextureFromMime(e->mimeData())) {
    // A copy: the thumbnail stays in the library window.
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (DropLibraryTexture(session_, *ref, e->position().x(), e->position().y())) Q_EMIT TextureDropped();
    return;
  }
  if (!AcceptsDrop(e->mimeData())) {
    e->ignore();
    return;
  }
  // The viewport's events arrive here with its positions.
  TPointD b = session_.View.ViewToBitmap(e->position().x(), e->position().y());
  for (const QUrl& url : e->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    session_.PlaceIncludedPicture(ToUtf8(url.toLocalFile()), b.X, b.Y);
    b.X += 16;
    b.Y += 16;
  }
  e->acceptProposedAction();
}

}  // namespace kelvane::ui
