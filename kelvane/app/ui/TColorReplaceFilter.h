#pragma once
#include <QLabel>

#include "TKVXBaseFilterForm.h"
#include "TRealTrackEdit.h"

namespace kelvane::ui {

// "Replace Color": reference colours picked in the preview (Shift adds one), the new
// hue, the saturation and lightness factors and the three tolerances, with colour
// strips of what is matched and what it becomes.
class TColorReplaceFilter final : public TKVXBaseFilterForm {
  Q_OBJECT
public:
  explicit TColorReplaceFilter(QWidget* parent = nullptr);
  const TRepColorSet& Set() const { return set_; }

protected:
  TFilterValues Values() override;
  void Picked(QPoint at, bool shift) override;
  void Recomputed() override;

private:
  TColorReplaceControls ControlValues() const;
  TRepColorSet set_;
  TRealTrackEdit *h_, *kS_, *kL_, *dH_, *dS_, *dL_;
  QLabel *hueStrip_, *lightnessStrip_, *saturationStrip_, *band_;
};

}  // namespace kelvane::ui
