#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"
#include "GridTools.h"
#include "KVXGridTools.h"
#include "KVXType.h"
#include "FollowFolds.h"
#include "OglRender.h"
#include "PerspectiveGrid.h"
#include "TOverlayCanvas.h"

namespace kelvane {

// How the image view shows the image: where the image's top-left corner lies in the
// view's client area (negative when scrolled past), the zoom, and the client area.
struct TViewPlacement {
  double OffsetX = 0, OffsetY = 0;
  double Zoom = 1;
  int ViewWidth = 0, ViewHeight = 0;
};

enum class TGridCursor { Default, Edge };

// The object layer: the current object's grid, the texture it drapes and the entry point
// of the draping render; in grid mode also the overlay the window draws over the visible
// part of the image (at master alpha 180) and the grid tools that take the mouse.
//
// The window hands over mouse positions in image pixels, tells the layer how the view
// shows the image (UpdateViewMapping), and repaints the overlay's dirty rectangle
// (TakeDirtyRect) at OverlayRect after every call.
class TKVXLayer {
public:
  enum class TRasteriser { Flat, Perspective, PerspectiveAA };
  static constexpr TColor32 kLineColor = 0xFF0000FFu;
  static constexpr uint8_t kOverlayAlpha = 180;

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
  // The render options the main window and the options dialog set.
  TRenderOptions Options;
  TProgress* Progress = nullptr;

  // Options of the options dialog: "Node Size:" (2..10) and "Show texture when drag".
  int NodeSize = 3;
  bool ShowTextureWhenDrag = false;
  // What the texture preview renders with: the document colour and the current
  // object's parameter block.
  TColor32 PreviewColor = 0xFFFFFFFFu;
  TKVXParamBlock PreviewParam;

  // Undo records of grid changes and the "Divide Grid" dialog; without a prompt the
  // dialog's defaults (1 x 1) are taken.
  TGridRecorder* Recorder = nullptr;
  TDivideGridPrompt* DividePrompt = nullptr;

  // ---- the view mapping and the overlay ----
  // Node (x, y) is drawn at overlay pixel (Round(x HalfW + CX), Round(y HalfH + CY)).
  double HalfW = 0, HalfH = 0, CX = 0, CY = 0, Zoom = 1;
  // Where the overlay lies in the view's client area: the visible part of the image.
  TRect OverlayRect;
  TOverlayCanvas Overlay;
  TColor32 LineColor = kLineColor;
  bool Erasing = false;
  bool InMouseUp = false;
  // Whether the overlay holds the texture preview (redrawn with every grid change).
  bool PreviewShown = false;

  // ---- the tool state ----
  uint8_t ToolMode = gmNone;
  // The node pressed: -1 between a release and the next press, -2 for empty space.
  int32_t PressedNode = -1;
  int32_t HoverNode = -1;
  std::pair<int32_t, int32_t> SelectedEdge{-1, -1};
  std::vector<int64_t> Selection;  // each node once
  TPlanarVector Pivot;             // node units
  float RotationAngle = 0;
  TGridCursor Cursor = TGridCursor::Default;

  void SetImageSize(int width, int height);
  // Texture := a copy of the bitmap, or one pixel of the colour. Code that writes
  // Texture directly calls TextureChanged afterwards, so the preview notices.
  void SetTexture(const TBitmap32& bitmap);
  void SetTexture(TColor32 color);
  void TextureChanged() { ++textureGeneration_; }
  // Makes the grid current; the marks of the previous grid are forgotten.
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
  // The same for the visible part of the image only, at the overlay's resolution: the
  // target gets the overlay's size and shows what RenderObject would show there, scaled.
  Status RenderVisible(TBitmap32& target, TColor32 color, const TKVXParamBlock& param) const;

  // The current grid as a grid file, and back (an undoable change).
  Status SaveGridFile(const std::string& path) const;
  Status LoadGridFile(const std::string& path);

  // ---- drawing ----
  // Recomputes the mapping and resizes the overlay to the visible part; redraws it.
  void UpdateViewMapping(const TViewPlacement& view);
  void BeginGridEdit();
  void EndGridEdit();
  void DrawGridLines();
  void DrawNodes();
  // The overlay drawn afresh (the preview kept when it was shown).
  void Redraw();
  // The overlay emptied and the preview dropped, as when grid mode starts.
  void ClearOverlay();
  TRect TakeDirtyRect() { return Overlay.TakeDirty(); }

