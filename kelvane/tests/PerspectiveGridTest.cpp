#include <gtest/gtest.h>

#include "GridToolsSupport.h"
#include "drape/PerspectiveGrid.h"

using namespace kelvane;
using kelvane::test::LayerFixture;

namespace {

// Where the diagonals TL-BR and TR-BL of a quadrilateral cross.
TPlanarVector DiagonalsCross(const TQuad& q) {
  const double d1x = q[2].X - q[0].X, d1y = q[2].Y - q[0].Y, d2x = q[3].X - q[1].X, d2y = q[3].Y - q[1].Y;
  const double t = ((q[1].X - q[0].X) * d2y - (q[1].Y - q[0].Y) * d2x) / (d1x * d2y - d1y * d2x);
  return {q[0].X + t * d1x, q[0].Y + t * d1y};
}

TPlanarVector Pixel(const TMapNode& n, int w, int h) { return {NodeToPixel(n.X, w), NodeToPixel(n.Y, h)}; }

double Cross(const TPlanarVector& o, const TPlanarVector& a, const TPlanarVector& b) {
  return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
}

}  // namespace

TEST(PerspectiveGrid, CornersLandOnThePointsAndTheCentreOnTheDiagonals) {
  const TQuad corners{{{50, 60}, {350, 40}, {380, 280}, {20, 290}}};
  TMapGrid g;
  ASSERT_TRUE(BuildPerspectiveGrid(g, corners, 400, 300, 4, 6));
  ASSERT_TRUE(g.IsLattice());
  EXPECT_EQ(g.Cols, 4);
  EXPECT_EQ(g.Rows, 6);
  const int32_t at[4] = {0, 4, 6 * 5 + 4, 6 * 5};
  for (int k = 0; k < 4; ++k) {
    const TPlanarVector p = Pixel(g.Nodes[size_t(at[k])], 400, 300);
    EXPECT_NEAR(p.X, corners[size_t(k)].X, 1e-3) << k;
    EXPECT_NEAR(p.Y, corners[size_t(k)].Y, 1e-3) << k;
  }
  const TPlanarVector centre = Pixel(g.Nodes[3 * 5 + 2], 400, 300), cross = DiagonalsCross(corners);
  EXPECT_NEAR(centre.X, cross.X, 1e-3);
  EXPECT_NEAR(centre.Y, cross.Y, 1e-3);
  // Lines stay straight; spacing shrinks towards the shorter side; U and V stay on the lattice.
  for (int r = 0; r <= 6; ++r)
    for (int c = 1; c < 4; ++c)
      EXPECT_NEAR(Cross(Pixel(g.Nodes[size_t(r * 5)], 400, 300), Pixel(g.Nodes[size_t(r * 5 + c)], 400, 300),
                        Pixel(g.Nodes[size_t(r * 5 + 4)], 400, 300)),
                  0, 0.05);
  EXPECT_FLOAT_EQ(g.Nodes[3 * 5 + 2].U, 0.5f);
  EXPECT_FLOAT_EQ(g.Nodes[3 * 5 + 2].V, 0.5f);
  TMapGrid trapezoid;
  ASSERT_TRUE(BuildPerspectiveGrid(trapezoid, {{{150, 0}, {250, 0}, {400, 300}, {0, 300}}}, 400, 300, 1, 4));
  const double top = trapezoid.Nodes[2].Y - trapezoid.Nodes[0].Y, bottom = trapezoid.Nodes[8].Y - trapezoid.Nodes[6].Y;
  EXPECT_LT(top, bottom) << "rows far away are closer together";
}

