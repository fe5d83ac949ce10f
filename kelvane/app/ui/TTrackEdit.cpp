#include "TTrackEdit.h"

#include <QHBoxLayout>
#include <QSignalBlocker>

namespace kelvane::ui {

TTrackEdit::TTrackEdit(const QString& caption, int minimum, int maximum, int value, QWidget* parent)
    : QWidget(parent), caption_(new QLabel(caption, this)), slider_(new QSlider(Qt::Horizontal, this)),
      spin_(new QSpinBox(this)) {
  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->addWidget(caption_);
  l->addWidget(slider_, 1);
  l->addWidget(spin_);
  caption_->setBuddy(spin_);
  slider_->setRange(minimum, maximum);
  spin_->setRange(minimum, maximum);
  slider_->setMinimumWidth(60);
  slider_->setMaximumWidth(140);
  SetValue(value);
  connect(slider_, &QSlider::valueChanged, this, [this](int v) {
    const QSignalBlocker b(spin_);
    spin_->setValue(v);
    Q_EMIT ValueChanged(v);
  });
  connect(spin_, &QSpinBox::valueChanged, this, [this](int v) {
    const QSignalBlocker b(slider_);
    slider_->setValue(v);
    Q_EMIT ValueChanged(v);
  });
}

void TTrackEdit::SetValue(int v) {
  const QSignalBlocker a(slider_), b(spin_);
  slider_->setValue(v);
  spin_->setValue(v);
}

}  // namespace kelvane::ui
