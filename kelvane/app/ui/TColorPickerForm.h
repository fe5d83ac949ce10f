#pragma once
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include "filters/ColorPicker.h"

namespace kelvane::ui {

class TPickerField;
class TPickerStrip;

// "Color Picker": a 256 x 256 field of two channels, a strip and slider for the third
// (chosen by "R:", "G:" or "B:"), three decimal fields and a hexadecimal one.
class TColorPickerForm final : public QDialog {
  Q_OBJECT
public:
  explicit TColorPickerForm(QWidget* parent = nullptr);
  // The edited colour on OK, the one it was opened with on Cancel.
  TColor32 Pick(TColor32 colour);
  TColorPickerModel& Model() { return model_; }
  QLineEdit* HexField() const { return hex_; }
  QLineEdit* Field(int channel) const { return fields_[channel]; }
  // After the model changed: the field, the strip, the numbers and the swatches.
  void Recompute();

private:
  TColorPickerModel model_;
  TPickerField* field_;
  TPickerStrip* strip_;
  QSlider* slider_;
  QRadioButton* modes_[3];
  QLineEdit* fields_[3];
  QLineEdit* hex_;
  QWidget *old_, *new_;
  bool updating_ = false;
  QLineEdit* typing_ = nullptr;
};

}  // namespace kelvane::ui
