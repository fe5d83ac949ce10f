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

namespace daubwell {

// " Tools": one button per tool in three groups.
class ToolsWindow : public FloatingWindow {
  Q_OBJECT
public:
  ToolsWindow(PaintSession& session, QWidget* frame);
  // Shows the current tool's button as selected and every other as normal.
  void markTool(int tool);
  QAbstractButton* button(int tool) const;

Q_SIGNALS:
  void toolChosen(int tool);

private:
  QButtonGroup* group_;
};

}  // namespace daubwell
