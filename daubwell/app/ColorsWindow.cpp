#include "ColorsWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

#include "PanelPaper.h"
#include "ShellRules.h"
#include "canvas/Lighting.h"

namespace daubwell {

ColorsWindow::ColorsWindow(PaintSession& session, QWidget* frame)
    : FloatingWindow(" Colors", frame), session_(session) {
  auto* h = new QHBoxLayout(this);
  h->setContentsMargins(8, 6, 8, 6);
  auto* v = new QVBoxLayout;
  v->setSpacing(0);
  const char* names[] = {"Red", "Green", "Blue"};
  for (size_t i = 0; i < 3; ++i) {
    v->addWidget(panelLabel(names[i], this));
    sliders_[i] = new PaintSlider(this);
    v->addWidget(sliders_[i]);
  }
  h->addLayout(v, 1);
  swatch_.create(40, 76);
  swatchView_ = new SurfaceView(&swatch_, this);
  h->addWidget(swatchView_);
  setFixedSize(205, 94);
  repaintSwatch();
}

// A dab of thick paint in the colour: a ridge lit from the upper left.
void ColorsWindow::repaintSwatch() {
  const Brush& b = session_.brush();
  swatch_.highQuality = session_.prefs.highQuality;
  swatch_.lightingOn = session_.prefs.lighting;
  for (uint32_t y = 0; y < swatch_.height; ++y)
    for (uint32_t x = 0; x < swatch_.width; ++x) {
      CanvasPixel& p = swatch_.at(x, y);
      p.red = b.red;
      p.green = b.green;
      p.blue = b.blue;
      p.highlight = 20;
      p.shading = 160;
      p.height = float(6 * std::sin(x * 0.16) * std::sin(y * 0.05 + 0.3) + 8);
    }
  relightAll(swatch_);
  swatchView_->update();
}

void ColorsWindow::syncFromBrush() {
  const Brush& b = session_.brush();
  sliders_[0]->setValue(sliderFromChannel(b.red));
  sliders_[1]->setValue(sliderFromChannel(b.green));
  sliders_[2]->setValue(sliderFromChannel(b.blue));
  repaintSwatch();
}

bool ColorsWindow::applySliders() {
  bool any = false;
  for (size_t i = 0; i < 3; ++i)
    if (sliders_[i]->takeDragged()) {
      session_.setChannel(int(i), sliders_[i]->value());
      any = true;
    }
  if (any) repaintSwatch();
  return any;
}

}  // namespace daubwell
