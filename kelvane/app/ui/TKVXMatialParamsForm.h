#pragma once
#include <QDoubleSpinBox>
#include <QSlider>
#include <QWidget>
#include <array>
#include <functional>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// "Texture Params": how the current object's texture repeats, cross-fades, shifts and
// turns. One row per field of the parameter table; each change writes into the current
// object of the active document window, and nothing without one.
class TKVXMatialParamsForm final : public QWidget {
  Q_OBJECT
public:
  using ActiveDocument = std::function<TKVXEditSession*()>;
  explicit TKVXMatialParamsForm(ActiveDocument active, QWidget* parent = nullptr);
  // The controls from the document's current object (the defaults without one).
  void Load(TKVXEditSession* doc);
  QDoubleSpinBox* Field(size_t i) const { return fields_[i]; }
  TTexParamValues Values() const;

private:
  void Changed(size_t i);

  ActiveDocument active_;
  std::array<QDoubleSpinBox*, kTexParamCount> fields_{};
  std::array<QSlider*, kTexParamCount> sliders_{};
  bool loading_ = false;
};

}  // namespace kelvane::ui
