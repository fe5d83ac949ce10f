#include "TFollowFoldsForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

TFollowFoldsForm::TFollowFoldsForm(QWidget* parent)
    : QDialog(parent), columns_(new QSpinBox(this)), rows_(new QSpinBox(this)), strength_(new QDoubleSpinBox(this)) {
  setObjectName("TFollowFoldsForm");
  setWindowTitle(FromUtf8(kFollowFoldsCaption));
  const TFoldOptions defaults;
  columns_->setObjectName("Columns");
  rows_->setObjectName("Rows");
  strength_->setObjectName("Strength");
  columns_->setRange(1, kFoldCellsMax);
  rows_->setRange(1, kFoldCellsMax);
  columns_->setValue(defaults.Cols);
  rows_->setValue(defaults.Rows);
  strength_->setRange(-kFoldStrengthMax, kFoldStrengthMax);
  strength_->setDecimals(1);
  strength_->setValue(defaults.Strength);
  strength_->setToolTip("How many pixels the pattern moves where the brightness changes by its whole range "
                        "across one cell; negative values push the other way");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* l = new QFormLayout(this);
  l->addRow(FromUtf8(kFollowFoldsColumnsLabel), columns_);
  l->addRow(FromUtf8(kFollowFoldsRowsLabel), rows_);
  l->addRow(FromUtf8(kFollowFoldsStrengthLabel), strength_);
  l->addRow(buttons);
}

std::optional<TFoldOptions> TFollowFoldsForm::AskFoldOptions() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return TFoldOptions{columns_->value(), rows_->value(), strength_->value()};
}

}  // namespace kelvane::ui
