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
#include "ThumbnailList.h"
#include "PaletteWindow.h"

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
