#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "GridToolsSupport.h"
#include "drape/TOverlayCanvas.h"

using namespace kelvane;
using kelvane::test::LayerFixture;

namespace {

constexpr TColor32 kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kBlue = 0xFF0000FFu;

// A 2 x 2 lattice over a 400 x 300 image, shown at half size scrolled 50 pixels left and
// 20 down in a 150 x 200 view: the overlay covers the 150 x 150 visible part.
struct HalfZoom {
  TMapGrid grid;
  TKVXLayer layer;
  HalfZoom() {
    DivideRect(grid, 0, 0, 400, 300, 400, 300, 2, 2);
    layer.SetImageSize(400, 300);
    layer.SetGrid(&grid, 0);
    layer.UpdateViewMapping({-50, 20, 0.5, 150, 200});
  }
  TColor32 at(int x, int y) const { return layer.Overlay.Bitmap.Pixel(x, y); }
};

bool AllTransparent(const TBitmap32& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (AlphaComponent(b.Pixel(x, y)) != 0) return false;
  return true;
}

}  // namespace

TEST(GridOverlay, CoversTheVisiblePartOfTheImage) {
  HalfZoom v;
  EXPECT_EQ(v.layer.OverlayRect, (TRect{0, 20, 150, 170}));
  EXPECT_EQ(v.layer.Overlay.Bitmap.Width(), 150);
  EXPECT_EQ(v.layer.Overlay.Bitmap.Height(), 150);
  EXPECT_EQ(v.layer.Overlay.Bitmap.MasterAlpha, 180);
  EXPECT_EQ(v.layer.Overlay.Bitmap.DrawMode, TDrawMode::dmBlend);
  // The centre node (0, 0) lies at the image's centre, 100 - 50 across and 75 down.
  EXPECT_EQ(v.at(50, 75), kWhite);
  EXPECT_EQ(v.at(47, 75), kBlack) << "the frame, node size 3";
  EXPECT_EQ(v.at(46, 75), kBlue) << "the horizontal grid line";
  EXPECT_EQ(v.at(50, 71), kBlue) << "the vertical grid line";
  EXPECT_EQ(v.at(60, 60), 0u);

  v.layer.NodeSize = 6;
  v.layer.Redraw();
  EXPECT_EQ(v.at(44, 75), kBlack);
  EXPECT_EQ(v.at(45, 75), kWhite);
  // Scrolled off entirely: nothing to cover.
  v.layer.UpdateViewMapping({-500, 0, 0.5, 150, 200});
  EXPECT_TRUE(v.layer.Overlay.Bitmap.Empty());
}

TEST(GridOverlay, MarksHoverSelectionAndTheSelectedEdgeInTheirColours) {
  HalfZoom v;
  v.layer.Selection = {4};
  v.layer.HoverNode = 1;          // (0, 1): the image's top edge, overlay (50, 0)
  v.layer.SelectedEdge = {1, 4};  // from there down to the centre
  v.layer.Redraw();
  EXPECT_EQ(v.at(50, 75), 0xFF007F00u);
  EXPECT_EQ(v.at(47, 75), kBlack);
  EXPECT_EQ(v.at(50, 0), kBlue);
  EXPECT_EQ(v.at(47, 0), 0xFFFF0000u);
  EXPECT_EQ(v.at(50, 40), 0xFF00FF00u) << "the selected edge is green";
  EXPECT_EQ(v.at(50, 110), kBlue) << "the line below the centre is not";
}

TEST(GridOverlay, BeginGridEditErasesEverythingItDrew) {
  LayerFixture f(300, 300, 3, 3);
  f.layer.SelectedEdge = {0, 1};
  f.layer.Selection = {5, 6};
  f.layer.HoverNode = 9;
  f.layer.Redraw();
  ASSERT_FALSE(AllTransparent(f.layer.Overlay.Bitmap));
  f.layer.BeginGridEdit();
  EXPECT_TRUE(AllTransparent(f.layer.Overlay.Bitmap));
  f.layer.EndGridEdit();
  EXPECT_EQ(f.layer.Overlay.Bitmap.Pixel(50, 0), 0xFF00FF00u);
}

TEST(GridOverlay, TheDirtyRectangleCoversWhatADragChanged) {
  LayerFixture f(300, 300, 3, 3);
  f.layer.TakeDirtyRect();
  EXPECT_TRUE(f.layer.TakeDirtyRect().Empty());
  f.layer.MouseDown(100, 100, {.Left = true});
  f.layer.TakeDirtyRect();
  f.layer.MouseMove(110, 120, {.Left = true});
  const TRect d = f.layer.TakeDirtyRect();
  // The node's old and new markers and its four lines, not the whole overlay.
  EXPECT_LE(d.Left, 97);
  EXPECT_LE(d.Top, 97);
  EXPECT_GE(d.Right, 113);
  EXPECT_GE(d.Bottom, 123);
  EXPECT_LT(d.Width() * d.Height(), 301 * 301);
  f.layer.MouseUp();
  // The draw-grid rubber rectangle, in overlay pixels.
  f.layer.SetTool(gmDrawGrid);
  f.layer.MouseDown(20, 30, {.Left = true});
  f.layer.MouseMove(60, 50, {.Left = true});
  EXPECT_EQ(f.layer.Overlay.Bitmap.Pixel(40, 30), kBlue);
  EXPECT_EQ(f.layer.Overlay.Bitmap.Pixel(60, 40), kBlue);
  f.layer.MouseMove(40, 40, {.Left = true});
  EXPECT_EQ(f.layer.Overlay.Bitmap.Pixel(60, 40), 0u) << "the old rectangle is gone";
}

