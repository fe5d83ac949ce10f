#pragma once
#include "FloatingWindow.h"

class QAbstractButton;
class QButtonGroup;

namespace daubwell {

// " Tools": one button per tool of the tool table that has one, in their groups.
class ToolsWindow : public FloatingWindow {
  Q_OBJECT
public:
  explicit ToolsWindow(QWidget* frame);
  // Shows the current tool's button as selected and every other as normal.
  void markTool(int tool);
  QAbstractButton* button(int tool) const;

Q_SIGNALS:
  void toolChosen(int tool);

private:
  QButtonGroup* group_;
};

}  // namespace daubwell
