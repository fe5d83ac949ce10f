#include "TFeaterForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kelvane::ui {

TFeaterForm::TFeaterForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TFeaterForm");
  setWindowTitle("Feater Selection");
  auto* l = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* caption = new QLabel("Feather Radius:", this);
  radius_ = new QSpinBox(this);
  radius_->setRange(1, 100);
  radius_->setValue(1);
  caption->setBuddy(radius_);
  row->addWidget(caption);
  row->addWidget(radius_);
  row->addWidget(new QLabel("pixels", this));
  l->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  l->addWidget(buttons);
}

std::optional<int> TFeaterForm::Ask() {
  radius_->setFocus();
  radius_->selectAll();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return radius_->value();
}

}  // namespace kelvane::ui
