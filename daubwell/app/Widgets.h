#pragma once
#include <QAbstractButton>
#include <QWidget>
#include <functional>

#include "canvas/Canvas.h"

// The small controls of the tool windows, drawn by the program itself.
namespace daubwell {

// A horizontal slider of a float value 0..100. Holding the left button on it sets the
// value from the cursor; the owner applies the change once per main-loop iteration.
class PaintSlider : public QWidget {
  Q_OBJECT
public:
  explicit PaintSlider(QWidget* parent = nullptr);
  float value() const { return value_; }
  void setValue(float v);
  // The track runs from kMargin to width - kMargin.
  static constexpr int kMargin = 6;
  // Whether the user moved it since the last call.
  bool takeDragged();

Q_SIGNALS:
  void dragged(float value);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

private:
  void setFromCursor(double x);
  float value_ = 0;
  bool dragged_ = false;
};

// A button shown by two graphics of the cache, NAME0 normally and NAME1 when selected
// or pressed.
class ImageButton : public QAbstractButton {
  Q_OBJECT
public:
  ImageButton(const QString& graphic, const QString& tooltip, QWidget* parent = nullptr);
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent*) override;

private:
  QString graphic_;
};

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

// Tiles the panel paper behind a tool window.
void paintPanel(QWidget* w, QPaintEvent* e);

}  // namespace daubwell