TEST(PerspectiveGrid, RefusesOutlinesThatAreNotConvex) {
  TMapGrid g;
  DivideRect(g, 0, 0, 10, 10, 10, 10, 2, 2);
  const TMapGrid before = g;
  EXPECT_FALSE(BuildPerspectiveGrid(g, {{{0, 0}, {100, 100}, {100, 0}, {0, 100}}}, 400, 300, 2, 2)) << "crossed";
  EXPECT_FALSE(BuildPerspectiveGrid(g, {{{0, 0}, {100, 0}, {200, 0}, {0, 100}}}, 400, 300, 2, 2)) << "in a line";
  EXPECT_FALSE(BuildPerspectiveGrid(g, {{{0, 0}, {100, 0}, {30, 30}, {0, 100}}}, 400, 300, 2, 2)) << "folded";
  EXPECT_FALSE(BuildPerspectiveGrid(g, {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}}, 400, 300, 0, 2));
  EXPECT_EQ(g, before);
  EXPECT_TRUE(IsConvexQuad({{{0, 0}, {0, 1}, {1, 1}, {1, 0}}})) << "either way round";
}

TEST(PerspectiveGrid, TheToolDragsACornerAndTheInsideFollows) {
  LayerFixture f(300, 300, 2, 2);
  f.layer.SetTool(gmPerspective);
  EXPECT_EQ(kGridToolButtons[size_t(f.layer.PressedToolButton())].Hint, "Perspective Grid");
  const TMapGrid before = f.grid;
  EXPECT_TRUE(f.drag(1, 2, {{20, 30}, {30, 40}}));  // the top-left corner, moved by (29, 38)
  const TPlanarVector tl = Pixel(f.grid.Nodes[0], 300, 300);
  EXPECT_NEAR(tl.X, 29, 1e-3);
  EXPECT_NEAR(tl.Y, 38, 1e-3);
  const TQuad outline = *LatticeOutline(f.grid);
  const TPlanarVector centre = {f.grid.Nodes[4].X, f.grid.Nodes[4].Y}, cross = DiagonalsCross(outline);
  EXPECT_NEAR(centre.X, cross.X, 1e-5);
  EXPECT_NEAR(centre.Y, cross.Y, 1e-5);
  for (size_t i = 0; i < before.Nodes.size(); ++i) EXPECT_EQ(f.grid.Nodes[i].U, before.Nodes[i].U);
  // Past the opposite corner the outline would fold: the corner waits there.
  const TMapGrid folded = f.grid;
  f.drag(30, 40, {{299, 299}, {320, 320}});
  EXPECT_EQ(f.grid, folded);
  EXPECT_FALSE(f.drag(150, 150, {{160, 170}})) << "a press off the corners moves nothing";
  ASSERT_TRUE(f.history.Undo());
  EXPECT_EQ(f.grid, before);
}

TEST(PerspectiveGrid, FitGridToSelectionLaysTheGridsLatticeOverTheMasksBox) {
  LayerFixture f(300, 200, 3, 2);
  TByteMap mask(300, 200);
  EXPECT_FALSE(f.layer.FitGridToSelection(mask)) << "an empty mask";
  for (int y = 20; y < 80; ++y)
    for (int x = 50 + y % 7; x < 150; ++x) mask.SetValue(x, y, 255);
  mask.SetValue(160, 90, 1);
  EXPECT_EQ(MaskBounds(mask), (TRect{50, 20, 161, 91}));
  ASSERT_TRUE(f.layer.FitGridToSelection(mask));
  EXPECT_EQ(f.grid.Cols, 3);
  EXPECT_EQ(f.grid.Rows, 2);
  const TPlanarVector tl = Pixel(f.grid.Nodes[0], 300, 200), br = Pixel(f.grid.Nodes.back(), 300, 200);
  EXPECT_NEAR(tl.X, 50, 1e-3);
  EXPECT_NEAR(tl.Y, 20, 1e-3);
  EXPECT_NEAR(br.X, 161, 1e-3);
  EXPECT_NEAR(br.Y, 91, 1e-3);
  EXPECT_EQ(f.history.steps.size(), 1u);
  EXPECT_FALSE(f.layer.FitGridToSelection(TByteMap(10, 10, 255))) << "a mask of another size";
}
