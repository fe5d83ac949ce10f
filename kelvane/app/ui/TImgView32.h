#pragma once
#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

class QMimeData;

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// Draws what the view shows of a document into `p`, which covers the view: the base
// image, the result layer, the ants, the grid overlay and the rubber bands, only the
// visible part of each and straight from the bitmaps' memory.
void PaintDocumentView(QPainter& p, TKVXEditSession& session, bool resultOpaque);
// Whether every pixel of the bitmap is opaque (the result layer then hides the base).
bool AllOpaque(const TBitmap32& b);

// The image view: a scrollable, zoomable view of the document with its layers. Mouse,
// wheel and keys go to the session, converted by the session's view state.
class TImgView32 final : public QAbstractScrollArea {
  Q_OBJECT
public:
  explicit TImgView32(TKVXEditSession& session, QWidget* parent = nullptr);

Q_SIGNALS:
  // A library texture was dropped on the view.
  void TextureDropped();

public:

  // After the images changed (their memory may have moved).
  void ImagesChanged();
  // After the scale or the scroll position changed.
  void ViewChanged();

protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

private:
  bool AcceptsDrop(const QMimeData* data) const;
  TMouse ToMouse(const QMouseEvent* e) const;
  void SyncScrollBars();
  void AutoScroll();
  void UpdateCursor();

  TKVXEditSession& session_;
  bool resultOpaque_ = true;
  bool syncing_ = false;
  int cursorNumber_ = -1;
  QTimer autoScroll_;
};

}  // namespace kelvane::ui
