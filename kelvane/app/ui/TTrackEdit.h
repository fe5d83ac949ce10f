#pragma once
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>

namespace kelvane::ui {

// A captioned track bar with its number field, both editing one integer.
class TTrackEdit final : public QWidget {
  Q_OBJECT
public:
  TTrackEdit(const QString& caption, int minimum, int maximum, int value, QWidget* parent = nullptr);
  int Value() const { return spin_->value(); }
  void SetValue(int v);
  QLabel* Caption() const { return caption_; }

Q_SIGNALS:
  void ValueChanged(int value);

private:
  QLabel* caption_;
  QSlider* slider_;
  QSpinBox* spin_;
};

}  // namespace kelvane::ui
