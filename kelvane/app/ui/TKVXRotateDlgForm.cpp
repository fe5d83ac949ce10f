#include "TKVXRotateDlgForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <climits>

namespace kelvane::ui {

TKVXRotateDlgForm::TKVXRotateDlgForm(QWidget* parent) : QDialog(parent), alpha_(new QSpinBox(this)) {
  setWindowTitle("Rotate");
  alpha_->setRange(INT_MIN, INT_MAX);
  alpha_->setSuffix("°");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* l = new QFormLayout(this);
  l->addRow("Alpha:", alpha_);
  l->addRow(buttons);
}

std::optional<double> TKVXRotateDlgForm::Ask() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return double(alpha_->value());
}

}  // namespace kelvane::ui
