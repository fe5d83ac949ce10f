#pragma once
// The small controls of the tool windows, drawn by the program itself.
#include "PaintSlider.h"
#include "ImageButton.h"
#include "SurfaceView.h"

class QPaintEvent;

namespace daubwell {

// Tiles the panel paper behind a tool window.
void paintPanel(QWidget* w, QPaintEvent* e);

}  // namespace daubwell
