#include <gtest/gtest.h>

#include <cmath>

#include "GridToolsSupport.h"
#include "drape/OglRender.h"
#include "drape/TuveditorLayer.h"

using namespace kelvane;

namespace {

TBitmap32 Gradient(int w, int h) {
  TBitmap32 t(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) t.SetPixel(x, y, Color32(uint8_t(x * 255 / w), uint8_t(y * 255 / h), 77));
  return t;
}

struct Editor {
  TMapGrid grid;
  TuveditorLayer uv;
  test::GridHistory history;
  Editor(int cols, int rows, int tw, int th) {
    DivideRect(grid, 0, 0, 300, 300, 300, 300, cols, rows);
    uv.Open(&grid, Gradient(tw, th));
    uv.UpdateViewMapping({9, 9, 1, tw + 19, th + 19});
    history.grid = &grid;
    uv.Recorder = &history;
  }
  void drag(double x, double y, double tx, double ty, TGridMouse m = {}) {
    uv.MouseDown(x, y, m);
    uv.MouseMove(tx, ty);
    uv.MouseUp();
  }
};

}  // namespace

TEST(UVEditor, AlignGridSpreadsTheLatticeByWholeTexturePixels) {
  Editor e(3, 3, 256, 256);
  for (TMapNode& n : e.grid.Nodes) n.U = n.V = 0.9f;
  ASSERT_TRUE(e.uv.AlignGrid());
  for (int c = 0; c <= 3; ++c) {
    EXPECT_FLOAT_EQ(e.uv.TexturePosition(c).X, float(c * 85)) << c;
    EXPECT_FLOAT_EQ(e.uv.TexturePosition(2 * 4 + c).Y, 170) << c;
  }
  EXPECT_FLOAT_EQ(e.grid.Nodes[3].U, 255.0f / 256) << "stored as a fraction of the texture";
  EXPECT_EQ(e.uv.Pivot.X, 128);
  EXPECT_EQ(e.history.steps.size(), 1u);
}

TEST(UVEditor, TileXDoublesTheTextureAndCentresThePivot) {
  Editor e(1, 1, 100, 80);
  e.uv.Pivot = {3, 3};
  ASSERT_TRUE(e.uv.TileX());
  EXPECT_EQ(e.uv.Texture.Width(), 200);
  EXPECT_EQ(e.uv.Texture.Height(), 80);
  EXPECT_EQ(e.uv.Pivot.X, 100);
  EXPECT_EQ(e.uv.Pivot.Y, 40);
  EXPECT_EQ(e.uv.Texture.Pixel(150, 10), Gradient(100, 80).Pixel(50, 10));
  ASSERT_TRUE(e.uv.TileY());
  EXPECT_EQ(e.uv.Texture.Height(), 160);
  EXPECT_EQ(e.uv.Pivot.Y, 80);
  TuveditorLayer huge;
  huge.SetTexture(TBitmap32(20000, 2));
  EXPECT_FALSE(huge.TileX()) << "past the largest bitmap";
  EXPECT_EQ(huge.Texture.Width(), 20000);
}

TEST(UVEditor, APressThreeTexturePixelsAwayDoesNotGrab) {
  Editor e(2, 2, 100, 100);  // node 4 at texture (50, 50)
  for (auto [x, y] : {std::pair{53.0, 50.0}, {47.0, 50.0}, {50.0, 53.0}, {50.0, 47.0}}) {
    e.uv.MouseDown(x, y, {});
    EXPECT_EQ(e.uv.PressedNode, -2) << x << "," << y;
    e.uv.MouseUp();
  }
  e.uv.MouseDown(52.9, 47.1, {.Shift = true});
  EXPECT_EQ(e.uv.PressedNode, 4);
  e.uv.MouseUp();
  e.uv.MouseDown(50, 50, {.Shift = true});
  e.uv.MouseUp();
  EXPECT_EQ(e.uv.Selection, (std::vector<int64_t>{4}));
  // Zoomed out to a quarter, 3 screen pixels are 12 texture pixels.
  e.uv.UpdateViewMapping({0, 0, 0.25, 60, 60});
  e.uv.MouseDown(61, 50, {});
  EXPECT_EQ(e.uv.PressedNode, 4);
  e.uv.MouseUp();
}

