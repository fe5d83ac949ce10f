#pragma once
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>
#include "PaintSession.h"
#include "ShellRules.h"
#include "Widgets.h"
#include "files/FileDialogs.h"
#include "FloatingWindow.h"
#include "ToolsWindow.h"
#include "PatternGrid.h"
#include "ProfileView.h"
#include "BrushPropertiesWindow.h"
#include "ColorsWindow.h"

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
