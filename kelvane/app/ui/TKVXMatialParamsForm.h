#pragma once
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSlider>
#include <QWidget>
#include <array>
#include <functional>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// "Texture Params": how the current object's texture repeats, cross-fades, shifts and
// turns. One row per field of the parameter table; each change writes into the current
// object of the active document window, and nothing without one. Below them, the tiling
// from what the user knows: "Keep Proportions" (the Y tiling follows the X tiling, so
// the fabric's pattern keeps its shape) and the object's and the repeat's real sizes.
class TKVXMatialParamsForm final : public QWidget {
  Q_OBJECT
public:
  using ActiveDocument = std::function<TKVXEditSession*()>;
  explicit TKVXMatialParamsForm(ActiveDocument active, QWidget* parent = nullptr);
  // The controls from the document's current object (the defaults without one).
  void Load(TKVXEditSession* doc);
  QDoubleSpinBox* Field(size_t i) const { return fields_[i]; }
  QCheckBox* KeepProportions() const { return keep_; }
  QDoubleSpinBox* ObjectWidth() const { return objectWidth_; }
  QDoubleSpinBox* RepeatWidth() const { return repeatWidth_; }
  QDoubleSpinBox* RepeatHeight() const { return repeatHeight_; }
  QPushButton* SetTiling() const { return setTiling_; }
  TTexParamValues Values() const;

private:
  void Changed(size_t i);
  void KeepToggled(bool on);
  void ApplySizes();
  // Writes the rule's tiling into the active document and shows it; false without one or
  // when the rule cannot be had (no grid, no measurable cell).
  bool ApplyRule(const TTileRule& rule);
  void Show(const TTexParamValues& v);

  ActiveDocument active_;
  std::array<QDoubleSpinBox*, kTexParamCount> fields_{};
  std::array<QSlider*, kTexParamCount> sliders_{};
  QCheckBox* keep_ = nullptr;
  QDoubleSpinBox* objectWidth_ = nullptr;
  QDoubleSpinBox* repeatWidth_ = nullptr;
  QDoubleSpinBox* repeatHeight_ = nullptr;
  QPushButton* setTiling_ = nullptr;
  bool loading_ = false;
};

}  // namespace kelvane::ui
