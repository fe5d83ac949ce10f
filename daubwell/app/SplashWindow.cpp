#include "SplashWindow.h"

#include <QPainter>

#include "QtSupport.h"

namespace daubwell {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(Graphics::instance().get("splash")) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(picture_.isNull() ? QSize(440, 270) : picture_.size());
  setFocusPolicy(Qt::StrongFocus);
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!picture_.isNull()) {
    p.drawPixmap(0, 0, picture_);
  } else {
    p.fillRect(rect(), QColor(245, 236, 220));
    QFont f("DejaVu Serif", 36, QFont::Bold);
    p.setFont(f);
    p.drawText(rect(), Qt::AlignCenter, "Daubwell");
  }
}

}  // namespace daubwell
