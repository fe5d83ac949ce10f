#pragma once
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSlider>
#include <QWidget>

namespace kelvane::ui {

// A captioned track bar with its number field, both editing one real value in steps of
// a hundredth of the range.
class TRealTrackEdit final : public QWidget {
  Q_OBJECT
public:
  TRealTrackEdit(const QString& caption, double minimum, double maximum, double value, int decimals = 2,
                 QWidget* parent = nullptr);
  double Value() const { return spin_->value(); }
  void SetValue(double v);
  QSlider* Slider() const { return slider_; }

Q_SIGNALS:
  void ValueChanged(double value);

private:
  int ToSlider(double v) const;
  double minimum_, maximum_;
  QLabel* caption_;
  QSlider* slider_;
  QDoubleSpinBox* spin_;
};

}  // namespace kelvane::ui
