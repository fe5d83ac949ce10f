#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "KVXGridTools.h"
#include "PlanarMath.h"

// The grid editing tools: their numbers and the buttons of the grid tool panel, the
// mouse state the window hands over, and the node geometry the tools share with the UV
// texture editor.
namespace kelvane {

// The numbers held in the object layer's ToolMode.
enum TGridTool : uint8_t {
  gmNone = 0,       // drag a node, an edge or the whole grid
  gmPoint = 1,      // the same
  gmScale = 2,      // scale about the pivot
  gmRotate = 3,     // rotate about the pivot
  gmScale2 = 4,     // no mouse behaviour
  gmGroupMove = 5,  // move the selected nodes together
  gmHorBrush = 6,   // ribbon brush with mitred joints
  gmVertBrush = 7,  // ribbon brush
  gmDrawGrid = 8,   // drag a rectangle, then divide it into a lattice
  gmPerspective = 9,  // drag the four corners; the inside follows in perspective
};
inline constexpr int kGridToolCount = 10;

// What a button of the grid tool panel ("Grid") does.
enum class TGridCommand {
  SetTool,             // the layer's SetTool(Tool)
  ResetGrid,           // the layer's ResetGrid
  AddVertLine,         // the layer's AddVertLine
  AddHorLine,          // the layer's AddHorLine
  SaveGrid,            // the document window's save-grid command
  OpenTexture,         // the document window's texture "Load..."
  OpenGrid,            // the document window's load-grid command
  FitGridToSelection,  // the layer's FitGridToSelection with the current mask
  FollowFolds,         // a lattice over the current mask that bends with the photo's folds
};

struct TGridToolButton {
  TGridCommand Command;
  int Tool;               // for SetTool; -1 otherwise
  std::string_view Hint;  // the first button has none
};

// The panel's buttons in order. Every button is enabled in grid mode only.
inline constexpr TGridToolButton kGridToolButtons[] = {
    {TGridCommand::SetTool, gmNone, ""},
    {TGridCommand::ResetGrid, -1, "Reset Grid"},
    {TGridCommand::SetTool, gmRotate, "Rotate Grid"},
    {TGridCommand::SetTool, gmScale, "Scale Grid"},
    {TGridCommand::SetTool, gmGroupMove, "Move Selected Points"},
    {TGridCommand::SetTool, gmHorBrush, "Parallel Grid Brush"},
    {TGridCommand::SetTool, gmVertBrush, "Parallel Grid Brush"},
    {TGridCommand::AddVertLine, -1, "Add Vert Line"},
    {TGridCommand::AddHorLine, -1, "Add Hor Line"},
    {TGridCommand::SetTool, gmDrawGrid, "Draw Grid"},
    {TGridCommand::SaveGrid, -1, "Save Grid"},
    {TGridCommand::OpenTexture, -1, "Open Texture"},
    {TGridCommand::OpenGrid, -1, "Open Grid"},
    {TGridCommand::SetTool, gmPerspective, "Perspective Grid"},
    {TGridCommand::FitGridToSelection, -1, "Fit Grid to Selection"},
    {TGridCommand::FollowFolds, -1, "Follow Folds"},
};

// The button that stays pressed while a tool is current (index into kGridToolButtons),
// or -1: tools 1 and 6 press none, tool 4 shows the button of tool 2.
inline constexpr int kGridToolPressedButton[kGridToolCount] = {0, -1, 3, 2, 3, 4, -1, 6, 9, 13};

// The mouse as the window hands it to a tool.
struct TGridMouse {
  bool Shift = false, Alt = false, Left = false, Right = false;
};

// Where grid edits leave their undo record: the grid just before a change and just after
// it. The document's history implements it, reading the grid it was given.
class TGridRecorder {
public:
  virtual ~TGridRecorder() = default;
  virtual void RecordGridBefore() = 0;
  virtual void RecordGridAfter() = 0;
};

// Whether `grid` differs from `before`; if so the recorder (when there is one) is shown
// the state before and then the state after. `before` is left unspecified.
bool RecordGridChange(TGridRecorder* recorder, TMapGrid& grid, TMapGrid& before);
// Runs a change of the grid and records it when it changed anything; returns whether it did.
template <class F>
bool RecordedGridChange(TGridRecorder* recorder, TMapGrid& grid, F&& change) {
  TMapGrid before = grid;
  change();
  return RecordGridChange(recorder, grid, before);
}

// The "Divide Grid" dialog after a rectangle is drawn.
struct TDivideGridAnswer {
  int Columns = 1, Rows = 1;
};
inline constexpr std::string_view kDivideGridCaption = "Divide Grid";
inline constexpr std::string_view kDivideGridColumnsLabel = "Columns:";
inline constexpr std::string_view kDivideGridRowsLabel = "Rows:";
inline constexpr int kDivideGridMin = 1, kDivideGridMax = 100, kDivideGridDefault = 1;

class TDivideGridPrompt {
public:
  virtual ~TDivideGridPrompt() = default;
  // Columns and rows, or nothing when the user cancels.
  virtual std::optional<TDivideGridAnswer> AskDivideGrid() = 0;
};

// The nodes seen on one plane: their image positions (X, Y) or their texture positions
// (U times the texture width, V times its height), so the same tool rules serve both.
struct TNodePlane {
  float TMapNode::*A = &TMapNode::X;
  float TMapNode::*B = &TMapNode::Y;
  double ScaleA = 1, ScaleB = 1;

