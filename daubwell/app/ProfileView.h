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
