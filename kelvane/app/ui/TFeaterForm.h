#pragma once
#include <QDialog>
#include <QSpinBox>
#include <optional>

namespace kelvane::ui {

// "Feater Selection": the radius the selection is blurred with.
class TFeaterForm final : public QDialog {
  Q_OBJECT
public:
  explicit TFeaterForm(QWidget* parent = nullptr);
  // The radius on OK, nothing on Cancel; the value stays for the next time.
  std::optional<int> Ask();
  QSpinBox* Radius() const { return radius_; }

private:
  QSpinBox* radius_;
};

}  // namespace kelvane::ui
