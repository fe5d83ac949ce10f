#pragma once
#include <cstdint>
#include <string>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "KVXGridTools.h"
#include "KVXType.h"
#include "OglRender.h"

namespace kelvane {

// The object layer's state that needs no window: the current object's grid, the texture
// it drapes, the image size and the default cell size, and the entry point of the draping
// render. The document window draws the layer's overlay and feeds it the mouse.
class TKVXLayer {
public:
  enum class TRasteriser { Flat, Perspective, PerspectiveAA };

  // A 1 x 1 bitmap of the document colour until a texture is set.
  TBitmap32 Texture = TBitmap32(1, 1, 0xFFFFFFFFu);
  // The current object's grid, owned by the project; may be absent.
  TMapGrid* Grid = nullptr;
  int Width = 0, Height = 0;
  // The cell size of new lattices: 0 until the first lattice is built.
  int CellWidth = 0, CellHeight = 0;
  int32_t MaterialKey = 0;
  // The document's scene field of view; 0 for an ordinary photograph.
  float FieldOfView = 0;
  int32_t PressedNode = -1;
  // The render options the main window and the options dialog set.
  TRenderOptions Options;
  TProgress* Progress = nullptr;

  void SetImageSize(int width, int height);
  // Texture := a copy of the bitmap.
  void SetTexture(const TBitmap32& bitmap);
  // Texture := one pixel of the colour.
  void SetTexture(TColor32 color);
  void SetGrid(TMapGrid* grid, int32_t materialKey);
  // Gives a grid of fewer than two nodes the default lattice over the image.
  void EnsureLattice();

  // Which rasteriser RenderObject uses for these parameters and options.
  static TRasteriser ChooseRasteriser(const TKVXParamBlock& param, const TRenderOptions& options);
  // Draws the texture (made seamless when the parameters ask) through the grid into the
  // target, which is cleared to the colour first. Fails, drawing nothing, without a grid
  // or when the rasteriser cannot run. A coverage map gets 255 wherever a cell was drawn.
  Status RenderObject(TBitmap32& target, TColor32 color, const TKVXParamBlock& param,
                      TByteMap* coverage = nullptr) const;

  // The current grid as a grid file, and back.
  Status SaveGridFile(const std::string& path) const;
  Status LoadGridFile(const std::string& path);
};

}  // namespace kelvane
