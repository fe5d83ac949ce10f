#pragma once
#include <QImage>
#include <QSize>
#include <QWidget>
#include <vector>

namespace daubwell {

// A list of thumbnails, one per used slot of a list, the selected one framed.
class ThumbnailList : public QWidget {
  Q_OBJECT
public:
  ThumbnailList(int columns, QSize cell, QWidget* parent);
  void setThumbnails(std::vector<QImage> thumbs, int selected);
  void setSelected(int selected);

Q_SIGNALS:
  void chosen(int index);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

private:
  int columns_;
  QSize cell_;
  std::vector<QImage> thumbs_;
  int selected_ = 0;
};

}  // namespace daubwell
