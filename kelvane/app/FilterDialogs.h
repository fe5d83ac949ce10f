#pragma once
#include <span>
#include <string_view>

#include "../filters/ColorReplace.h"
#include "../filters/FilterPreview.h"
#include "../filters/NPR.h"
#include "../raster/BalanceTable.h"
#include "../raster/Progress.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

// What the filter dialogs compute, without a window: the table of masked filters, the
// preview of a filter on the visible part of the picture, the colour-replace entries
// and the balance preview.
namespace kelvane {

// The values a dialog hands to its filter.
struct TFilterValues {
  TNPRParams Npr;
  TRepColorSet Colors;
};

// One filter that works on the result image through the current mask.
struct TFilterKind {
  std::string_view Id;       // the document window's command
  std::string_view Caption;  // the dialog's caption
  // How far around a pixel the filter reads: the preview filters that much more of the
  // picture so its visible part comes out as the whole picture's would. -1: the result
  // depends on where the pixel lies in the picture (the preview only looks alike).
  int Margin;
  bool MaskItself;  // works along the mask's edge, so the preview gets the mask too
  bool Long;        // seconds on a large picture: runs in the background with progress and Cancel
  // False when the progress's Cancel stopped it; the target is then as it was.
  bool (*Run)(TBitmap32& target, const TByteMap* mask, const TFilterValues& values, TProgress* progress);
};

std::span<const TFilterKind> FilterKinds();
const TFilterKind* FindFilterKind(std::string_view id);

// The smallest rectangle holding every selected (non-zero) mask value; empty when
// nothing is selected.
TRect SelectedBounds(const TByteMap& mask);
// Where a preview opens: the top-left corner when the selection is in view from there
// (or there is none), otherwise centred on the selection, clamped like a drag.
TPan OpeningPan(const TByteMap* mask, int previewW, int previewH, int sourceW, int sourceH);

// A filter dialog's preview: a window of the preview's size onto the source at the pan
// offset, filtered, shown over the checkerboard with the mask as alpha.
class TFilterPreview {
public:
  TFilterPreview(const TBitmap32& source, const TByteMap* mask, int width, int height);

  // A drag in the preview: the unfiltered source moves with the pointer.
  void PanBy(int dx, int dy);
  // Where a dialog opens: on the selection when it is not in view from the corner.
  void PanToSelection();
  TPan Pan() const { return pan_; }
  // The filter on the visible window (nothing while Enabled is off: "Preview" unchecked).
  void Recompute(const TFilterKind& kind, const TFilterValues& values);
  bool Enabled = true;

  // The filtered window before the mask alpha, and what the dialog shows.
  const TBitmap32& Filtered() const { return filtered_; }
  const TBitmap32& Shown() const { return shown_; }
  // The colour shown at a point of the preview before the checkerboard (a pick).
  TColor32 CompositePixel(int x, int y) const { return composite_.Pixel(x, y); }
  int Width() const { return width_; }
  int Height() const { return height_; }

private:
  void Show(const TBitmap32& window);

  const TBitmap32& source_;
  const TByteMap* mask_;
  int width_, height_;
  TPan pan_;
  TBitmap32 filtered_, composite_, shown_;
};

// The colour-replace dialog's six controls; they go into every entry of the set.
struct TColorReplaceControls {
  float H = 0;       // "H:" 0..1
  float kS = 1;      // "kS:" 0..5
  float kL = 1;      // "kL:" 0..2
  float DeltaH = 10; // "Delta H:" 1..50, thousandths
  float DeltaS = 1;  // "Delta S:" 0..1
  float DeltaL = 1;  // "Delta L:" 0..1
};
// Writes the controls into every entry; an empty set first gets the default entry.
void WriteControls(TRepColorSet& set, const TColorReplaceControls& controls);
// A pick in the preview: with Shift a further reference colour, else the only one.
void PickReference(TRepColorSet& set, TColor32 colour, bool shift);

// The balance dialog's live preview: the table on the visible part of the result while
// the bars move, on all of it (and the base image) on OK; Cancel puts it back.
class TBalancePreview {
public:
  TBalancePreview(TBitmap32& result, TRect visible);
  void Preview(const BalanceInputs& inputs);
  void Ok(TBitmap32& base, const BalanceInputs& inputs);
  void Cancel();

private:
  TBitmap32& result_;
  TBitmap32 backup_;
  TRect visible_;
};

}  // namespace kelvane
