#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "TIncObjList.h"

namespace kelvane {

// What the "Params" window of an included object edits.
struct TIncObjParams {
  float Left = 0, Top = 0, Width = 0, Height = 0;  // image pixels
  int Brightness = 0, Contrast = 0, Gamma = 0;    // -100..100
  int Opacity = 255;                               // 0..255
  friend bool operator==(const TIncObjParams&, const TIncObjParams&) = default;
};

inline constexpr std::string_view kIncObjParamsCaption = "Params";
inline constexpr std::string_view kIncObjLoadImage = "Load Image...";
inline constexpr std::string_view kIncObjLoadAlpha = "Load Alpha...";
inline constexpr std::string_view kIncObjClearAlpha = "Clear Alpha";
inline constexpr std::string_view kIncObjDelete = "Delete";
// The side of the rectangle a dropped picture gets.
inline constexpr int kIncObjDropSide = 100;

// Which part of the rubber band around the selected entry the mouse holds.
enum class TBandGrab { None, Move, Left, Top, Right, Bottom, TopLeft, TopRight, BottomRight, BottomLeft };

// The included-objects layer without its window: the document's list of included
// pictures, placing them, moving and sizing the selected one with a rubber band, their
// parameters, and drawing them all into the layer's bitmap of the image's size.
class TICNObjectEditorLayer {
public:
  TIncObjList* List = nullptr;  // the project's list
  int Width = 0, Height = 0;    // the image
  TBitmap32 Bitmap;             // what the view shows over the image
  bool NeedsRedraw = true;
  // Half the side of a sizing handle in image pixels (the window sets it from the zoom).
  double HandleSize = 4;
  // How entries' pictures are read; picture files when not set.
  TIncObjPictureLoader PictureLoader;

  void SetImageSize(int width, int height);

  // A new entry for the picture over kIncObjDropSide x kIncObjDropSide pixels at (x, y),
  // selected. A picture that cannot be read adds nothing and says why.
  Result<size_t> PlacePicture(const std::string& path, int x, int y);

  // The rubber band: a press on a handle of the selected entry sizes it, inside it moves
  // it; elsewhere the entry under the point is selected and held for moving.
  void MouseDown(double x, double y);
  void MouseMove(double x, double y);
  // Whether the entry moved or changed size.
  bool MouseUp();
  TBandGrab Grab() const { return grab_; }
  // The selected entry's rectangle, where the window shows the rubber band.
  std::optional<TRect> BandRect() const;

  std::optional<TIncObjParams> SelectedParams() const;
  // Writes the parameters into the selected entry, each held to its range (sizes at
  // least one pixel); false without a selection.
  bool SetSelectedParams(const TIncObjParams& params);
  // A new picture or alpha picture for the selected entry; one that cannot be read
  // leaves the entry as it was.
  Status LoadImage(const std::string& path);
  Status LoadAlpha(const std::string& path);
  bool ClearAlpha();
  bool DeleteSelected();

  // Draws every entry into the bitmap when something changed since the last drawing.
  Status Redraw();

private:
  Result<TBitmap32> Read(const std::string& path) const;
  TIncObj* Selected();
  const TIncObj* Selected() const;
  TBandGrab HandleAt(const TIncObj& e, double x, double y) const;

  TBandGrab grab_ = TBandGrab::None;
  double lastX_ = 0, lastY_ = 0;
  bool changed_ = false;
};

}  // namespace kelvane
