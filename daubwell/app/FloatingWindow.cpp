#include "FloatingWindow.h"

#include "PanelPaper.h"

namespace daubwell {

// Owned by the frame (transient for it) and kept above it: a window manager that stacks
// a maximised, active frame over its transients would otherwise bury them.
FloatingWindow::FloatingWindow(const QString& title, QWidget* frame)
    : QWidget(frame, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setWindowTitle(title);
}

void FloatingWindow::paintEvent(QPaintEvent* e) { paintPanel(this, e); }

void FloatingWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  Q_EMIT shownChanged(true);
}

void FloatingWindow::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  Q_EMIT shownChanged(false);
}

}  // namespace daubwell
