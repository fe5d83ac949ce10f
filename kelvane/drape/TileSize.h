#pragma once
#include <string_view>
#include <utility>

#include "../raster/Result.h"
#include "KVXGridTools.h"
#include "KVXType.h"

// TileX and TileY from what the user knows: that the fabric's pattern must keep its
// proportions, or how wide the object and the fabric's repeat are in centimetres. The
// results are the ordinary tiling fields of the parameter block.
namespace kelvane {

// How long one unit of U and one unit of V are on the object: image pixels for a flat
// object, camera-space units for a scene object. Each cell's own lengths count in
// proportion to its area in (U, V), so bent grids and meshes are measured as they lie.
// With a rotation, (U, V) are first turned as the render turns them (RotateUV), so the
// lengths are along the texture's own axes.
struct TGridScale {
  double PerU = 0, PerV = 0;
  double URange = 0;  // how far U runs over the grid's nodes
  bool Valid() const { return PerU > 0 && PerV > 0 && URange > 0; }
};
TGridScale MeasureGrid(const TMapGrid& grid, int imageWidth, int imageHeight, bool scene, float rotate = 0);

// The texture's size once its seamless overlap is cropped, as the render draws it.
std::pair<int, int> PreparedTextureSize(int width, int height, float seamlessX, float seamlessY);

struct TTileRule {
  bool KeepProportions = false;  // TileY follows from TileX and the texture's proportions
  double ObjectWidthCm = 0;      // > 0 with RepeatXCm: the tiles come from real sizes
  double RepeatXCm = 0;
  double RepeatYCm = 0;          // 0: the repeat's height follows the texture's proportions
  bool Empty() const { return !KeepProportions && ObjectWidthCm <= 0; }
};

// The tiling the rule gives for a texture of texW x texH pixels on the grid; `param`
// supplies TileX (kept when only proportions are asked), the seamless overlaps and
// whether the object is a scene object. Fails when the grid has no measurable cell or
// the texture no pixels.
Result<std::pair<float, float>> RuleTiles(const TTileRule& rule, const TKVXParamBlock& param, const TMapGrid& grid,
                                          int imageWidth, int imageHeight, int texW, int texH);

// The window's and command line's range of the tiling fields.
inline constexpr float kMinTile = 0.001f, kMaxTile = 100.0f;

// The rule's controls in the "Texture Params" window.
inline constexpr std::string_view kKeepProportionsLabel = "Keep Proportions";
inline constexpr std::string_view kObjectWidthLabel = "Object Width (cm):";
inline constexpr std::string_view kRepeatLabel = "Repeat (cm):";
inline constexpr std::string_view kSetTilingLabel = "Set Tiling";
inline constexpr double kMaxCentimetres = 100000;  // a kilometre of fabric

}  // namespace kelvane
