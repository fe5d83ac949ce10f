#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

#include "select/MaskEdit.h"

namespace kelvane::ui {

class TMaskCanvas;

// "Mask Edit Tool": the mask painted by hand over the picture, red where selected; the
// left button adds, the right one removes, with a soft brush or a hard pencil.
class TMaskEditForm final : public QDialog {
  Q_OBJECT
public:
  TMaskEditForm(const TBitmap32& picture, const TByteMap& mask, QWidget* parent = nullptr);
  ~TMaskEditForm() override;
  // The painted mask (what OK hands back).
  TByteMap Result() const { return editor_.Result(); }
  TMaskEditor& Editor() { return editor_; }
  double Zoom() const { return zoom_; }
  QScrollBar* SizeBar() const { return size_; }
  QScrollBar* ZoomBar() const { return zoomBar_; }
  QScrollBar* OpacityBar() const { return opacity_; }
  QWidget* Canvas() const;

private:
  QScrollBar* Bar(int minimum, int maximum, int value);
  void SettingsChanged();
  void UpdateCursor();

  const TBitmap32& picture_;
  TMaskEditor editor_;
  double zoom_ = 1;
  QScrollArea* scroll_;
  TMaskCanvas* canvas_;
  QScrollBar *size_, *zoomBar_, *opacity_, *intensity_, *steps_;
  QLabel *sizeLabel_, *zoomLabel_, *opacityLabel_, *intensityLabel_, *stepsLabel_;
  QRadioButton *pencil_, *brush_;
  QGroupBox* brushOptions_;
  QCheckBox* circles_;
};

}  // namespace kelvane::ui
