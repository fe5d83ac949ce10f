#pragma once
#include <vector>

#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "Coverage.h"
#include "TMaskRecorder.h"

namespace kelvane {

enum class TSelectionTool { stNone, stColorRange, stMagicWand, stRectangle, stEllipse, stPolygon, stLasso, stHSLRange };
enum class TCombineMode { cmReplace, cmAdd, cmSubtract };

// One finished gesture and the values of the selection controls.
struct TSelectionGesture {
  TSelectionTool tool = TSelectionTool::stNone;
  TPoint start, end;               // marquee corners; the wand's seed is `end`
  std::vector<TPoint> vertices;    // polygon and lasso
  TColor32 colourUnderPointer = 0; // wand and RGB range reference
  TColor32 colourAtPress = 0;      // HSL range reference
  int tolerance = 30;              // 1..100
  float dH = 0.01f, dS = 1, dL = 1;
};

struct TSelectionSettings {
  TCombineMode mode = TCombineMode::cmReplace;
  int feather = 0;                       // 0..100; 0 skips the blur
  bool overlapping = false;              // cut the other objects' masks out
  std::vector<TByteMap*> otherMasks;     // the other objects' masks, for overlapping
};

// The coverage raster of a gesture over an image.
TBitmap32 GestureCoverage(const TSelectionGesture& g, const TBitmap32& image);

// Coverage into the mask by the mode (values above 240 count as 255 and are written back).
void CombineCoverage(TByteMap& mask, TBitmap32& coverage, TCombineMode mode);
// Removes another object's mask from the selection (the same 240 rule, both ways).
void ExcludeMask(TByteMap& mask, TByteMap& other);

// The end of every gesture: the mask recorded before, the coverage combined in,
// feathered, other objects cut out, the mask recorded after. The vertex list is emptied.
// Nothing happens for stNone.
void CommitSelection(TByteMap& mask, const TBitmap32& image, TSelectionGesture& gesture,
                     const TSelectionSettings& settings, TMaskRecorder* history);

void InvertMask(TByteMap& mask);
// Nothing for a scene document (field of view not 0); else recorded, emptied, recorded.
bool Deselect(TByteMap& mask, float sceneFieldOfView, TMaskRecorder* history);
// Only with at most one object selected in the list.
bool SelectAll(TByteMap& mask, int selectedObjects);

}  // namespace kelvane
