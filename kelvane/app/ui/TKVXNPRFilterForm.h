#pragma once
#include <QComboBox>

#include "TKVXBaseFilterForm.h"
#include "TTrackEdit.h"

namespace kelvane::ui {

// The "Non Photo Realistic Filter" dialog: edge distortion, intensity, noise, detector.
class TKVXNPRFilterForm final : public TKVXBaseFilterForm {
  Q_OBJECT
public:
  explicit TKVXNPRFilterForm(QWidget* parent = nullptr);

protected:
  TFilterValues Values() override;

private:
  TTrackEdit *distortion_, *intensity_, *noise_;
  QComboBox* mode_;
};

}  // namespace kelvane::ui
