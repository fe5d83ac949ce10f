#pragma once
#include <cstdint>
#include <vector>

#include "../raster/TBitmap32.h"
#include "GridTools.h"
#include "KVXGridTools.h"
#include "TKVXLayer.h"
#include "TOverlayCanvas.h"

namespace kelvane {

// The UV texture editor without its window: the current object's grid shown over its
// texture by the nodes' texture coordinates, and tools that move them.
//
// A node's texture position is (U x texture width, V x texture height) in texture
// pixels, the point of the texture the renderer samples for it (one repeat per unit of U
// and V), so what the editor shows is what Fill renders. The editor works on the live
// grid; each gesture and command is recorded through the recorder.
class TuveditorLayer {
public:
  enum TUVTool : uint8_t { uvMove = 1, uvScale = 2, uvRotate = 3, uvGroupMove = 5 };
  static constexpr TColor32 kLineColor = 0xFF0000FFu;
  // A node is hit within this many pixels, of the texture at zoom 1 and above, of the
  // screen below.
  static constexpr double kHitPixels = 3;

  TMapGrid* Grid = nullptr;  // the object's grid, shared
  TBitmap32 Texture;         // the texture shown; what tile X and tile Y change
  uint8_t Tool = uvMove;
  int32_t PressedNode = -1;  // -2: the press was on empty space
  int32_t HoverNode = -1;
  std::vector<int64_t> Selection;  // each node once
  TPlanarVector Pivot;             // texture pixels
  float RotationAngle = 0;
  TGridRecorder* Recorder = nullptr;

  // The overlay over the view's client area; the texture's top-left corner at (Left,
  // Top) and Zoom view pixels per texture pixel.
  TOverlayCanvas Overlay;
  double Zoom = 1, Left = 0, Top = 0;

  // The grid and a copy of the texture; the pivot at the texture's centre.
  void Open(TMapGrid* grid, const TBitmap32& texture);
  // A new texture (opened, or tiled): shown, the pivot at its centre.
  void SetTexture(const TBitmap32& texture);
  void SetTool(int tool);

  // The zoom at which the view shows the whole texture.
  static double FitZoom(int viewWidth, int viewHeight, int textureWidth, int textureHeight);
  // Where the view shows the texture; the overlay takes the client area and is redrawn.
  void UpdateViewMapping(const TViewPlacement& view);
  void Redraw();
  TRect TakeDirtyRect() { return Overlay.TakeDirty(); }

  TPlanarVector TexturePosition(int32_t node) const;
  TNodePlane Plane() const;

  // Positions in texture pixels.
  void MouseDown(double px, double py, const TGridMouse& mouse);
  void MouseMove(double px, double py);
  // Whether the gesture changed the grid.
  bool MouseUp();

  // With a hovered node: a column (a row) inserted at its column (row).
  bool AddVertLine();
  bool AddHorLine();
  // "Align Grid": lattice node (r, c) at texture position (c (width div Cols),
  // r (height div Rows)); the pivot at the texture's centre.
  bool AlignGrid();
  // The texture twice as wide (high), repeated side by side (one above the other); false
  // when that would be too large.
  bool TileX();
  bool TileY();

private:
  bool ValidNode(int64_t i) const { return Grid && i >= 0 && size_t(i) < Grid->Nodes.size(); }
  void CentrePivot();
  bool Tile(int across, int down);
  bool AddLine(bool column);
  template <class F>
  bool RecordedEdit(F&& change);
  void DragMove(const TPlanarVector& d, double px);
  void DragScale(const TPlanarVector& d, double px);
  void DragRotate(const TPlanarVector& d, double px);
  void DragGroup(const TPlanarVector& d, double px);

  double lastX_ = 0, lastY_ = 0;
  TMapGrid pressSnapshot_;
  bool pressed_ = false;
};

}  // namespace kelvane
