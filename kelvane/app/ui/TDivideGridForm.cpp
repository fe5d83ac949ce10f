#include "TDivideGridForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

TDivideGridForm::TDivideGridForm(QWidget* parent)
    : QDialog(parent), columns_(new QSpinBox(this)), rows_(new QSpinBox(this)) {
  setWindowTitle(FromUtf8(kDivideGridCaption));
  for (QSpinBox* s : {columns_, rows_}) {
    s->setRange(kDivideGridMin, kDivideGridMax);
    s->setValue(kDivideGridDefault);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* l = new QFormLayout(this);
  l->addRow(FromUtf8(kDivideGridColumnsLabel), columns_);
  l->addRow(FromUtf8(kDivideGridRowsLabel), rows_);
  l->addRow(buttons);
}

std::optional<TDivideGridAnswer> TDivideGridForm::AskDivideGrid() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return TDivideGridAnswer{columns_->value(), rows_->value()};
}

}  // namespace kelvane::ui
