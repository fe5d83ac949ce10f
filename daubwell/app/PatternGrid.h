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