TEST(GridOverlay, FarAwayNodesAreClippedNotWalked) {
  TMapGrid g;
  g.Cols = g.Rows = 1;
  g.Nodes = {{-1e30f, -1, 0, 0, 0}, {3e9f, -1, 0, 1, 0}, {-1, 1e20f, 0, 0, 1}, {std::nanf(""), 1, 0, 1, 1}};
  g.Cells = {{0, 1, 3, 2, 0, 0, 0}};
  TKVXLayer layer;
  layer.SetImageSize(4000, 3000);
  layer.SetGrid(&g, 0);
  const auto start = std::chrono::steady_clock::now();
  layer.UpdateViewMapping({-20000, -20000, 16, 1200, 900});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(layer.Overlay.Bitmap.Width(), 1200);
}

TEST(OverlayCanvas, LinesLeaveOutTheirLastPixelUnlessItIsClippedAway) {
  TOverlayCanvas c;
  c.Resize(10, 10);
  c.Line(1, 1, 5, 1, kBlue);
  EXPECT_EQ(c.Bitmap.Pixel(4, 1), kBlue);
  EXPECT_EQ(c.Bitmap.Pixel(5, 1), 0u);
  c.Line(-100, 3, 100, 3, kBlue);
  EXPECT_EQ(c.Bitmap.Pixel(0, 3), kBlue);
  EXPECT_EQ(c.Bitmap.Pixel(9, 3), kBlue);
  c.Line(3, -5, 3, 9, kWhite);
  EXPECT_EQ(c.Bitmap.Pixel(3, 0), kWhite);
  EXPECT_EQ(c.Bitmap.Pixel(3, 8), kWhite);
  EXPECT_EQ(c.Bitmap.Pixel(3, 9), 0u);
}

TEST(TexturePreview, WhileDraggingTheVisiblePartShowsWhatTheFullRenderShows) {
  TMapGrid grid;
  DivideRect(grid, 0, 0, 400, 300, 400, 300, 1, 1);
  TKVXLayer layer;
  layer.SetImageSize(400, 300);
  layer.SetGrid(&grid, 0);
  TBitmap32 texture(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) texture.SetPixel(x, y, Color32(uint8_t(x * 4), uint8_t(y * 4), 128));
  layer.SetTexture(texture);
  layer.PreviewParam.TileX = 2;
  layer.ShowTextureWhenDrag = true;
  // Half size, scrolled to the lower right quarter: the overlay shows x 200..400, y 100..250.
  layer.UpdateViewMapping({-100, -50, 0.5, 100, 75});
  ASSERT_EQ(layer.Overlay.Bitmap.Width(), 100);
  ASSERT_EQ(layer.Overlay.Bitmap.Height(), 75);
  EXPECT_FALSE(layer.PreviewShown);

  layer.MouseDown(300, 200, {.Left = true});
  layer.MouseMove(300, 200, {.Left = true});
  ASSERT_TRUE(layer.PreviewShown);
  TBitmap32 full(400, 300);
  ASSERT_TRUE(layer.RenderObject(full, layer.PreviewColor, layer.PreviewParam));
  for (int oy : {5, 30, 60})
    for (int ox : {5, 37, 80}) {
      const TColor32 p = layer.Overlay.Bitmap.Pixel(ox, oy), q = full.Pixel(201 + 2 * ox, 101 + 2 * oy);
      EXPECT_EQ(AlphaComponent(p), 255);
      EXPECT_NEAR(RedComponent(p), RedComponent(q), 6) << ox << "," << oy;
      EXPECT_NEAR(GreenComponent(p), GreenComponent(q), 6) << ox << "," << oy;
    }
  layer.MouseUp();
  EXPECT_TRUE(layer.PreviewShown) << "shown after the release too";
  layer.ClearOverlay();
  EXPECT_FALSE(layer.PreviewShown);

  layer.ShowTextureWhenDrag = false;
  layer.MouseDown(300, 200, {.Left = true});
  layer.MouseMove(301, 200, {.Left = true});
  layer.MouseUp();
  EXPECT_FALSE(layer.PreviewShown);
  EXPECT_EQ(layer.Overlay.Bitmap.Pixel(40, 40), 0u);
}
