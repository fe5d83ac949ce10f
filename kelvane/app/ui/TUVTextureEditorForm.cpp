#include "TUVTextureEditorForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

TUVTextureEditorForm::TUVTextureEditorForm(TKVXEditSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setObjectName("TUVTextureEditorForm");
  setWindowTitle(FromUtf8(kUVEditorCaption));
  setAttribute(Qt::WA_DeleteOnClose);
  resize(720, 640);
  auto* bar = new QHBoxLayout;
  bar->setSpacing(2);
  int i = 0;
  for (const TUVButton& b : kUVButtons) {
    auto* button = new QToolButton(this);
    button->setText(FromUtf8(b.Hint));
    button->setToolTip(FromUtf8(b.Hint));
    button->setCheckable(b.Command == TUVCommand::SetTool);
    connect(button, &QToolButton::clicked, this, [this, i] {
      session_.UVButton(kUVButtons[size_t(i)]);
      Refresh();
    });
    bar->addWidget(button);
    buttons_ << button;
    ++i;
  }
  bar->addStretch(1);
  canvas_ = new QWidget(this);
  canvas_->setObjectName("UVCanvas");
  canvas_->setMouseTracking(true);
  canvas_->setAttribute(Qt::WA_OpaquePaintEvent);
  canvas_->setMinimumSize(200, 200);
  canvas_->installEventFilter(this);
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(2, 2, 2, 2);
  l->addLayout(bar);
  l->addWidget(canvas_, 1);
  Refresh();
}

TUVTextureEditorForm::~TUVTextureEditorForm() { session_.CloseUVEditor(); }

void TUVTextureEditorForm::closeEvent(QCloseEvent* e) {
  session_.CloseUVEditor();
  e->accept();
}

void TUVTextureEditorForm::Place() {
  TuveditorLayer* uv = session_.UVEditor();
  if (!uv) return;
  const int w = canvas_->width(), h = canvas_->height();
  const int tw = uv->Texture.Width(), th = uv->Texture.Height();
  const double zoom = TuveditorLayer::FitZoom(w, h, tw, th);
  uv->UpdateViewMapping({(w - tw * zoom) / 2, (h - th * zoom) / 2, zoom, w, h});
  placedWidth_ = tw;
  placedHeight_ = th;
}

void TUVTextureEditorForm::Refresh() {
  TuveditorLayer* uv = session_.UVEditor();
  if (!uv) {
    close();
    return;
  }
  // A tiled or newly opened texture has another size: the view fits it again.
  if (uv->Texture.Width() != placedWidth_ || uv->Texture.Height() != placedHeight_ ||
      uv->Overlay.Bitmap.Width() != canvas_->width() || uv->Overlay.Bitmap.Height() != canvas_->height())
    Place();
  for (int i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->isCheckable()) buttons_[i]->setChecked(kUVButtons[size_t(i)].Tool == uv->Tool);
  canvas_->update();
}

QPointF TUVTextureEditorForm::ToTexture(QPointF v) const {
  const TuveditorLayer* uv = session_.UVEditor();
  if (!uv) return {};
  return {(v.x() - uv->Left) / uv->Zoom, (v.y() - uv->Top) / uv->Zoom};
}

void TUVTextureEditorForm::Paint() {
  QPainter p(canvas_);
  p.fillRect(canvas_->rect(), QColor(128, 128, 128));
  const TuveditorLayer* uv = session_.UVEditor();
  if (!uv || uv->Texture.Empty()) return;
  const QImage texture = WrapBitmap(uv->Texture, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, uv->Zoom < 1);
  p.drawImage(QRectF(uv->Left, uv->Top, uv->Texture.Width() * uv->Zoom, uv->Texture.Height() * uv->Zoom), texture);
  if (!uv->Overlay.Bitmap.Empty()) p.drawImage(QPoint(0, 0), WrapBitmap(uv->Overlay.Bitmap, false));
}

bool TUVTextureEditorForm::eventFilter(QObject* watched, QEvent* e) {
  if (watched != canvas_) return QWidget::eventFilter(watched, e);
  switch (e->type()) {
    case QEvent::Paint: Paint(); return true;
    case QEvent::Resize: Refresh(); return false;
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(e);
      const QPointF t = ToTexture(m->position());
      TGridMouse g;
      g.Shift = m->modifiers() & Qt::ShiftModifier;
      g.Alt = m->modifiers() & Qt::AltModifier;
      g.Left = m->button() == Qt::LeftButton;
      g.Right = m->button() == Qt::RightButton;
      session_.UVMouseDown(t.x(), t.y(), g);
      canvas_->update();
      return true;
    }
    case QEvent::MouseMove: {
      const QPointF t = ToTexture(static_cast<QMouseEvent*>(e)->position());
      session_.UVMouseMove(t.x(), t.y());
      canvas_->update();
      return true;
    }
    case QEvent::MouseButtonRelease:
      session_.UVMouseUp();
      canvas_->update();
      return true;
    default: return QWidget::eventFilter(watched, e);
  }
}

}  // namespace kelvane::ui
