#pragma once
#include <QWidget>

#include "PaintSession.h"

namespace daubwell {

class MainFrame;

// The canvas window: the painting at the zoom, and the mouse that paints it.
class CanvasWidget : public QWidget {
  Q_OBJECT
public:
  CanvasWidget(PaintSession& session, MainFrame& frame, QWidget* parent);

protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;

private:
  PaintSession& session_;
  MainFrame& frame_;
};

}  // namespace daubwell
