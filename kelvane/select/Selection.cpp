#include "Selection.h"

#include "GBlur1byte.h"

namespace kelvane {

TBitmap32 GestureCoverage(const TSelectionGesture& g, const TBitmap32& image) {
  // The wand writes every pixel of the coverage it sizes itself: no clearing first.
  TBitmap32 c;
  if (g.tool != TSelectionTool::stMagicWand) c.SetSize(image.Width(), image.Height(), 0);
  switch (g.tool) {
    case TSelectionTool::stRectangle: RectangleCoverage(c, g.start, g.end); break;
    case TSelectionTool::stEllipse: EllipseCoverage(c, g.start, g.end); break;
    case TSelectionTool::stPolygon:
    case TSelectionTool::stLasso: PolygonCoverage(c, g.vertices); break;
    case TSelectionTool::stColorRange: ColorRangeCoverage(c, image, g.colourUnderPointer, g.tolerance); break;
    case TSelectionTool::stMagicWand: MagicWandCoverage(c, image, g.end, g.colourUnderPointer, g.tolerance); break;
    case TSelectionTool::stHSLRange: HSLRangeCoverage(c, image, g.colourAtPress, g.dH, g.dS, g.dL); break;
    case TSelectionTool::stNone: break;
  }
  return c;
}

void CombineCoverage(TByteMap& mask, TBitmap32& coverage, TCombineMode mode) {
  const int w = std::min(mask.Width(), coverage.Width()), h = std::min(mask.Height(), coverage.Height());
  for (int y = 0; y < h; ++y) {
    uint8_t* m = mask.ScanLine(y);
    TColor32* c = coverage.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      if (mode == TCombineMode::cmReplace) {
        m[x] = Intensity(c[x]);
        continue;
      }
      int wv = RedComponent(c[x]);
      if (wv > 240) {
        wv = 255;
        c[x] = (c[x] & 0xFF00FFFFu) | 0x00FF0000u;
      }
      int mv = m[x] > 240 ? 255 : m[x];
      if (mode == TCombineMode::cmAdd) {
        if (wv != 0 && mv < wv) mv = wv;
      } else if (wv != 0) {
        if (wv == 255) mv = 0;
        if (mv == 255 && wv < 255) mv = 255 - wv;
      }
      m[x] = uint8_t(mv);
    }
  }
}

void ExcludeMask(TByteMap& mask, TByteMap& other) {
  const int w = std::min(mask.Width(), other.Width()), h = std::min(mask.Height(), other.Height());
  for (int y = 0; y < h; ++y) {
    uint8_t* m = mask.ScanLine(y);
    uint8_t* o = other.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      if (o[x] > 240) o[x] = 255;
      int mv = m[x] > 240 ? 255 : m[x];
      if (o[x] != 0) {
        if (o[x] == 255) mv = 0;
        if (mv == 255 && o[x] != 255) mv = 255 - o[x];
      }
      m[x] = uint8_t(mv);
    }
  }
}

void CommitSelection(TByteMap& mask, const TBitmap32& image, TSelectionGesture& g, const TSelectionSettings& s,
                     TMaskRecorder* history) {
  if (g.tool == TSelectionTool::stNone) return;
  if (history) history->RecordMaskBefore();
  TBitmap32 c = GestureCoverage(g, image);
  CombineCoverage(mask, c, s.mode);
  if (s.feather != 0) GBlur(mask, s.feather);
  if (s.overlapping)
    for (TByteMap* other : s.otherMasks)
      if (other && other != &mask) ExcludeMask(mask, *other);
  g.vertices.clear();
  if (history) history->RecordMaskAfter();
}

void InvertMask(TByteMap& mask) {
  for (uint8_t* p = mask.Bits(); p != mask.Bits() + size_t(mask.Width()) * mask.Height(); ++p) *p = uint8_t(255 - *p);
}

bool Deselect(TByteMap& mask, float sceneFieldOfView, TMaskRecorder* history) {
  if (sceneFieldOfView != 0) return false;
  if (history) history->RecordMaskBefore();
  mask.Clear(0);
  if (history) history->RecordMaskAfter();
  return true;
}

bool SelectAll(TByteMap& mask, int selectedObjects) {
  if (selectedObjects > 1) return false;
  mask.Clear(255);
  return true;
}

}  // namespace kelvane
