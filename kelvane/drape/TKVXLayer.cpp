#include "TKVXLayer.h"

#include <cmath>

#include "KVXUtils.h"

namespace kelvane {

void TKVXLayer::SetImageSize(int width, int height) {
  Width = width;
  Height = height;
}

void TKVXLayer::SetTexture(const TBitmap32& bitmap) { Texture = bitmap; }

void TKVXLayer::SetTexture(TColor32 color) { Texture = TBitmap32(1, 1, color); }

void TKVXLayer::SetGrid(TMapGrid* grid, int32_t materialKey) {
  Grid = grid;
  MaterialKey = materialKey;
  PressedNode = -1;
}

void TKVXLayer::EnsureLattice() {
  if (Grid && Grid->Nodes.size() < 2) BuildLattice(*Grid, Width, Height, CellWidth, CellHeight);
}

TKVXLayer::TRasteriser TKVXLayer::ChooseRasteriser(const TKVXParamBlock& param, const TRenderOptions& options) {
  if (param.FieldOfView == 0) return TRasteriser::Flat;
  return options.AntialiasingRender && options.Passes > 0 ? TRasteriser::PerspectiveAA : TRasteriser::Perspective;
}

Status TKVXLayer::RenderObject(TBitmap32& target, TColor32 color, const TKVXParamBlock& param,
                               TByteMap* coverage) const {
  if (!Grid) return fail("The object has no grid");
  // The texture as it is, or its seamless crop; the layer's own texture never changes.
  TBitmap32 seamless;
  if (param.SeamlessX != 0 || param.SeamlessY != 0)
    seamless = MakeSeamless(Texture, int(std::nearbyint(Texture.Width() * double(param.SeamlessX))),
                            int(std::nearbyint(Texture.Height() * double(param.SeamlessY))));
  const TBitmap32& prepared = seamless.Empty() ? Texture : seamless;
  const TTexturePlacement place{param.Rotate, param.ShiftX, param.ShiftY, param.TileX, param.TileY};
  switch (ChooseRasteriser(param, Options)) {
    case TRasteriser::PerspectiveAA:
      return RenderPerspectiveAA(*Grid, prepared, target, place, color, param.FieldOfView, MaterialKey, Options,
                                 Progress, coverage);
    case TRasteriser::Perspective:
      return RenderPerspective(*Grid, prepared, target, place, color, param.FieldOfView, Options, Progress,
                               coverage);
    case TRasteriser::Flat:
      break;
  }
  return RenderFlat(*Grid, prepared, target, place, color, Options, Progress, coverage);
}

Status TKVXLayer::SaveGridFile(const std::string& path) const {
  if (!Grid) return fail("The object has no grid");
  return kelvane::SaveGridFile(path, *Grid);
}

Status TKVXLayer::LoadGridFile(const std::string& path) {
  if (!Grid) return fail("The object has no grid");
  auto g = kelvane::LoadGridFile(path);
  if (!g) return fail(g.error());
  *Grid = std::move(g.value());
  return Ok{};
}

}  // namespace kelvane
