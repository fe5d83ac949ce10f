#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "KVXType.h"
#include "TKVXLayer.h"

// Fill: the object's texture draped through its grid and composited into the result
// image with the photograph's shading. The document window and the command line run it.
namespace kelvane {

// The document window's checks and the "Transparent:" value.
struct TFillOptions {
  bool LevelUp = false;
  bool HiContrast = false;
  bool Glare = false;
  uint8_t Transparency = 255;
  bool Sharpen = false;  // the main window's "Sharpen mode"
  // The main window's "Use Texture Transparency": the drape covers each pixel by the
  // texture's alpha times the mask, so the photograph shows through see-through parts.
  bool TextureAlpha = false;
};
// The options an object's own parameter block holds.
TFillOptions FillOptionsOf(const TKVXParamBlock& param);

// Sharpens the drape inside the mask; given by the filter engine.
using TSharpenFn = std::function<void(TBitmap32& drape, const TByteMap& mask)>;

// What a textured fill drew that the user may not expect; the render is as always.
struct TFillReport {
  int64_t MaskedPixels = 0;
  // Masked pixels that no drawn cell covers: they get the plain colour times the shading.
  int64_t UncoveredPixels = 0;
  // A perspective render of a grid whose every Z is 0: the camera lies in that plane
  // and sees none of it.
  bool FlatGridInPerspective = false;
  // The antialiased scene render draws only the cells keyed MaterialKey; there are none.
  bool NoCellOfKey = false;
  int32_t MaterialKey = 0;

  // One line for each of the above that holds, for a warning.
  std::vector<std::string> Warnings() const;
};

struct TFillInput {
  const TBitmap32* Base = nullptr;  // the document image
  TBitmap32* Result = nullptr;      // the result image, changed under the mask
  const TByteMap* Mask = nullptr;   // the object's mask (the union of the selection's)
  // The object's texture; empty: the drape is the colour alone.
  const TBitmap32* Texture = nullptr;
  TColor32 Color = 0xFFFFFFFFu;
  TKVXParamBlock Param;
  TFillOptions Options;
  TSharpenFn Sharpen;
  TFillReport* Report = nullptr;  // filled when a texture is rendered
};

// Fill of one object: render through the layer's grid (or fill with the colour), level
// up and high contrast of a copy of the photo, then the multiply or glare composite
// through the mask. Without a mask it does nothing. The progress shows each step's
// message followed by the milliseconds since the start. A render that fails leaves the
// result as it was and reports why.
Status DrapeFill(TKVXLayer& layer, const TFillInput& in, TProgress* progress = nullptr);

// One selected object of a fill across several objects.
struct TFillObject {
  const TMapGrid* Grid = nullptr;
  int32_t MaterialKey = 0;
};
// Fill across the selected objects as one continuous surface: their grids merged by
// material key (the last object first) and rendered once, the layer's texture refilled
// with the texture tiled, and the composite through the union mask in `in.Mask`. The
// layer gets its own grid back. No step messages; the render reports through the
// layer's progress.
Status DrapeFillMulti(TKVXLayer& layer, const TFillInput& in, std::span<const TFillObject> selected);

}  // namespace kelvane
