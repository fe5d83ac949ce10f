#pragma once
#include <array>
#include <functional>

#include "FloatingWindow.h"
#include "ImageButton.h"
#include "PaintSession.h"
#include "PaintSlider.h"
#include "ThumbnailList.h"
#include "files/FileDialogs.h"

class QHBoxLayout;

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
  // The add, delete, save list and load list buttons under a list, in that order.
  using ListActions = std::array<std::function<void()>, 4>;
  QHBoxLayout* listButtonRow(QWidget* page, ListActions actions);
  // A list saved to a file the user picks; a failure is shown with what went wrong.
  void saveList(const FileFilter& filter, const std::function<Status(const std::string&)>& save);
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
