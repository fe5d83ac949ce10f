#pragma once
#include <array>

#include "FloatingWindow.h"
#include "PaintSession.h"
#include "PaintSlider.h"
#include "SurfaceView.h"

namespace daubwell {

// " Colors": red, green and blue sliders and a swatch of paint in the colour.
class ColorsWindow : public FloatingWindow {
  Q_OBJECT
public:
  ColorsWindow(PaintSession& session, QWidget* frame);
  void syncFromBrush();
  bool applySliders();
  PaintSlider* channel(int i) const { return sliders_[size_t(i)]; }

Q_SIGNALS:
  void brushChanged();

private:
  void repaintSwatch();
  PaintSession& session_;
  std::array<PaintSlider*, 3> sliders_{};
  Canvas swatch_;
  SurfaceView* swatchView_;
};

}  // namespace daubwell
