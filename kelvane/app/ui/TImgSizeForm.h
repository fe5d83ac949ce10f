#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QSpinBox>
#include <optional>

#include "app/TMainSession.h"

namespace kelvane::ui {

// "Image Size": the new width and height (kept in proportion while "Constrain
// Proportions" is checked: the field being typed in drives the other) and the filter.
class TImgSizeForm final : public QDialog {
  Q_OBJECT
public:
  explicit TImgSizeForm(QWidget* parent = nullptr);
  std::optional<TImageSizeAnswer> Ask(int width, int height);
  QSpinBox* WidthField() const { return width_; }
  QSpinBox* HeightField() const { return height_; }

private:
  QSpinBox* width_;
  QSpinBox* height_;
  QCheckBox* constrain_;
  QComboBox* filter_;
  int docWidth_ = 1, docHeight_ = 1;
};

}  // namespace kelvane::ui
