#pragma once
#include <QWidget>

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

}  // namespace daubwell
