#include "TuveditorLayer.h"

#include <algorithm>
#include <cmath>

#include "KVXUtils.h"

namespace kelvane {

void TuveditorLayer::Open(TMapGrid* grid, const TBitmap32& texture) {
  Grid = grid;
  PressedNode = HoverNode = -1;
  Selection.clear();
  pressed_ = false;
  SetTexture(texture);
}

void TuveditorLayer::SetTexture(const TBitmap32& texture) {
  Texture = texture;
  CentrePivot();
  Redraw();
}

void TuveditorLayer::CentrePivot() { Pivot = {double(Texture.Width() / 2), double(Texture.Height() / 2)}; }

void TuveditorLayer::SetTool(int tool) {
  if (tool != uvMove && tool != uvScale && tool != uvRotate && tool != uvGroupMove) return;
  Tool = uint8_t(tool);
  Redraw();
}

double TuveditorLayer::FitZoom(int viewWidth, int viewHeight, int textureWidth, int textureHeight) {
  if (textureWidth < 1 || textureHeight < 1) return 1;
  const double z = std::min((viewWidth - 19.0) / textureWidth, (viewHeight - 19.0) / textureHeight);
  return z > 0 ? z : 1;
}

void TuveditorLayer::UpdateViewMapping(const TViewPlacement& view) {
  Zoom = view.Zoom > 0 && std::isfinite(view.Zoom) ? view.Zoom : 1;
  Left = view.OffsetX;
  Top = view.OffsetY;
  if (Overlay.Bitmap.Width() != view.ViewWidth || Overlay.Bitmap.Height() != view.ViewHeight)
    Overlay.Resize(view.ViewWidth, view.ViewHeight);
  Overlay.Bitmap.DrawMode = TDrawMode::dmBlend;
  Redraw();
}

TNodePlane TuveditorLayer::Plane() const {
  return TexturePlane(std::max(1, Texture.Width()), std::max(1, Texture.Height()));
}

TPlanarVector TuveditorLayer::TexturePosition(int32_t node) const {
  return ValidNode(node) ? Plane().At(Grid->Nodes[size_t(node)]) : TPlanarVector{};
}

void TuveditorLayer::Redraw() {
  Overlay.Clear();
  if (!Grid || Overlay.Bitmap.Empty()) return;
  const TNodePlane plane = Plane();
  auto sx = [&](const TPlanarVector& t) { return OverlayCoordinate(t.X * Zoom + Left); };
  auto sy = [&](const TPlanarVector& t) { return OverlayCoordinate(t.Y * Zoom + Top); };
  for (const TMapCell& c : Grid->Cells) {
    const int32_t corners[4] = {c.TopLeft, c.TopRight, c.BottomRight, c.BottomLeft};
    if (!std::all_of(corners, corners + 4, [&](int32_t i) { return ValidNode(i); })) continue;
    for (int k = 0; k < 4; ++k) {
      const TPlanarVector a = TexturePosition(corners[k]), b = TexturePosition(corners[(k + 1) % 4]);
      Overlay.Line(sx(a), sy(a), sx(b), sy(b), kLineColor);
    }
  }
  auto mark = [&](const TPlanarVector& t, TColor32 fill, TColor32 frame) { Overlay.Marker(sx(t), sy(t), 3, fill, frame); };
  for (const TMapNode& n : Grid->Nodes) mark(plane.At(n), 0xFFFFFFFFu, 0xFF000000u);
  for (int64_t i : Selection)
    if (ValidNode(i)) mark(TexturePosition(int32_t(i)), 0xFF007F00u, 0xFF000000u);
  if (ValidNode(HoverNode)) mark(TexturePosition(HoverNode), 0xFF0000FFu, 0xFFFF0000u);
  if (Tool != uvMove) mark(Pivot, 0xFFFF0000u, 0xFF000000u);
}

void TuveditorLayer::MouseDown(double px, double py, const TGridMouse& mouse) {
  if (!Grid) return;
  pressSnapshot_ = *Grid;
  pressed_ = true;
  const double tol = kHitPixels * std::max(1.0, 1 / Zoom);
  HoverNode = FirstNodeWithin(*Grid, Plane(), {px, py}, tol, tol);
  PressedNode = HoverNode >= 0 ? HoverNode : -2;
  if (HoverNode >= 0) {
    if (mouse.Shift) SelectNode(Selection, HoverNode);
    if (mouse.Alt) DeselectNode(Selection, HoverNode);
  }
  lastX_ = px;
  lastY_ = py;
  Redraw();
}

void TuveditorLayer::MouseMove(double px, double py) {
  if (!Grid || PressedNode == -1) return;
  const TPlanarVector d{px - lastX_, py - lastY_};
  lastX_ = px;
  lastY_ = py;
  using TDragFn = void (*)(TuveditorLayer&, const TPlanarVector&, double);
  static constexpr TDragFn kDrag[] = {
      nullptr,
      [](TuveditorLayer& l, const TPlanarVector& d, double px) { l.DragMove(d, px); },    // uvMove
      [](TuveditorLayer& l, const TPlanarVector& d, double px) { l.DragScale(d, px); },   // uvScale
      [](TuveditorLayer& l, const TPlanarVector& d, double px) { l.DragRotate(d, px); },  // uvRotate
      nullptr,
      [](TuveditorLayer& l, const TPlanarVector& d, double px) { l.DragGroup(d, px); },   // uvGroupMove
  };
  if (Tool < std::size(kDrag) && kDrag[Tool]) kDrag[Tool](*this, d, px);
  Redraw();
}

bool TuveditorLayer::MouseUp() {
  PressedNode = -1;
  if (!pressed_ || !Grid) return false;
  pressed_ = false;
  return RecordGridChange(Recorder, *Grid, pressSnapshot_);
}

void TuveditorLayer::DragMove(const TPlanarVector& d, double) {
  if (PressedNode == -2) {
    MoveAllNodes(*Grid, Plane(), d);
  } else {
    const int64_t node = PressedNode;
    MoveNodes(*Grid, Plane(), {&node, 1}, d);
  }
}

void TuveditorLayer::DragScale(const TPlanarVector& d, double) {
  if (PressedNode == -2) {
    MoveAllNodes(*Grid, Plane(), d);
    Pivot = {Pivot.X + d.X, Pivot.Y + d.Y};
  } else if (ValidNode(PressedNode)) {
    ScaleNodesAbout(*Grid, Plane(), Pivot, ScaleFactors(TexturePosition(PressedNode), Pivot, d));
  }
}

void TuveditorLayer::DragRotate(const TPlanarVector& d, double px) {
  if (PressedNode == -2) {
    MoveAllNodes(*Grid, Plane(), d);
    Pivot = {Pivot.X + d.X, Pivot.Y + d.Y};
  } else {
    RotationAngle = RotationStep(d.X, d.Y, px < Pivot.X);
    TurnNodesAbout(*Grid, Plane(), Pivot, RotationAngle);
  }
}

void TuveditorLayer::DragGroup(const TPlanarVector& d, double) { MoveNodes(*Grid, Plane(), Selection, d); }

template <class F>
bool TuveditorLayer::RecordedEdit(F&& change) {
  return Grid && RecordedGridChange(Recorder, *Grid, [&] {
           change();
           Redraw();
         });
}

bool TuveditorLayer::AddLine(bool column) {
  if (!ValidNode(HoverNode)) return false;
  return RecordedEdit([&] {
    Selection.clear();
    if (const auto moved = InsertLineAtNode(*Grid, HoverNode, column)) HoverNode = *moved;
  });
}

bool TuveditorLayer::AddVertLine() { return AddLine(true); }
bool TuveditorLayer::AddHorLine() { return AddLine(false); }

bool TuveditorLayer::AlignGrid() {
  if (!Grid || !Grid->IsLattice() || Grid->Cols < 1 || Grid->Rows < 1) return false;
  const TNodePlane plane = Plane();
  const int64_t stepX = Texture.Width() / Grid->Cols, stepY = Texture.Height() / Grid->Rows;
  return RecordedEdit([&] {
    for (int64_t r = 0; r <= Grid->Rows; ++r)
      for (int64_t c = 0; c <= Grid->Cols; ++c)
        plane.Set(Grid->Nodes[size_t(r * (Grid->Cols + 1) + c)], {double(c * stepX), double(r * stepY)});
    CentrePivot();
  });
}

bool TuveditorLayer::Tile(int across, int down) {
  const int64_t w = int64_t(Texture.Width()) * across, h = int64_t(Texture.Height()) * down;
  if (Texture.Empty() || w > TBitmap32::kMaxSide || h > TBitmap32::kMaxSide || w * h > TBitmap32::kMaxPixels)
    return false;
  TBitmap32 tiled{int(w), int(h)};
  FillTiled(tiled, Texture);
  SetTexture(tiled);
  return true;
}

bool TuveditorLayer::TileX() { return Tile(2, 1); }
bool TuveditorLayer::TileY() { return Tile(1, 2); }

}  // namespace kelvane
