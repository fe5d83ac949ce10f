#include "TForm1.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      message_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton("Cancel", this)) {
  setObjectName("TForm1");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Operation:", this));
  layout->addWidget(message_);
  auto* row = new QHBoxLayout;
  row->addWidget(bar_, 1);
  row->addWidget(cancel_);
  layout->addLayout(row);
  cancel_->hide();
  // The work sees the request between its bands of rows; the button shows it was heard.
  connect(cancel_, &QPushButton::clicked, this, [this] {
    RequestCancel();
    cancel_->setEnabled(false);
  });
  setFixedSize(340, 96);
  setStyleSheet("#TForm1 { border: 1px solid palette(dark); background: palette(window); }");
  setAttribute(Qt::WA_StyledBackground);
  bar_->setRange(0, 100);
  hideTimer_.setSingleShot(true);
  hideTimer_.setInterval(500);
  connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void TForm1::Begin(const std::string& message, int maximum) {
  hideTimer_.stop();
  message_->setText(FromUtf8(message));
  bar_->setRange(0, maximum > 0 ? maximum : 100);
  bar_->setValue(0);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  show();
  raise();
  repaint();
}

void TForm1::Message(const std::string& message) {
  message_->setText(FromUtf8(message));
  repaint();
}

void TForm1::Step() {
  if (bar_->value() < bar_->maximum()) bar_->setValue(bar_->value() + 1);
  repaint();
}

void TForm1::End() {
  hideTimer_.stop();
  OfferCancel(false);
  hide();
}

void TForm1::OfferCancel(bool offer) {
  cancel_->setEnabled(true);
  cancel_->setVisible(offer);
  repaint();
}

void TForm1::EndLater() { hideTimer_.start(); }

void TForm1::mousePressEvent(QMouseEvent*) { hide(); }

}  // namespace kelvane::ui
