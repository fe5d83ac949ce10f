#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "KVXGridTools.h"

// The draping rasterisers: a texture laid through a grid mesh into a bitmap with
// OpenGL's fixed-function pipeline, in an offscreen context that needs no display.
namespace kelvane {

// Smooth: trilinear filtering over the texture's mipmaps, so a texture drawn smaller
// than its pixels averages them instead of picking some.
enum class TTextureSampling { Nearest, Linear, Smooth };

// The options the rasterisers read: the "Nearest"/"Linear"/"Smooth" choice, the pass
// count of "Anti-aliasing Level:" (-1 for "No Anti-aliasing"), "Antialiasing Render" and
// "Projective Cells".
struct TRenderOptions {
  TTextureSampling Sampling = TTextureSampling::Linear;
  int Passes = 8;
  bool AntialiasingRender = true;
  // Flat objects: each four-sided cell maps the texture projectively, so straight lines
  // of the pattern stay straight in cells that are not parallelograms.
  bool ProjectiveCells = false;
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
// RenderFlat for pictures drawn again and again, as the texture preview is on every mouse
// move: the offscreen context and the loaded texture are kept from one render to the
// next, the texture while the same texture key is given. The pixels are RenderFlat's.
// Copies start without a context of their own.
class TFlatRenderer {
public:
  TFlatRenderer();
  ~TFlatRenderer();
  TFlatRenderer(const TFlatRenderer&);
  TFlatRenderer& operator=(const TFlatRenderer&);

  // `textureKey` names the texture's contents: a new key loads it again.
  Status Render(const TMapGrid& grid, const TBitmap32& texture, uint64_t textureKey, TBitmap32& target,
                const TTexturePlacement& place, TColor32 c, const TRenderOptions& options);
  // Lets go of the context and the texture.
  void Release();

private:
  struct TState;
  std::unique_ptr<TState> state_;
};

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

// The vertical angle in degrees of the scene camera for a field of view in radians. The
// scene files' exporter and the import take pi as 3.14, so pictures and masks agree.
double SceneDegrees(float fieldOfView);

// A scene's triangles in flat identification colours: three camera-space vertices
// (x, y, z; Y up) and one colour 0x00RRGGBB per triangle.
struct TIdentificationMesh {
  std::vector<float> Positions;  // 9 per triangle
  std::vector<uint32_t> Colors;  // 1 per triangle
  void Add(const TMapNode& a, const TMapNode& b, const TMapNode& c, uint32_t color);
  size_t Count() const { return Colors.size(); }
};
// Draws the triangles through the scene camera (the square viewport of
// PerspectiveViewport, SceneDegrees, near 1, far 3e8, depth "less", no lighting and no
// antialiasing) onto a target cleared to 0. Each pixel ends as exactly the colour of the
// nearest triangle covering its centre, alpha 0, or 0 where none does. Y up: row 0 is
// the top, as RenderPerspective draws the same vertices.
Status RenderIdentification(const TIdentificationMesh& mesh, float fieldOfView, TBitmap32& target,
                            TProgress* progress = nullptr);

// One material's triangles for a shaded picture of a model, in camera space.
struct TShadedMesh {
  std::vector<float> Positions;  // 3 per vertex
  std::vector<float> Normals;    // 3 per vertex
  std::vector<float> TexCoords;  // 2 per vertex (0, 0 the texture's top left); may be empty
  std::vector<uint32_t> Indices; // 3 per triangle
  TColor32 Color = 0xFFFFFFFFu;  // multiplies the texture
  const TBitmap32* Texture = nullptr;
};
// A picture of the meshes through the scene camera of RenderIdentification, lit by one
// light from the upper left front (both sides of every face lit), antialiased by eight
// jittered passes about each pixel's centre, on the background colour.
Status RenderShaded(std::span<const TShadedMesh> meshes, float fieldOfView, TColor32 background, TBitmap32& target);

}  // namespace kelvane