TEST(UVEditor, ToolsMoveScaleAndTurnTexturePositions) {
  Editor e(2, 2, 100, 100);
  e.drag(50, 50, 60, 45);  // the move tool on node 4
  EXPECT_FLOAT_EQ(e.uv.TexturePosition(4).X, 60);
  EXPECT_FLOAT_EQ(e.grid.Nodes[4].V, 0.45f);
  e.uv.SetTool(TuveditorLayer::uvRotate);  // about the pivot (50, 50)
  e.drag(100, 50, 100, 60);                // on the right, 10 down: 10 degrees clockwise
  const double c = std::cos(0.17453293), s = std::sin(0.17453293);  // node 2 was at (100, 0)
  EXPECT_NEAR(e.uv.TexturePosition(2).X, 50 + 50 * c + 50 * s, 1e-3);
  EXPECT_NEAR(e.uv.TexturePosition(2).Y, 50 + 50 * s - 50 * c, 1e-3);
  e.uv.SetTool(TuveditorLayer::uvScale);
  e.drag(-30, -30, -20, -20);  // empty space moves everything and the pivot
  EXPECT_EQ(e.uv.Pivot.X, 60);
  EXPECT_EQ(e.history.steps.size(), 3u);
  ASSERT_TRUE(e.history.Undo());
  ASSERT_TRUE(e.history.Undo());
  EXPECT_FLOAT_EQ(e.uv.TexturePosition(2).X, 100);
}

TEST(UVEditor, AddLinesWorkOnTheHoveredNode) {
  Editor e(2, 2, 100, 100);
  EXPECT_FALSE(e.uv.AddVertLine());
  e.drag(0, 50, 0, 50);  // hovers node 3, (r, c) = (1, 0)
  ASSERT_TRUE(e.uv.AddVertLine());
  EXPECT_EQ(e.grid.Cols, 3);
  EXPECT_FLOAT_EQ(e.uv.TexturePosition(e.uv.HoverNode).X, 0);
  ASSERT_TRUE(e.uv.AddHorLine());
  EXPECT_EQ(e.grid.Rows, 3);
  EXPECT_EQ(e.history.steps.size(), 2u);
}

TEST(UVEditor, WhatTheEditorShowsIsWhatFillRenders) {
  // One cell over the whole target; moving every node by a quarter of the texture's
  // width moves the rendered texture by a quarter repeat.
  TMapGrid grid;
  DivideRect(grid, 0, 0, 64, 48, 64, 48, 1, 1);
  const TBitmap32 texture = Gradient(16, 16);
  const TRenderOptions nearest{TTextureSampling::Nearest, -1, false};
  TBitmap32 before(64, 48), after(64, 48);
  ASSERT_TRUE(RenderFlat(grid, texture, before, {}, 0, nearest));
  TuveditorLayer uv;
  uv.Open(&grid, texture);
  uv.MouseDown(-5, 8, {});  // empty space
  uv.MouseMove(-1, 8);
  uv.MouseUp();
  EXPECT_FLOAT_EQ(grid.Nodes[0].U, 0.25f);
  ASSERT_TRUE(RenderFlat(grid, texture, after, {}, 0, nearest));
  for (int y : {0, 20, 47})
    for (int x : {0, 10, 47, 63}) EXPECT_EQ(after.Pixel(x, y), before.Pixel((x + 16) % 64, y)) << x << "," << y;
}

TEST(UVEditor, DrawsTheGridAtTexturePositionsWithThePivotOutsideTheMoveTool) {
  Editor e(2, 2, 100, 100);  // the texture's corner at view (9, 9), zoom 1
  const TBitmap32& o = e.uv.Overlay.Bitmap;
  EXPECT_EQ(o.Pixel(59, 59), 0xFFFFFFFFu) << "node 4 at (50, 50)";
  EXPECT_EQ(o.Pixel(56, 59), 0xFF000000u);
  EXPECT_EQ(o.Pixel(59, 30), TuveditorLayer::kLineColor);
  e.grid.Nodes[4].U = e.grid.Nodes[4].V = 0.7f;
  e.uv.SetTool(TuveditorLayer::uvRotate);
  EXPECT_EQ(o.Pixel(59, 59), 0xFFFF0000u) << "the pivot";
}
