#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GridToolsSupport.h"
#include "drape/GridRibbon.h"

using namespace kelvane;
using kelvane::test::LayerFixture;

namespace {

double Width(const TMapGrid& g) {
  auto [lo, hi] = std::minmax_element(g.Nodes.begin(), g.Nodes.end(),
                                      [](const TMapNode& a, const TMapNode& b) { return a.X < b.X; });
  return hi->X - lo->X;
}

double Height(const TMapGrid& g) {
  auto [lo, hi] = std::minmax_element(g.Nodes.begin(), g.Nodes.end(),
                                      [](const TMapNode& a, const TMapNode& b) { return a.Y < b.Y; });
  return hi->Y - lo->Y;
}

// The angle of a node about the pivot, in screen terms (Y down: growing is clockwise).
double AngleAbout(const TMapNode& n, const TPlanarVector& pivot) { return std::atan2(n.Y - pivot.Y, n.X - pivot.X); }

}  // namespace

TEST(GridTools, NodeSizeThreeAtZoomOneGrabsAtThreePixelsNotFour) {
  LayerFixture f(300, 300, 3, 3);
  const auto [x, y] = f.pixel(5);  // (100, 100)
  f.layer.MouseDown(x + 3, y, {.Left = true});
  EXPECT_EQ(f.layer.PressedNode, 5);
  f.layer.MouseUp();
  f.layer.MouseDown(x, y - 4, {.Left = true});
  EXPECT_EQ(f.layer.PressedNode, -2);
  f.layer.MouseUp();
}

TEST(GridTools, TolerancesStayInScreenPixelsWhenZoomedOut) {
  LayerFixture f(300, 300, 3, 3, 0.25);  // 3 overlay pixels are 12 image pixels
  f.layer.MouseDown(112, 100, {.Left = true});
  EXPECT_EQ(f.layer.PressedNode, 5);
  f.layer.MouseUp();
  f.layer.MouseDown(114, 100, {.Left = true});
  EXPECT_EQ(f.layer.PressedNode, -2);
  f.layer.MouseUp();
  // Edges too: 5 image pixels off the edge at x = 100 are 1.25 overlay pixels.
  f.layer.MouseMove(105, 150, {});
  EXPECT_EQ(f.layer.SelectedEdge, (std::pair{9, 5}));
  EXPECT_EQ(f.layer.Cursor, TGridCursor::Edge);
}

TEST(GridTools, EmptySpaceDragsTheEdgeUnderThePressOrElseTheWholeGrid) {
  LayerFixture f(300, 300, 3, 3);
  const TMapGrid before = f.grid;
  f.drag(150, 101, {{160, 121}});  // on the edge between nodes 5 and 6
  for (size_t i = 0; i < before.Nodes.size(); ++i) {
    const double dx = f.grid.Nodes[i].X - before.Nodes[i].X, dy = f.grid.Nodes[i].Y - before.Nodes[i].Y;
    if (i == 5 || i == 6) {
      EXPECT_NEAR(dx, 20.0 / 300, 1e-6) << i;
      EXPECT_NEAR(dy, 40.0 / 300, 1e-6) << i;
    } else {
      EXPECT_EQ(dx, 0) << i;
    }
  }
  const TMapGrid bent = f.grid;
  f.drag(250, 250, {{240, 240}});  // inside a cell, far from every edge
  for (size_t i = 0; i < bent.Nodes.size(); ++i) EXPECT_NEAR(f.grid.Nodes[i].X - bent.Nodes[i].X, -20.0 / 300, 1e-6);
}

TEST(GridTools, ShiftAddsANodeOnceAndAltRemovesIt) {
  LayerFixture f(300, 300, 3, 3);
  const auto [x, y] = f.pixel(5);
  f.click(x, y, {.Shift = true});
  f.click(x + 1, y, {.Shift = true});
  EXPECT_EQ(f.layer.Selection, (std::vector<int64_t>{5}));
  f.click(150, 200, {.Shift = true});  // an edge: both its ends
  EXPECT_EQ(f.layer.Selection, (std::vector<int64_t>{5, 10, 9}));
  f.click(x, y, {.Alt = true});
  EXPECT_EQ(f.layer.Selection, (std::vector<int64_t>{10, 9}));
  EXPECT_TRUE(f.history.steps.empty()) << "clicks change no grid";

  f.layer.SetTool(gmGroupMove);
  const TMapGrid before = f.grid;
  f.drag(10, 10, {{13, 16}});
  for (size_t i = 0; i < before.Nodes.size(); ++i)
    EXPECT_EQ(f.grid.Nodes[i].X != before.Nodes[i].X, i == 9 || i == 10) << i;
}

