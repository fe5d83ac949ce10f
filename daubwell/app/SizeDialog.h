#pragma once
#include <QDialog>
#include <cstdint>
#include <optional>
#include <utility>

class QLineEdit;

namespace daubwell {

// "New Image": width and height, or nothing when cancelled.
class SizeDialog : public QDialog {
  Q_OBJECT
public:
  SizeDialog(int width, int height, QWidget* parent);
  static std::optional<std::pair<int64_t, int64_t>> ask(int width, int height, QWidget* parent);
  QLineEdit* widthEdit() const { return width_; }
  QLineEdit* heightEdit() const { return height_; }

protected:
  void paintEvent(QPaintEvent* e) override;

private:
  QLineEdit* width_;
  QLineEdit* height_;
};

}  // namespace daubwell
