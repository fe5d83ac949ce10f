#include "TKVXLayer.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "KVXUtils.h"

namespace kelvane {
namespace {

// The preview's texture side: the nearest power of two, at most this, so the renderer
// loads it as it is instead of rescaling it and building mipmaps on every mouse move.
constexpr int kPreviewTextureSide = 1024;

int PreviewSide(int side) {
  const int below = int(std::bit_floor(unsigned(side)));
  const int nearest = side - below < below * 2 - side ? below : below * 2;
  return std::clamp(nearest, 1, kPreviewTextureSide);
}

TBitmap32 Seamless(const TBitmap32& texture, const TKVXParamBlock& param) {
  return MakeSeamless(texture, int(std::nearbyint(texture.Width() * double(param.SeamlessX))),
                      int(std::nearbyint(texture.Height() * double(param.SeamlessY))));
}

TTexturePlacement PlacementOf(const TKVXParamBlock& param) {
  return {param.Rotate, param.ShiftX, param.ShiftY, param.TileX, param.TileY};
}

}  // namespace

void TKVXLayer::SetImageSize(int width, int height) {
  Width = width;
  Height = height;
  UpdateViewMapping({0, 0, 1, 0, 0});
}

void TKVXLayer::SetTexture(const TBitmap32& bitmap) {
  Texture = bitmap;
  TextureChanged();
}

void TKVXLayer::SetTexture(TColor32 color) {
  Texture = TBitmap32(1, 1, color);
  TextureChanged();
}

void TKVXLayer::SetGrid(TMapGrid* grid, int32_t materialKey) {
  Grid = grid;
  MaterialKey = materialKey;
  PressedNode = -1;
  HoverNode = -1;
  SelectedEdge = {-1, -1};
  Selection.clear();
  pressed_ = drawingRect_ = false;
  if (Grid && !Overlay.Bitmap.Empty()) Redraw();
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
  if (param.SeamlessX != 0 || param.SeamlessY != 0) seamless = Seamless(Texture, param);
  const TBitmap32& prepared = seamless.Empty() ? Texture : seamless;
  const TTexturePlacement place = PlacementOf(param);
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

Status TKVXLayer::RenderVisible(TBitmap32& target, TColor32 color, const TKVXParamBlock& param) const {
  if (!Grid) return fail("The object has no grid");
  const int ow = Overlay.Bitmap.Width(), oh = Overlay.Bitmap.Height();
  target.SetSize(ow, oh);
  if (target.Empty()) return Ok{};

  const TPreviewKey key{textureGeneration_, param.SeamlessX, param.SeamlessY};
  if (!(key == previewKey_)) {
    previewTexture_ = param.SeamlessX != 0 || param.SeamlessY != 0 ? Seamless(Texture, param) : Texture;
    if (!previewTexture_.Empty()) {
      const int w = PreviewSide(previewTexture_.Width()), h = PreviewSide(previewTexture_.Height());
      if (w != previewTexture_.Width() || h != previewTexture_.Height()) {
        previewTexture_.StretchFilter = TStretchFilter::sfLinear;
        previewTexture_ = previewTexture_.Resampled(w, h);
      }
    }
    previewKey_ = key;
    ++previewSerial_;
  }
  const TTexturePlacement place = PlacementOf(param);

  if (param.FieldOfView != 0) {
    // A scene object: the camera's picture at the displayed size (at most the image's),
    // placed where the view shows the image.
    const double s = std::min(Zoom, 1.0);
    TBitmap32 picture(std::max(1, int(std::lround(Width * s))), std::max(1, int(std::lround(Height * s))));
    if (Status st = RenderPerspective(*Grid, previewTexture_, picture, place, color, param.FieldOfView, Options);
        !st)
      return st;
    target.Clear(color | 0xFF000000u);
    picture.StretchFilter = TStretchFilter::sfLinear;
    picture.DrawTo(target, {int(OverlayCoordinate(offsetX_)), int(OverlayCoordinate(offsetY_)),
                            int(OverlayCoordinate(offsetX_ + Width * Zoom)),
                            int(OverlayCoordinate(offsetY_ + Height * Zoom))});
    return Ok{};
  }

  // A flat object: the same rasteriser on a grid whose node units are those of the
  // overlay, so the visible part fills the target. X = -1 is the image's left edge, at
  // offsetX_, and X = +1 its right edge, Width x Zoom further.
  TMapGrid visible = *Grid;
  const double ax = Width * Zoom / ow, bx = 2 * (offsetX_ + Width * Zoom / 2) / ow - 1;
  const double ay = Height * Zoom / oh, by = 2 * (offsetY_ + Height * Zoom / 2) / oh - 1;
  for (TMapNode& n : visible.Nodes) {
    n.X = float(ax * n.X + bx);
    n.Y = float(ay * n.Y + by);
  }
  return previewRenderer_.Render(visible, previewTexture_, previewSerial_, target, place, color, Options);
}

Status TKVXLayer::SaveGridFile(const std::string& path) const {
  if (!Grid) return fail("The object has no grid");
  return kelvane::SaveGridFile(path, *Grid);
}

Status TKVXLayer::LoadGridFile(const std::string& path) {
  if (!Grid) return fail("The object has no grid");
  auto g = kelvane::LoadGridFile(path);
  if (!g) return fail(g.error());
  RecordedEdit([&] {
    *Grid = std::move(g.value());
    Selection.clear();
    HoverNode = -1;
    SelectedEdge = {-1, -1};
  });
  return Ok{};
}

// ---- the view mapping and the overlay ----

void TKVXLayer::UpdateViewMapping(const TViewPlacement& view) {
  Zoom = view.Zoom > 0 && std::isfinite(view.Zoom) ? view.Zoom : 1;
  const double dw = Width * Zoom, dh = Height * Zoom;
  auto px = [](double v) { return int(std::clamp(v, -1e9, 1e9)); };
  TRect visible{std::max(0, px(std::floor(view.OffsetX))), std::max(0, px(std::floor(view.OffsetY))),
                std::min(view.ViewWidth, px(std::ceil(view.OffsetX + dw))),
                std::min(view.ViewHeight, px(std::ceil(view.OffsetY + dh)))};
  if (visible.Empty()) visible = {};
  OverlayRect = visible;
  offsetX_ = view.OffsetX - visible.Left;
  offsetY_ = view.OffsetY - visible.Top;
  HalfW = (Width - 1) * Zoom / 2;
  HalfH = (Height - 1) * Zoom / 2;
  CX = dw / 2 + offsetX_;
  CY = dh / 2 + offsetY_;
  if (Overlay.Bitmap.Width() != visible.Width() || Overlay.Bitmap.Height() != visible.Height())
    Overlay.Resize(visible.Width(), visible.Height());
  Overlay.Bitmap.DrawMode = TDrawMode::dmBlend;
  Overlay.Bitmap.MasterAlpha = kOverlayAlpha;
  if (!Overlay.Bitmap.Empty()) Redraw();
}

bool TKVXLayer::PreviewWanted() const {
  return ShowTextureWhenDrag && (InMouseUp || PressedNode != -1 || PreviewShown);
}

void TKVXLayer::DrawPreview() {
  // The render covers the whole overlay; only a failed one leaves it to be cleared.
  PreviewShown = false;
  Overlay.MarkDirty(Overlay.Bitmap.BoundsRect());
  if (!RenderVisible(Overlay.Bitmap, PreviewColor, PreviewParam)) {
    Overlay.Clear();
    return;
  }
  // The bare texture, opaque; the view blends the overlay over the image.
  TColor32* p = Overlay.Bitmap.Bits();
  for (size_t i = 0, n = size_t(Overlay.Bitmap.Width()) * Overlay.Bitmap.Height(); i < n; ++i) p[i] |= 0xFF000000u;
  PreviewShown = true;
}

void TKVXLayer::BeginGridEdit() {
  if (!Grid) return;
  Erasing = true;
  if (PreviewWanted()) return;  // the preview replaces the whole overlay
  LineColor = 0;
  DrawGridLines();
  DrawNodes();
}

void TKVXLayer::EndGridEdit() {
  Overlay.Bitmap.MasterAlpha = kOverlayAlpha;
  Erasing = false;
  LineColor = kLineColor;
  if (!Grid) return;
  if (PreviewWanted()) DrawPreview();
  DrawGridLines();
  DrawNodes();
  if (drawingRect_) DrawRubber(kLineColor);
}

void TKVXLayer::Redraw() {
  if (!ShowTextureWhenDrag) PreviewShown = false;
  if (PreviewShown)
    DrawPreview();
  else
    Overlay.Clear();
  Erasing = false;
  LineColor = kLineColor;
  DrawGridLines();
  DrawNodes();
  if (drawingRect_) DrawRubber(kLineColor);
}

void TKVXLayer::ClearOverlay() {
  PreviewShown = false;
  Overlay.Clear();
}

void TKVXLayer::DrawGridLines() {
  if (!Grid || Overlay.Bitmap.Empty()) return;
  EnsureLattice();
  const TMapGrid& g = *Grid;
  auto sx = [&](int32_t i) { return OverlayCoordinate(g.Nodes[size_t(i)].X * HalfW + CX); };
  auto sy = [&](int32_t i) { return OverlayCoordinate(g.Nodes[size_t(i)].Y * HalfH + CY); };
  auto line = [&](int32_t a, int32_t b, TColor32 c) { Overlay.Line(sx(a), sy(a), sx(b), sy(b), c); };
  for (const TMapCell& cell : g.Cells) {
    if (!ValidNode(cell.TopLeft) || !ValidNode(cell.TopRight) || !ValidNode(cell.BottomRight) ||
        !ValidNode(cell.BottomLeft))
      continue;
    line(cell.TopLeft, cell.TopRight, LineColor);
    line(cell.TopRight, cell.BottomRight, LineColor);
    line(cell.BottomRight, cell.BottomLeft, LineColor);
    line(cell.BottomLeft, cell.TopLeft, LineColor);
  }
  // Opaque green, or transparent green while erasing.
  if (HasEdge()) line(SelectedEdge.first, SelectedEdge.second, (0x00FFFFFFu | LineColor) & 0xFF00FF00u);
}

void TKVXLayer::DrawNodes() {
  if (!Grid || Overlay.Bitmap.Empty()) return;
  const int e = std::clamp(NodeSize, 2, 10);
  const TMapGrid& g = *Grid;
  // Marker colours are opaque; erasing draws them transparent.
  auto mark = [&](int64_t i, TColor32 fill, TColor32 frame) {
    if (!ValidNode(i)) return;
    const TMapNode& n = g.Nodes[size_t(i)];
    Overlay.Marker(OverlayCoordinate(n.X * HalfW + CX), OverlayCoordinate(n.Y * HalfH + CY), e,
                   Erasing ? 0 : fill | 0xFF000000u, Erasing ? 0 : frame | 0xFF000000u);
  };
  for (size_t i = 0; i < g.Nodes.size(); ++i) mark(int64_t(i), 0xFFFFFFFFu, 0xFF000000u);
  for (int64_t i : Selection) mark(i, 0xFF007F00u, 0xFF000000u);
  if (ToolMode == gmPerspective)
    if (const auto corners = LatticeCornerNodes(g))
      for (int32_t i : *corners) mark(i, 0xFF007F00u, 0xFF000000u);
  mark(HoverNode, 0xFF0000FFu, 0xFFFF0000u);
}

TRect TKVXLayer::RubberRect() const {
  auto ox = [&](double px) { return int(OverlayCoordinate(px * Zoom + offsetX_)); };
  auto oy = [&](double py) { return int(OverlayCoordinate(py * Zoom + offsetY_)); };
  const int l = ox(rectLeft_), r = ox(rectRight_), t = oy(rectTop_), b = oy(rectBottom_);
  return {std::min(l, r), std::min(t, b), std::max(l, r) + 1, std::max(t, b) + 1};
}

void TKVXLayer::DrawRubber(TColor32 color) { Overlay.Frame(RubberRect(), color); }

}  // namespace kelvane