TEST(GridTools, ScalingFollowsTheDragAwayFromOrTowardsThePivot) {
  LayerFixture f(300, 300, 3, 3);
  f.layer.SetTool(gmScale);
  const double w = Width(f.grid), h = Height(f.grid);
  auto [x, y] = f.pixel(10);  // below right of the centre
  f.drag(x, y, {{x + 10, y}});
  EXPECT_GT(Width(f.grid), w);
  EXPECT_FLOAT_EQ(Height(f.grid), h);
  const double wider = Width(f.grid);
  std::tie(x, y) = f.pixel(10);
  f.drag(x, y, {{x - 20, y}});
  EXPECT_LT(Width(f.grid), wider);
  std::tie(x, y) = f.pixel(10);
  f.drag(x, y, {{x, y + 10}});
  EXPECT_GT(Height(f.grid), h);
}

TEST(GridTools, ScalingANodeOnThePivotLeavesThatAxisAlone) {
  LayerFixture f(300, 300, 2, 2);
  f.layer.SetTool(gmScale);  // the pivot is the centre node
  f.drag(150, 150, {{170, 150}});
  EXPECT_FLOAT_EQ(Width(f.grid), 2);
  for (const TMapNode& n : f.grid.Nodes) EXPECT_TRUE(std::isfinite(n.X) && std::isfinite(n.Y));
}

TEST(GridTools, RotatingTurnsClockwiseOnTheRightWhenDraggedDown) {
  for (bool right : {true, false}) {
    LayerFixture f(300, 300, 3, 3);
    f.layer.SetTool(gmRotate);
    const TPlanarVector pivot = f.layer.Pivot;
    const TMapGrid before = f.grid;
    const auto [x, y] = f.pixel(right ? 6 : 5);
    f.drag(x, y, {{x, y + 10}});
    const double expected = (right ? 10 : -10) * std::numbers::pi / 180;
    for (size_t i : {0u, 3u, 12u, 15u})
      EXPECT_NEAR(std::remainder(AngleAbout(f.grid.Nodes[i], pivot) - AngleAbout(before.Nodes[i], pivot),
                                 2 * std::numbers::pi),
                  expected, 1e-5)
          << (right ? "right" : "left") << " node " << i;
  }
}

TEST(GridTools, AddVertLineOnTheLeftColumnInsertsHalfACellOutside) {
  LayerFixture f(300, 300, 3, 3);
  EXPECT_FALSE(f.layer.AddVertLine()) << "no node hovered yet";
  const auto [x, y] = f.pixel(4);  // row 1, column 0
  f.layer.MouseMove(x, y, {});
  ASSERT_EQ(f.layer.HoverNode, 4);
  ASSERT_TRUE(f.layer.AddVertLine());
  EXPECT_EQ(f.grid.Cols, 4);
  EXPECT_FLOAT_EQ(f.grid.Nodes[5].X, -1 - 1.0f / 3);
  EXPECT_FLOAT_EQ(f.grid.Nodes[5].U, -1.0f / 6);
  EXPECT_EQ(f.layer.HoverNode, 6);
  EXPECT_FLOAT_EQ(f.grid.Nodes[6].X, -1) << "the hover mark stays on its node";
  ASSERT_TRUE(f.layer.AddHorLine());
  EXPECT_EQ(f.grid.Rows, 4);
  EXPECT_FLOAT_EQ(f.grid.Nodes[size_t(f.layer.HoverNode)].Y, -1.0f / 3);
}