  TPlanarVector At(const TMapNode& n) const { return {double(n.*A) * ScaleA, double(n.*B) * ScaleB}; }
  void Set(TMapNode& n, const TPlanarVector& p) const {
    n.*A = float(p.X / ScaleA);
    n.*B = float(p.Y / ScaleB);
  }
};
inline constexpr TNodePlane kPositionPlane{};
inline TNodePlane TexturePlane(int width, int height) {
  return {&TMapNode::U, &TMapNode::V, double(width), double(height)};
}

// The first (or the last) node with |a - p.X| < tolA and |b - p.Y| < tolB; -1 when none.
int32_t FirstNodeWithin(const TMapGrid& g, const TNodePlane& plane, const TPlanarVector& p, double tolA,
                        double tolB);
int32_t LastNodeWithin(const TMapGrid& g, const TNodePlane& plane, const TPlanarVector& p, double tolA,
                       double tolB);

// Moves the listed nodes (indices outside the grid are skipped), or every node.
void MoveNodes(TMapGrid& g, const TNodePlane& plane, std::span<const int64_t> nodes, const TPlanarVector& d);
void MoveAllNodes(TMapGrid& g, const TNodePlane& plane, const TPlanarVector& d);

// The scale factors of a drag of the pressed node at `pressed` by `d` about the pivot:
// f = (a - P) / (a - P - d) on each axis. An axis where the node sits on the pivot, or
// where the factor would be infinite, keeps the factor 1, so a grid never collapses to
// a line or runs off to infinity.
TPlanarVector ScaleFactors(const TPlanarVector& pressed, const TPlanarVector& pivot, const TPlanarVector& d);
void ScaleNodesAbout(TMapGrid& g, const TNodePlane& plane, const TPlanarVector& pivot, const TPlanarVector& f);
// One degree per pixel: (dx - dy) left of the pivot, (dy - dx) on its right, so a drag
// down on the right turns clockwise on screen. Single precision, as stored.
float RotationStep(double dx, double dy, bool leftOfPivot);
void TurnNodesAbout(TMapGrid& g, const TNodePlane& plane, const TPlanarVector& pivot, float theta);

// Inserts a lattice column (or row) at the column (row) of `node` and returns the index
// that node has afterwards; nothing when the grid is not a lattice or the node is not in it.
std::optional<int32_t> InsertLineAtNode(TMapGrid& g, int32_t node, bool column);

// Adds a node to a selection list once (an earlier entry is removed first), or removes
// every entry of it.
void SelectNode(std::vector<int64_t>& selection, int64_t node);
void DeselectNode(std::vector<int64_t>& selection, int64_t node);

}  // namespace kelvane
