#include "TDivideGridForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace kelvane::ui {

namespace {
QString Text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
}  // namespace

TDivideGridForm::TDivideGridForm(QWidget* parent)
    : QDialog(parent), columns_(new QSpinBox(this)), rows_(new QSpinBox(this)) {
  setWindowTitle(Text(kDivideGridCaption));
  for (QSpinBox* s : {columns_, rows_}) {
    s->setRange(kDivideGridMin, kDivideGridMax);
    s->setValue(kDivideGridDefault);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* l = new QFormLayout(this);
  l->addRow(Text(kDivideGridColumnsLabel), columns_);
  l->addRow(Text(kDivideGridRowsLabel), rows_);
  l->addRow(buttons);
}

std::optional<TDivideGridAnswer> TDivideGridForm::AskDivideGrid() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return TDivideGridAnswer{columns_->value(), rows_->value()};
}

}  // namespace kelvane::ui
