#pragma once
#include <QAbstractButton>
#include <QString>

namespace daubwell {

// A button shown by two graphics of the cache, NAME0 normally and NAME1 when selected
// or pressed.
class ImageButton : public QAbstractButton {
  Q_OBJECT
public:
  ImageButton(const QString& graphic, const QString& tooltip, QWidget* parent = nullptr);
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent*) override;

private:
  QString graphic_;
};

}  // namespace daubwell
