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
#include "SizeDialog.h"

namespace daubwell {

// The splash picture, as the start-up screen and as the About box: it goes on a click,
// a key or when it loses the focus.
class SplashWindow : public QWidget {
  Q_OBJECT
public:
  explicit SplashWindow(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override { close(); }
  void keyPressEvent(QKeyEvent*) override { close(); }
  void focusOutEvent(QFocusEvent*) override { close(); }

private:
  QPixmap picture_;
};

}  // namespace daubwell
