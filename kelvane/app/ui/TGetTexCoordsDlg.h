#pragma once
#include <QDialog>
#include <QLineEdit>
#include <array>
#include <optional>

#include "drape/TexCoordGen.h"

namespace kelvane::ui {

// "Gen Texture Coords": U and V as linear functions of a node's position, the eight
// coefficients typed in two lines. Typing takes digits, the decimal separator,
// backspace and "-" only; the texts are kept between uses.
class TGetTexCoordsDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TGetTexCoordsDlg(QWidget* parent = nullptr);
  // The texts on OK, nothing on Cancel.
  std::optional<TTexGenTexts> Ask();
  QLineEdit* Edit(size_t i) const { return edits_[i]; }
  TTexGenTexts Texts() const;

protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  std::array<QLineEdit*, 8> edits_{};
};

}  // namespace kelvane::ui
