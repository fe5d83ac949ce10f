#pragma once
#include <QWidget>
#include <functional>

#include "canvas/Canvas.h"

namespace daubwell {

// Shows a small canvas's lit surface unscaled; with a dab handler, dragging the left
// button inside it dabs there.
class SurfaceView : public QWidget {
  Q_OBJECT
public:
  SurfaceView(const Canvas* canvas, QWidget* parent = nullptr);
  void setCanvas(const Canvas* canvas);
  std::function<void(int x, int y)> onDab;

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

private:
  const Canvas* canvas_;
};

}  // namespace daubwell
