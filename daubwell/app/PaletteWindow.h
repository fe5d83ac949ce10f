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

namespace daubwell {

// " Palette": the brush palette and the stroke list.
class PaletteWindow : public FloatingWindow {
  Q_OBJECT
public:
  PaletteWindow(PaintSession& session, Messages& messages, FileDialogs& dialogs, QWidget* frame);
  // Paints every thumbnail again and shows the selected entries.
  void refresh();
  // The current tool changed: the stroke thumbnails, painted with it, follow.
  void toolChanged();
  void setServices(Messages& messages, FileDialogs& dialogs) {
    messages_ = &messages;
    dialogs_ = &dialogs;
  }
  bool applySliders();
  ThumbnailList* brushes() const { return brushList_; }
  ThumbnailList* strokes() const { return strokeList_; }

Q_SIGNALS:
  void brushChanged();

private:
  QHBoxLayout* listButtonRow(QWidget* page, std::function<void(int)> run);
  void refreshBrushes();
  void refreshStrokes();
  void syncStrokeControls();
  void storeStroke();
  PaintSession& session_;
  Messages* messages_;
  FileDialogs* dialogs_;
  ThumbnailList* brushList_;
  ThumbnailList* strokeList_;
  std::array<ImageButton*, 3> checks_{};
  std::array<PaintSlider*, 5> strokeSliders_{};
  int strokeTool_ = -1;  // the tool the stroke thumbnails were painted with
};

}  // namespace daubwell