TEST(GridTools, DrawGridThenTheSecondBrushAndThreeClicksGiveAFourCellRibbon) {
  LayerFixture f(400, 400, 3, 3);
  f.layer.SetTool(gmDrawGrid);
  f.drag(100, 100, {{150, 130}, {200, 150}});
  EXPECT_EQ(f.divide.asked, 1);
  ASSERT_EQ(f.grid.Cols, 1);
  ASSERT_EQ(f.grid.Rows, 1);
  EXPECT_EQ(f.layer.ToolMode, gmNone);
  f.layer.SetTool(gmVertBrush);
  EXPECT_EQ(f.layer.ToolMode, gmVertBrush);
  for (double y : {220.0, 290.0, 380.0}) {
    f.layer.MouseMove(150, y, {});
    f.click(150, y);
  }
  ASSERT_EQ(f.grid.Cells.size(), 4u);
  EXPECT_EQ(f.grid.Rows, 4);
  f.layer.SetTool(gmVertBrush);  // as activating the window does
  EXPECT_EQ(f.layer.PressedToolButton(), 6);
  ASSERT_TRUE(IsRibbon(f.grid));
  // V runs 0 .. 1, each cell's share being its length.
  auto mid = [&](int32_t a, int32_t b) {
    return TPlanarVector{(f.grid.Nodes[a].X + f.grid.Nodes[b].X) / 2, (f.grid.Nodes[a].Y + f.grid.Nodes[b].Y) / 2};
  };
  double total = 0;
  std::vector<double> lengths;
  for (const TMapCell& c : f.grid.Cells)
    total += lengths.emplace_back(Distance(mid(c.TopLeft, c.TopRight), mid(c.BottomLeft, c.BottomRight)));
  EXPECT_EQ(f.grid.Nodes[size_t(f.grid.Cells[0].TopLeft)].V, 0);
  double s = 0;
  for (size_t i = 0; i < 4; ++i) {
    s += lengths[i];
    EXPECT_NEAR(f.grid.Nodes[size_t(f.grid.Cells[i].BottomLeft)].V, s / total, 1e-5) << i;
    EXPECT_EQ(f.grid.Nodes[size_t(f.grid.Cells[i].BottomRight)].U, 1);
  }
  EXPECT_FLOAT_EQ(f.grid.Nodes.back().V, 1);
}

TEST(GridTools, TheMitredBrushTurnsTheFirstCellAndMitresTheJoints) {
  LayerFixture f(400, 400, 3, 3);
  f.layer.SetTool(gmDrawGrid);
  f.drag(100, 100, {{200, 150}});  // 100 x 50 pixels: 0.5 x 0.25 node units
  f.layer.SetTool(gmHorBrush);
  auto node = [&](int32_t i) { return TPlanarVector{f.grid.Nodes[size_t(i)].X, f.grid.Nodes[size_t(i)].Y}; };
  auto mid = [&](int32_t a, int32_t b) { return TPlanarVector{(node(a).X + node(b).X) / 2, (node(a).Y + node(b).Y) / 2}; };
  // One cell turns, rigidly, about the middle of its top edge to point at the mouse.
  f.layer.MouseMove(250, 200, {});
  const TPlanarVector t = mid(0, 1), b = mid(2, 3);
  EXPECT_NEAR(t.X, -0.25, 1e-6);
  EXPECT_NEAR(t.Y, -0.5, 1e-6);
  EXPECT_NEAR(b.X - t.X, b.Y - t.Y, 1e-6) << "pointing down and to the right";
  EXPECT_NEAR(Distance(node(0), node(1)), 0.5, 1e-6);
  EXPECT_NEAR(Distance(t, b), 0.25, 1e-6);
  // Straight down again, a click, and the next joint lies across the ribbon at its width.
  f.layer.MouseMove(150, 250, {});
  f.click(150, 250);
  ASSERT_EQ(f.grid.Cells.size(), 2u);
  f.layer.MouseMove(150, 350, {});
  const TMapCell& second = f.grid.Cells[1];
  EXPECT_NEAR(node(second.TopRight).X - node(second.TopLeft).X, 0.5, 1e-5);
  EXPECT_NEAR(node(second.TopRight).Y - node(second.TopLeft).Y, 0, 1e-5);
}

