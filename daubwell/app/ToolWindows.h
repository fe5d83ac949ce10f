#pragma once
// The floating tool windows around the canvas, the size dialog and the splash.
#include "FloatingWindow.h"
#include "ToolsWindow.h"
#include "PatternGrid.h"
#include "ProfileView.h"
#include "BrushPropertiesWindow.h"
#include "ColorsWindow.h"
#include "ThumbnailList.h"
#include "PaletteWindow.h"
#include "SizeDialog.h"
#include "SplashWindow.h"
