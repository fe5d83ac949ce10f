#pragma once
#include <QImage>
#include <QWidget>
#include <array>
#include <vector>

#include "tools/PatternImages.h"

namespace daubwell {

// The style and texture thumbnails: 29 x 29, 9 per row.
class PatternGrid : public QWidget {
  Q_OBJECT
public:
  PatternGrid(const std::array<DisplaySurface, kPatternCount>& images, QWidget* parent);
  void setSelected(int i);
  static constexpr int kCell = 29;

Q_SIGNALS:
  void chosen(int index);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

private:
  std::vector<QImage> thumbs_;
  int selected_ = 0;
};

}  // namespace daubwell
