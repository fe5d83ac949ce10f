#pragma once
#include <array>

#include "FloatingWindow.h"
#include "ImageButton.h"
#include "PaintSession.h"
#include "PaintSlider.h"
#include "PatternGrid.h"
#include "ProfileView.h"
#include "SurfaceView.h"

class QStackedWidget;

namespace daubwell {

// " Brush Properties": the live preview, the four property sliders and the styles panel.
class BrushPropertiesWindow : public FloatingWindow {
  Q_OBJECT
public:
  BrushPropertiesWindow(PaintSession& session, QWidget* frame);
  void syncFromBrush();
  // Applies sliders the user moved since the last main-loop iteration; true if any.
  bool applySliders();
  void applyToolControls(int tool);
  void previewChanged() { preview_->update(); }

  PaintSlider* size() const { return sliders_[0]; }
  PaintSlider* strength() const { return sliders_[1]; }
  PaintSlider* depth() const { return sliders_[2]; }
  PaintSlider* shading() const { return sliders_[3]; }
  PaintSlider* hardness() const { return hardness_; }
  QAbstractButton* styleTab() const { return tabs_[0]; }
  QAbstractButton* textureTab() const { return tabs_[1]; }
  QAbstractButton* shapeTab() const { return tabs_[2]; }
  PatternGrid* styles() const { return styles_; }
  PatternGrid* textures() const { return textures_; }
  SurfaceView* previewView() const { return preview_; }

Q_SIGNALS:
  void brushChanged();

private:
  PaintSession& session_;
  SurfaceView* preview_;
  std::array<PaintSlider*, 4> sliders_{};
  std::array<ImageButton*, 3> tabs_{};
  QStackedWidget* pages_;
  PatternGrid* styles_;
  PatternGrid* textures_;
  PaintSlider* hardness_;
  ProfileView* profile_;
};

}  // namespace daubwell
