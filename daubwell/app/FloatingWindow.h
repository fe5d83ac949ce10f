#pragma once
#include <QWidget>

namespace daubwell {

// A small captioned window owned by the frame. Closing it hides it.
class FloatingWindow : public QWidget {
  Q_OBJECT
public:
  FloatingWindow(const QString& title, QWidget* frame);

Q_SIGNALS:
  void shownChanged(bool shown);

protected:
  void paintEvent(QPaintEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
};

}  // namespace daubwell
