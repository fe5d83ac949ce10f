#pragma once
// The small controls of the tool windows, drawn by the program itself.
#include "ImageButton.h"
#include "PaintSlider.h"
#include "PanelPaper.h"
#include "SurfaceView.h"
