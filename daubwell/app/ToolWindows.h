#pragma once
// The floating tool windows around the canvas, the size dialog and the splash.
#include "BrushPropertiesWindow.h"
#include "ColorsWindow.h"
#include "FloatingWindow.h"
#include "PaletteWindow.h"
#include "PatternGrid.h"
#include "ProfileView.h"
#include "SizeDialog.h"
#include "SplashWindow.h"
#include "ThumbnailList.h"
#include "ToolsWindow.h"