  // ---- the tools ----
  void SetTool(int tool);
  // The panel's button that is pressed now (index into kGridToolButtons), or -1.
  int PressedToolButton() const { return pressedButton_; }
  void MouseDown(double px, double py, const TGridMouse& mouse);
  void MouseMove(double px, double py, const TGridMouse& mouse);
  // Returns whether the gesture since the press changed the grid.
  bool MouseUp();
  // Each returns whether the grid changed.
  bool AddVertLine();
  bool AddHorLine();
  bool ResetGrid();
  bool FitGridToSelection(const TByteMap& mask);
  // "Follow Folds": the grid becomes the fold-following lattice over the mask (one
  // recorded change); a message when it cannot be made.
  Status FollowFolds(const TBitmap32& photo, const TByteMap& mask, const TFoldOptions& options);

private:
  struct TDrag {
    TPlanarVector d;  // node units
    double dx, dy;    // image pixels
    double x;         // the mouse, node units
  };

  TPlanarVector ToNode(double px, double py) const;
  double NodeToleranceX() const;
  double NodeToleranceY() const;
  double EdgeTolerance() const;
  int32_t NodeAt(const TPlanarVector& p) const;
  bool ValidNode(int64_t i) const { return Grid && i >= 0 && size_t(i) < Grid->Nodes.size(); }
  bool HasEdge() const { return ValidNode(SelectedEdge.first) && ValidNode(SelectedEdge.second); }
  bool PreviewWanted() const;
  void DrawPreview();
  TRect RubberRect() const;
  void DrawRubber(TColor32 color);

  // Erases the lines and nodes, runs the change of the marks, draws them again.
  template <class F>
  void ChangeMarks(F&& change);
  // Runs a grid change between BeginGridEdit and EndGridEdit and records it.
  template <class F>
  bool RecordedEdit(F&& change);

  void PressOther(const TPlanarVector& p, const TGridMouse& mouse);
  void PressPerspective(const TPlanarVector& p);
  void Hover(const TPlanarVector& p);
  void FinishDrawGrid();
  bool AddLine(bool column);
  void Brush(const TPlanarVector& p, bool append);
  void DragPoint(const TDrag& d);
  void DragScale(const TDrag& d);
  void DragRotate(const TDrag& d);
  void DragGroup(const TDrag& d);
  void DragPerspective(const TDrag& d);

  double lastX_ = 0, lastY_ = 0;
  // The draw-grid rectangle in image pixels, while one is drawn.
  double rectLeft_ = 0, rectTop_ = 0, rectRight_ = 0, rectBottom_ = 0;
  bool drawingRect_ = false;
  // The four-corner tool: the corners as placed and where the pressed one is dragged to.
  TQuad corners_{};
  TPlanarVector cornerTarget_;
  int pressedCorner_ = -1;
  int pressedButton_ = 0;
  // The grid at the press, to record the gesture at the release.
  TMapGrid pressSnapshot_;
  bool pressed_ = false;
  double offsetX_ = 0, offsetY_ = 0;  // the image's top-left in overlay pixels
  // The texture the preview renders with: made seamless and of a size the renderer
  // takes directly, kept while the texture and its seamless overlap stay.
  struct TPreviewKey {
    uint64_t Generation = ~uint64_t(0);
    float SeamlessX = 0, SeamlessY = 0;
    friend bool operator==(const TPreviewKey&, const TPreviewKey&) = default;
  };
  mutable TBitmap32 previewTexture_;
  mutable TPreviewKey previewKey_;
  // The preview's rasteriser keeps its context and texture from one move to the next;
  // the serial names the preview texture it was given.
  mutable TFlatRenderer previewRenderer_;
  mutable uint64_t previewSerial_ = 0;
  uint64_t textureGeneration_ = 0;
};

template <class F>
void TKVXLayer::ChangeMarks(F&& change) {
  if (!Grid) {
    change();
    return;
  }
  Erasing = true;
  LineColor = 0;
  DrawGridLines();
  DrawNodes();
  change();
  Erasing = false;
  LineColor = kLineColor;
  DrawGridLines();
  DrawNodes();
}

template <class F>
bool TKVXLayer::RecordedEdit(F&& change) {
  return Grid && RecordedGridChange(Recorder, *Grid, [&] {
           BeginGridEdit();
           change();
           EndGridEdit();
         });
}

}  // namespace kelvane
