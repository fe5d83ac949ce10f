#include "TImgSizeForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "filters/Adjust.h"

namespace kelvane::ui {

TImgSizeForm::TImgSizeForm(QWidget* parent)
    : QDialog(parent),
      width_(new QSpinBox(this)),
      height_(new QSpinBox(this)),
      constrain_(new QCheckBox("Constrain Proportions", this)),
      filter_(new QComboBox(this)) {
  setWindowTitle("Image Size");
  for (QSpinBox* s : {width_, height_}) {
    s->setRange(1, TBitmap32::kMaxSide);
    s->setSuffix(" px");
  }
  auto* group = new QGroupBox("Pixel Demensions", this);
  auto* form = new QFormLayout(group);
  form->addRow("Height:", height_);
  form->addRow("Width:", width_);
  constrain_->setChecked(true);
  filter_->addItems({"Nearest", "Linear"});
  filter_->setCurrentIndex(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* l = new QVBoxLayout(this);
  l->addWidget(group);
  l->addWidget(constrain_);
  auto* f = new QFormLayout;
  f->addRow("Resample image:", filter_);
  l->addLayout(f);
  l->addWidget(buttons);
  // Only the field with the focus drives the other.
  connect(width_, &QSpinBox::valueChanged, this, [this](int w) {
    if (constrain_->isChecked() && width_->hasFocus()) height_->setValue(ConstrainedSide(w, docWidth_, docHeight_));
  });
  connect(height_, &QSpinBox::valueChanged, this, [this](int h) {
    if (constrain_->isChecked() && height_->hasFocus()) width_->setValue(ConstrainedSide(h, docHeight_, docWidth_));
  });
}

std::optional<TImageSizeAnswer> TImgSizeForm::Ask(int width, int height) {
  docWidth_ = std::max(1, width);
  docHeight_ = std::max(1, height);
  width_->setValue(width);
  height_->setValue(height);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return TImageSizeAnswer{width_->value(), height_->value(),
                          filter_->currentIndex() == 0 ? TStretchFilter::sfNearest : TStretchFilter::sfLinear};
}

}  // namespace kelvane::ui
