#pragma once
#include <QPixmap>
#include <QWidget>

namespace daubwell {

// The splash picture, as the start-up screen and as the About box: it goes on a click,
// a key or when it loses the focus.
class SplashWindow : public QWidget {
  Q_OBJECT
public:
  explicit SplashWindow(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override { close(); }
  void keyPressEvent(QKeyEvent*) override { close(); }
  void focusOutEvent(QFocusEvent*) override { close(); }

private:
  QPixmap picture_;
};

}  // namespace daubwell
