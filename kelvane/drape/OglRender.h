#pragma once
#include <cstdint>
#include <span>
#include <utility>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "KVXGridTools.h"

// The draping rasterisers: a texture laid through a grid mesh into a bitmap with
// OpenGL's fixed-function pipeline, in an offscreen context that needs no display.
namespace kelvane {

enum class TTextureSampling { Nearest, Linear };

// The options the rasterisers read: the "Nearest"/"Linear" pair, the pass count of
// "Anti-aliasing Level:" (-1 for "No Anti-aliasing") and "Antialiasing Render".
struct TRenderOptions {
  TTextureSampling Sampling = TTextureSampling::Linear;
  int Passes = 8;
  bool AntialiasingRender = true;
};

// Where the texture lies on the grid: rotation in degrees, repeats and offsets.
struct TTexturePlacement {
  float Rotate = 0, ShiftX = 0, ShiftY = 0, TileX = 1, TileY = 1;
};

// A node's (U, V) turned by `rotate` degrees about the texture's centre.
std::pair<float, float> RotateUV(float rotate, float u, float v);
// The texture coordinate a node gets: rotated, then tiled and shifted.
std::pair<float, float> NodeTexCoord(const TTexturePlacement& p, float u, float v);

// The square viewport of a perspective render on a W x H target, in OpenGL window
// coordinates (origin bottom-left): side max(W, H), centred, the shorter axis cropped.
struct TViewport {
  int X = 0, Y = 0, Width = 0, Height = 0;
  friend bool operator==(const TViewport&, const TViewport&) = default;
};
TViewport PerspectiveViewport(int width, int height);

// Each rasteriser clears the target to the colour c, then draws the cells. They fail,
// leaving the target as it was, when no OpenGL context can be made. Given a coverage
// map, they also size it to the target and set 255 wherever a drawn cell lies (0 where
// the target keeps the plain colour c).
//
// Flat objects: the cells as quads, node units straight onto the target (Y = -1 is the
// top row). Where cells overlap, the cell drawn first keeps the pixel.
Status RenderFlat(const TMapGrid& grid, const TBitmap32& texture, TBitmap32& target, const TTexturePlacement& place,
                  TColor32 c, const TRenderOptions& options, TProgress* progress = nullptr,
                  TByteMap* coverage = nullptr);
// Scene objects: each cell is the triangle TopLeft, TopRight, BottomRight in camera
// space, seen through a perspective camera of vertical field of view `fieldOfView`
// (radians) at the origin looking down -Z.
Status RenderPerspective(const TMapGrid& grid, const TBitmap32& texture, TBitmap32& target,
                         const TTexturePlacement& place, TColor32 c, float fieldOfView, const TRenderOptions& options,
                         TProgress* progress = nullptr, TByteMap* coverage = nullptr);
// The same, antialiased by options.Passes jittered passes summed in the accumulation
// buffer; only the cells keyed `materialKey` are drawn. Draws nothing unless the pass
// count is one of the jitter tables'.
Status RenderPerspectiveAA(const TMapGrid& grid, const TBitmap32& texture, TBitmap32& target,
                           const TTexturePlacement& place, TColor32 c, float fieldOfView, int32_t materialKey,
                           const TRenderOptions& options, TProgress* progress = nullptr,
                           TByteMap* coverage = nullptr);

// One object of a scene, for the antialiased mask.
struct TSceneObject {
  const TMapGrid* Grid = nullptr;
  int32_t MaterialKey = 0;
};
// The antialiased, occlusion-aware mask of objects[index]: every object drawn, that one
// white and the others black, with as many passes as the options ask (2 for "No
// Anti-aliasing"). The mask keeps its size.
Status RenderMaskAA(std::span<const TSceneObject> objects, size_t index, float fieldOfView, TByteMap& mask,
                    const TRenderOptions& options, TProgress* progress = nullptr);
// The size a w x h texture is loaded at when a side is larger than the renderer's largest
// texture (maxSide): the powers of two the mipmap builder would rescale it to, halved
// until both fit. Textures that fit keep their size.
std::pair<int, int> TextureUploadSize(int width, int height, int maxSide);
// Rows y0..y1 of the texture shrunk to width x height, each pixel the average of the
// source pixels under it; `width` 0xAARRGGBB words a row into out.
void ShrinkTextureRows(const TBitmap32& texture, int width, int height, int y0, int y1, TColor32* out);

// The passes RenderMaskAA runs for the option value.
int MaskPassCount(int passes);

}  // namespace kelvane
