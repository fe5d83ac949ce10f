#include "TRealTrackEdit.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <cmath>

namespace kelvane::ui {

namespace {
constexpr int kSteps = 1000;
}

TRealTrackEdit::TRealTrackEdit(const QString& caption, double minimum, double maximum, double value, int decimals,
                               QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), caption_(new QLabel(caption, this)),
      slider_(new QSlider(Qt::Horizontal, this)), spin_(new QDoubleSpinBox(this)) {
  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  caption_->setMinimumWidth(60);
  l->addWidget(caption_);
  l->addWidget(slider_, 1);
  l->addWidget(spin_);
  caption_->setBuddy(spin_);
  slider_->setRange(0, kSteps);
  slider_->setMinimumWidth(100);
  spin_->setRange(minimum, maximum);
  spin_->setDecimals(decimals);
  spin_->setSingleStep((maximum - minimum) / 100);
  spin_->setKeyboardTracking(false);
  SetValue(value);
  connect(slider_, &QSlider::valueChanged, this, [this](int s) {
    const double v = minimum_ + (maximum_ - minimum_) * s / kSteps;
    const QSignalBlocker b(spin_);
    spin_->setValue(v);
    Q_EMIT ValueChanged(spin_->value());
  });
  connect(spin_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
    const QSignalBlocker b(slider_);
    slider_->setValue(ToSlider(v));
    Q_EMIT ValueChanged(v);
  });
}

int TRealTrackEdit::ToSlider(double v) const {
  return maximum_ > minimum_ ? int(std::lround((v - minimum_) / (maximum_ - minimum_) * kSteps)) : 0;
}

void TRealTrackEdit::SetValue(double v) {
  const QSignalBlocker a(slider_), b(spin_);
  spin_->setValue(v);
  slider_->setValue(ToSlider(spin_->value()));
}

}  // namespace kelvane::ui
