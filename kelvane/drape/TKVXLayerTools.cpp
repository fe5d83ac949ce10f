// The grid tools of the object layer: what each tool does with the mouse, and the
// panel's grid commands.
#include <algorithm>
#include <cmath>

#include "GridRibbon.h"
#include "TKVXLayer.h"

namespace kelvane {

TPlanarVector TKVXLayer::ToNode(double px, double py) const {
  return {PixelToNode(px, Width), PixelToNode(py, Height)};
}

// A node is hit within "Node Size:" overlay pixels each way, at any zoom.
double TKVXLayer::NodeToleranceX() const { return std::clamp(NodeSize, 2, 10) / HalfW; }
double TKVXLayer::NodeToleranceY() const { return std::clamp(NodeSize, 2, 10) / HalfH; }

// An edge within "Node Size:" image pixels at zoom 1, and as many overlay pixels at any
// other zoom, so edges stay within reach when the whole photograph is in view.
double TKVXLayer::EdgeTolerance() const {
  return std::clamp(NodeSize, 2, 10) / (std::max(1, std::min(Width, Height)) * Zoom);
}

int32_t TKVXLayer::NodeAt(const TPlanarVector& p) const {
  return FirstNodeWithin(*Grid, kPositionPlane, p, NodeToleranceX(), NodeToleranceY());
}

void TKVXLayer::SetTool(int tool) {
  if (tool < 0 || tool >= kGridToolCount) return;
  if (Grid)
    if (const auto c = GridCentre(*Grid)) Pivot = {c->first, c->second};
  pressedButton_ = -1;
  if (tool == gmVertBrush && ToolMode != gmVertBrush) {
    // The brush extends the bottom edge: it starts on a grid of one row, whose selected
    // edge (or the last cell's bottom edge) becomes the bottom edge. Choosing it again
    // while it paints (as activating the window does) keeps it.
    if (Grid && Grid->Rows > 1) return;
    pressedButton_ = kGridToolPressedButton[gmVertBrush];
    RecordedEdit([&] {
      const auto edge = RelabelCorners(*Grid, HasEdge() ? std::optional(SelectedEdge) : std::nullopt);
      if (edge) SelectedEdge = *edge;
    });
  }
  pressedButton_ = kGridToolPressedButton[tool];
  ChangeMarks([&] { ToolMode = uint8_t(tool); });
}

void TKVXLayer::MouseDown(double px, double py, const TGridMouse& mouse) {
  if (!Grid) return;
  if (mouse.Right) SetTool(gmNone);
  pressSnapshot_ = *Grid;
  pressed_ = true;
  lastX_ = px;
  lastY_ = py;
  const TPlanarVector p = ToNode(px, py);
  if (ToolMode == gmDrawGrid) {
    SelectedEdge = {-1, -1};
    rectLeft_ = rectRight_ = px;
    rectTop_ = rectBottom_ = py;
    drawingRect_ = true;
    BeginGridEdit();
  } else if (ToolMode == gmHorBrush || ToolMode == gmVertBrush) {
    Brush(p, true);
  } else if (ToolMode == gmPerspective) {
    PressPerspective(p);
  } else {
    PressOther(p, mouse);
  }
}

void TKVXLayer::Brush(const TPlanarVector& p, bool append) {
  if (!IsRibbon(*Grid)) return;
  if (ToolMode == gmHorBrush && append) SelectedEdge = {-1, -1};
  BeginGridEdit();
  if (ToolMode == gmHorBrush)
    ExtendRibbonMitred(*Grid, p, append);
  else
    ExtendRibbon(*Grid, p, append);
  EndGridEdit();
}

void TKVXLayer::PressOther(const TPlanarVector& p, const TGridMouse& mouse) {
  ChangeMarks([&] {
    const auto edge = FindEdge(*Grid, p.X, p.Y, EdgeTolerance());
    SelectedEdge = edge ? *edge : std::pair{-1, -1};
    HoverNode = NodeAt(p);
    PressedNode = HoverNode >= 0 ? HoverNode : -2;
    // Shift adds and Alt removes the node pressed, or the ends of the edge pressed; a
    // node takes precedence over the edges through it.
    std::vector<int64_t> picked;
    if (HoverNode >= 0)
      picked = {HoverNode};
    else if (edge)
      picked = {edge->first, edge->second};
    for (int64_t i : picked) {
      if (mouse.Shift) SelectNode(Selection, i);
      if (mouse.Alt) DeselectNode(Selection, i);
    }
  });
}

void TKVXLayer::PressPerspective(const TPlanarVector& p) {
  ChangeMarks([&] {
    PressedNode = -2;
    pressedCorner_ = -1;
    const auto nodes = LatticeCornerNodes(*Grid);
    if (!nodes) return;
    corners_ = *LatticeOutline(*Grid);
    for (int k = 0; k < 4; ++k) {
      const TPlanarVector& c = corners_[size_t(k)];
      if (std::fabs(c.X - p.X) < NodeToleranceX() && std::fabs(c.Y - p.Y) < NodeToleranceY()) {
        pressedCorner_ = k;
        cornerTarget_ = c;
        PressedNode = HoverNode = (*nodes)[size_t(k)];
        break;
      }
    }
  });
}

void TKVXLayer::MouseMove(double px, double py, const TGridMouse& mouse) {
  if (ToolMode == gmDrawGrid && mouse.Left) {
    if (!drawingRect_) return;
    DrawRubber(0);
    rectRight_ = px;
    rectBottom_ = py;
    DrawRubber(kLineColor);
    return;
  }
  if (!Grid) return;
  const TPlanarVector p = ToNode(px, py);
  if (ToolMode == gmHorBrush || ToolMode == gmVertBrush) {
    Brush(p, false);  // the last cell follows the mouse, button or not
    return;
  }
  if (PressedNode == -1) {
    Hover(p);
    return;
  }
  const double dx = px - lastX_, dy = py - lastY_;
  lastX_ = px;
  lastY_ = py;
  const TDrag drag{{2 * dx / Width, 2 * dy / Height}, dx, dy, p.X};
  using TDragFn = void (*)(TKVXLayer&, const TDrag&);
  static constexpr TDragFn kDrag[kGridToolCount] = {
      [](TKVXLayer& l, const TDrag& d) { l.DragPoint(d); },        // gmNone
      [](TKVXLayer& l, const TDrag& d) { l.DragPoint(d); },        // gmPoint
      [](TKVXLayer& l, const TDrag& d) { l.DragScale(d); },        // gmScale
      [](TKVXLayer& l, const TDrag& d) { l.DragRotate(d); },       // gmRotate
      [](TKVXLayer&, const TDrag&) {},                             // gmScale2
      [](TKVXLayer& l, const TDrag& d) { l.DragGroup(d); },        // gmGroupMove
      [](TKVXLayer&, const TDrag&) {},                             // the brushes and Draw Grid
      [](TKVXLayer&, const TDrag&) {},                             //   take the mouse before
      [](TKVXLayer&, const TDrag&) {},                             //   any drag
      [](TKVXLayer& l, const TDrag& d) { l.DragPerspective(d); },  // gmPerspective
  };
  BeginGridEdit();
  if (ToolMode < kGridToolCount) kDrag[ToolMode](*this, drag);
  EndGridEdit();
}

void TKVXLayer::Hover(const TPlanarVector& p) {
  const auto edge = FindEdge(*Grid, p.X, p.Y, EdgeTolerance());
  Cursor = edge ? TGridCursor::Edge : TGridCursor::Default;
  // An edge once found stays selected until another is; the hovered node likewise.
  const auto newEdge = edge ? *edge : SelectedEdge;
  int32_t hover = HoverNode;
  if (FieldOfView == 0) {
    const int32_t n = LastNodeWithin(*Grid, kPositionPlane, p, NodeToleranceX(), NodeToleranceY());
    if (n >= 0) hover = n;
  }
  if (newEdge != SelectedEdge || hover != HoverNode)
    ChangeMarks([&] {
      SelectedEdge = newEdge;
      HoverNode = hover;
    });
}

void TKVXLayer::DragPoint(const TDrag& d) {
  if (PressedNode >= 0) {
    MoveNode(*Grid, PressedNode, d.d.X, d.d.Y);
  } else if (HasEdge()) {
    MoveNode(*Grid, SelectedEdge.first, d.d.X, d.d.Y);
    MoveNode(*Grid, SelectedEdge.second, d.d.X, d.d.Y);
  } else {
    TranslateNodes(*Grid, d.d.X, d.d.Y);
  }
}

void TKVXLayer::DragScale(const TDrag& d) {
  if (PressedNode < 0) {
    DragPoint(d);
    Pivot = {Pivot.X + d.d.X, Pivot.Y + d.d.Y};
  } else if (ValidNode(PressedNode)) {
    const TMapNode& n = Grid->Nodes[size_t(PressedNode)];
    ScaleNodesAbout(*Grid, kPositionPlane, Pivot, ScaleFactors({n.X, n.Y}, Pivot, d.d));
  }
}

void TKVXLayer::DragRotate(const TDrag& d) {
  if (PressedNode < 0) {
    // Empty space moves the pivot, and the grid with it unless an edge is selected.
    if (!HasEdge()) TranslateNodes(*Grid, d.d.X, d.d.Y);
    Pivot = {Pivot.X + d.d.X, Pivot.Y + d.d.Y};
    return;
  }
  RotationAngle = RotationStep(d.dx, d.dy, d.x < Pivot.X);
  TurnNodesAbout(*Grid, kPositionPlane, Pivot, RotationAngle);
}

void TKVXLayer::DragGroup(const TDrag& d) { MoveNodes(*Grid, kPositionPlane, Selection, d.d); }

void TKVXLayer::DragPerspective(const TDrag& d) {
  if (pressedCorner_ < 0) return;
  // The corner follows the mouse while the outline stays convex, and waits otherwise.
  cornerTarget_ = {cornerTarget_.X + d.d.X, cornerTarget_.Y + d.d.Y};
  TQuad q = corners_;
  q[size_t(pressedCorner_)] = cornerTarget_;
  if (ApplyPerspective(*Grid, q)) corners_ = q;
}

bool TKVXLayer::MouseUp() {
  InMouseUp = true;
  if (Grid) {
    if (ToolMode == gmDrawGrid && drawingRect_) FinishDrawGrid();
    BeginGridEdit();
    EndGridEdit();
  }
  InMouseUp = false;
  PressedNode = -1;
  pressedCorner_ = -1;
  drawingRect_ = false;
  const bool pressed = pressed_;
  pressed_ = false;
  return pressed && Grid && RecordGridChange(Recorder, *Grid, pressSnapshot_);
}

void TKVXLayer::FinishDrawGrid() {
  DrawRubber(0);
  drawingRect_ = false;
  TDivideGridAnswer answer;
  if (DividePrompt) {
    const auto asked = DividePrompt->AskDivideGrid();
    if (!asked) return;  // Cancel: the grid stays and so does the tool
    answer = *asked;
  }
  auto px = [](double v) { return int(OverlayCoordinate(v)); };
  const int left = px(std::min(rectLeft_, rectRight_)), right = px(std::max(rectLeft_, rectRight_));
  const int top = px(std::min(rectTop_, rectBottom_)), bottom = px(std::max(rectTop_, rectBottom_));
  // A click without dragging still gives cells of one pixel, not of none.
  DivideRect(*Grid, left, top, right == left ? right + 1 : right, bottom == top ? bottom + 1 : bottom, Width, Height,
             std::clamp(answer.Columns, kDivideGridMin, kDivideGridMax),
             std::clamp(answer.Rows, kDivideGridMin, kDivideGridMax));
  Selection.clear();
  HoverNode = -1;
  SetTool(gmNone);
}

bool TKVXLayer::AddLine(bool column) {
  if (!ValidNode(HoverNode)) return false;
  return RecordedEdit([&] {
    SelectedEdge = {-1, -1};
    Selection.clear();
    if (const auto moved = InsertLineAtNode(*Grid, HoverNode, column)) HoverNode = *moved;
  });
}

bool TKVXLayer::AddVertLine() { return AddLine(true); }
bool TKVXLayer::AddHorLine() { return AddLine(false); }

bool TKVXLayer::ResetGrid() {
  return RecordedEdit([&] {
    ResetNodePositions(*Grid);
    Pivot = {0, 0};  // the centre of the reset lattice
  });
}

bool TKVXLayer::FitGridToSelection(const TByteMap& mask) {
  if (mask.Width() != Width || mask.Height() != Height) return false;
  return RecordedEdit([&] {
    if (!FitGridToMask(*Grid, mask)) return;
    Selection.clear();
    HoverNode = -1;
    SelectedEdge = {-1, -1};
  });
}

}  // namespace kelvane
