#pragma once
#include <QDialog>

namespace kelvane::ui {

// The about box: modal; a click anywhere on it or any key closes it.
class TAboutBox final : public QDialog {
  Q_OBJECT
public:
  explicit TAboutBox(QWidget* parent = nullptr);

protected:
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace kelvane::ui
