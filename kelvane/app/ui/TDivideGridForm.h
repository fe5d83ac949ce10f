#pragma once
#include <QDialog>
#include <QSpinBox>

#include "drape/GridTools.h"

namespace kelvane::ui {

// "Divide Grid": the columns and rows of the lattice drawn over a rectangle.
class TDivideGridForm final : public QDialog, public TDivideGridPrompt {
  Q_OBJECT
public:
  explicit TDivideGridForm(QWidget* parent = nullptr);
  std::optional<TDivideGridAnswer> AskDivideGrid() override;

private:
  QSpinBox* columns_;
  QSpinBox* rows_;
};

}  // namespace kelvane::ui
