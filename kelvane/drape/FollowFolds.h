#pragma once
#include <optional>
#include <string_view>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "KVXGridTools.h"

// "Follow Folds": a dense lattice whose texture coordinates are pushed along the slope
// of the photograph's brightness, so a pattern draped through it bends into the folds
// instead of running straight across them like a projected slide.
namespace kelvane {

struct TFoldOptions {
  int Cols = 48, Rows = 48;
  // How far the pattern moves, in image pixels, where the smoothed brightness changes by
  // its whole range (0..1) across one cell; negative values push the other way.
  double Strength = 10;
};

// The smoothing radius, in pixels, for cells of cw x ch pixels: about half a cell, so
// the nodes sample the folds and not the weave.
int FoldSmoothingRadius(double cellWidth, double cellHeight);

// The lattice of o.Cols x o.Rows cells over the mask's bounding box (as "Fit Grid to
// Selection" lays it), each node's (U, V) moved by Strength times the gradient of the
// photo's brightness at the node. The brightness is smoothed inside the mask only (the
// pixels around the object do not pull at it), with exact integer sums, so a photo of
// one brightness gives exactly the plain lattice. Fails for an empty mask or a mask and
// photo of different sizes.
Result<TMapGrid> FollowFoldsGrid(const TBitmap32& photo, const TByteMap& mask, const TFoldOptions& o);

// The "Follow Folds" dialog of the grid tool window.
inline constexpr std::string_view kFollowFoldsCaption = "Follow Folds";
inline constexpr std::string_view kFollowFoldsColumnsLabel = "Columns:";
inline constexpr std::string_view kFollowFoldsRowsLabel = "Rows:";
inline constexpr std::string_view kFollowFoldsStrengthLabel = "Strength:";
inline constexpr int kFoldCellsMax = 10000;
inline constexpr double kFoldStrengthMax = 1000;

class TFoldPrompt {
public:
  virtual ~TFoldPrompt() = default;
  // The lattice and its strength, or nothing when the user cancels.
  virtual std::optional<TFoldOptions> AskFoldOptions() = 0;
};

}  // namespace kelvane
