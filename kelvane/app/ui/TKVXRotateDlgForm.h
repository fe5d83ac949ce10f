#pragma once
#include <QDialog>
#include <QSpinBox>
#include <optional>

namespace kelvane::ui {

// "Rotate": "Alpha:" in degrees, positive clockwise.
class TKVXRotateDlgForm final : public QDialog {
  Q_OBJECT
public:
  explicit TKVXRotateDlgForm(QWidget* parent = nullptr);
  std::optional<double> Ask();

private:
  QSpinBox* alpha_;
};

}  // namespace kelvane::ui