TEST(GridTools, DivideCancelKeepsTheGridAndTool8) {
  LayerFixture f(300, 300, 3, 3);
  f.divide.answer.reset();
  f.layer.SetTool(gmDrawGrid);
  const TMapGrid before = f.grid;
  EXPECT_FALSE(f.drag(10, 10, {{100, 100}}));
  EXPECT_EQ(f.grid, before);
  EXPECT_EQ(f.layer.ToolMode, gmDrawGrid);
  EXPECT_EQ(f.layer.PressedToolButton(), 9);
  EXPECT_EQ(kGridToolButtons[9].Hint, "Draw Grid");

  // Answers outside 1..100 are held to it; a click without dragging still spans a pixel.
  f.divide.answer = TDivideGridAnswer{0, 500};
  f.click(50, 60);
  EXPECT_EQ(f.grid.Cols, 1);
  EXPECT_EQ(f.grid.Rows, 100);
  EXPECT_GT(Width(f.grid), 0);
}

TEST(GridTools, PanelButtonsFollowTheTool) {
  LayerFixture f(300, 300, 3, 3);
  EXPECT_EQ(f.layer.PressedToolButton(), 0);
  f.layer.SetTool(gmScale2);
  EXPECT_EQ(kGridToolButtons[size_t(f.layer.PressedToolButton())].Hint, "Scale Grid");
  f.layer.SetTool(gmHorBrush);
  EXPECT_EQ(f.layer.PressedToolButton(), -1);
  f.layer.SetTool(gmRotate);
  f.layer.SetTool(gmVertBrush);  // three rows: refused, every button up
  EXPECT_EQ(f.layer.ToolMode, gmRotate);
  EXPECT_EQ(f.layer.PressedToolButton(), -1);
  // The brushes leave grids of several columns alone.
  f.layer.SetTool(gmHorBrush);
  const TMapGrid before = f.grid;
  f.click(150, 150);
  f.layer.MouseMove(10, 290, {});
  EXPECT_EQ(f.grid, before);
}

TEST(GridTools, EveryGestureUndoesAndRedoes) {
  LayerFixture f(300, 300, 3, 3);
  const TMapGrid start = f.grid;
  std::vector<TMapGrid> states{start};
  auto keep = [&] { states.push_back(f.grid); };
  f.drag(100, 100, {{110, 105}});  // a node
  keep();
  f.drag(150, 200, {{150, 230}});  // an edge
  keep();
  f.layer.SetTool(gmRotate);
  f.drag(200, 100, {{200, 120}});
  keep();
  f.layer.SetTool(gmScale);
  f.drag(300, 300, {{320, 280}});
  keep();
  const auto [hx, hy] = f.pixel(5);
  f.layer.MouseMove(hx, hy, {});
  ASSERT_TRUE(f.layer.AddHorLine());
  keep();
  f.layer.ResetGrid();
  keep();
  f.layer.SetTool(gmDrawGrid);
  f.drag(20, 20, {{120, 90}});
  keep();
  ASSERT_EQ(f.history.steps.size(), states.size() - 1);
  for (size_t i = states.size() - 1; i-- > 0;) {
    ASSERT_TRUE(f.history.Undo());
    EXPECT_EQ(f.grid, states[i]) << "undo to state " << i;
  }
  for (size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(f.history.Redo());
    EXPECT_EQ(f.grid, states[i]) << "redo to state " << i;
  }
  EXPECT_EQ(f.history.befores, int(states.size() - 1));
}

TEST(GridTools, StaleMarksAfterTheGridShrinksAreHarmless) {
  LayerFixture f(300, 300, 3, 3);
  f.click(300, 300, {.Shift = true});
  f.layer.MouseMove(300, 300, {});
  TMapGrid small;
  DivideRect(small, 0, 0, 300, 300, 300, 300, 1, 1);
  f.grid = small;  // as an undo does, behind the layer's back
  f.layer.SetTool(gmGroupMove);
  f.drag(10, 10, {{20, 20}});
  EXPECT_FALSE(f.layer.AddVertLine());
  f.layer.Redraw();
  EXPECT_EQ(f.grid.Nodes.size(), 4u);
}
