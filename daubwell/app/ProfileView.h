#pragma once
#include <QWidget>

namespace daubwell {

// The footprint profile in a 54 x 54 box.
class ProfileView : public QWidget {
public:
  explicit ProfileView(QWidget* parent) : QWidget(parent) { setFixedSize(56, 56); }
  void setHardness(int h) {
    hardness_ = h;
    update();
  }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  int hardness_ = 50;
};

}  // namespace daubwell
