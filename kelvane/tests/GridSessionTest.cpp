// The grid, UV, texture-parameter and included-object windows' behaviour, driven on the
// document session without a screen.
#include <gtest/gtest.h>

#include "ScriptedServices.h"
#include "SessionMouse.h"
#include "TestSupport.h"
#include "app/DocumentCommands.h"
#include "app/TKVXEditSession.h"
#include "project/TKVXFile2.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

using test::TempDir;

const TGridToolButton& ButtonOf(TGridCommand c, int tool = -1) {
  for (const TGridToolButton& b : kGridToolButtons)
    if (b.Command == c && b.Tool == tool) return b;
  throw std::logic_error("no such button");
}

const TUVButton& UVButtonOf(TUVCommand c, int tool = -1) {
  for (const TUVButton& b : kUVButtons)
    if (b.Command == c && b.Tool == tool) return b;
  throw std::logic_error("no such button");
}

// Red rises from left to right, so a shift across shows in every row.
TBitmap32 Ramp(int w, int h) {
  TBitmap32 t(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) t.SetPixel(x, y, Color32(uint8_t(x * 255 / (w - 1)), 40, 200));
  return t;
}

// A session over an 80 x 60 grey picture at zoom 1 with its corner at the view's origin.
struct GridSession : ::testing::Test {
  TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};

  GridSession() {
    RegisterKvxPictureFormat();
    options.Nearest = true;
    options.AntialiasRender = false;
    const std::string path = dir.file("room.png");
    EXPECT_TRUE(SavePicture(path, TBitmap32(80, 60, 0xFF808080u)).ok());
    s.SetViewSize(400, 300);
    EXPECT_TRUE(s.Load(path));
    s.SetZoom(1);
    s.SetMode(TWindowMode::Grid);
  }
  TMapGrid& Grid() { return *s.Layer.Grid; }
  TMouse At(double bx, double by) { return test::LeftAt(s, bx, by); }
  void Drag(double x0, double y0, double x1, double y1) { test::LeftDrag(s, x0, y0, x1, y1); }
  // Runs a gesture and checks that it changed the grid, that Undo gives the grid before
  // and Redo the grid after.
  template <class F>
  void ExpectUndoable(const char* what, F&& gesture) {
    SCOPED_TRACE(what);
    const TMapGrid before = Grid();
    gesture();
    const TMapGrid after = Grid();
    ASSERT_NE(after, before);
    s.Undo();
    EXPECT_EQ(Grid(), before);
    s.Redo();
    EXPECT_EQ(Grid(), after);
  }
};

TEST_F(GridSession, EveryGridGestureUndoesAndRedoes) {
  // The default lattice: 3 x 3 cells, node 5 at image (26.7, 20).
  ASSERT_EQ(Grid().Cols, 3);
  const double nx = NodeToPixel(Grid().Nodes[5].X, 80), ny = NodeToPixel(Grid().Nodes[5].Y, 60);
  ExpectUndoable("a node dragged", [&] { Drag(nx, ny, nx + 6, ny + 4); });
  ExpectUndoable("the whole grid dragged", [&] { Drag(13, 50, 18, 47); });
  s.GridToolButton(ButtonOf(TGridCommand::SetTool, gmScale));
  ExpectUndoable("scaled", [&] {
    const double x = NodeToPixel(Grid().Nodes[0].X, 80), y = NodeToPixel(Grid().Nodes[0].Y, 60);
    Drag(x, y, x - 5, y - 5);
  });
  s.GridToolButton(ButtonOf(TGridCommand::SetTool, gmRotate));
  ExpectUndoable("rotated", [&] {
    const double x = NodeToPixel(Grid().Nodes[3].X, 80), y = NodeToPixel(Grid().Nodes[3].Y, 60);
    Drag(x, y, x, y + 10);
  });
  s.GridToolButton(ButtonOf(TGridCommand::SetTool, gmPerspective));
  ExpectUndoable("a corner dragged in perspective", [&] {
    const TMapNode& corner = Grid().Nodes.back();
    const double x = NodeToPixel(corner.X, 80), y = NodeToPixel(corner.Y, 60);
    Drag(x, y, x - 12, y - 6);
  });
  s.GridToolButton(ButtonOf(TGridCommand::SetTool, gmNone));
  ExpectUndoable("reset", [&] { s.GridToolButton(ButtonOf(TGridCommand::ResetGrid)); });
  ExpectUndoable("a column added", [&] {
    s.MouseMove(At(NodeToPixel(Grid().Nodes[5].X, 80), NodeToPixel(Grid().Nodes[5].Y, 60)));
    ASSERT_GE(s.Layer.HoverNode, 0);
    s.GridToolButton(ButtonOf(TGridCommand::AddVertLine));
  });
  EXPECT_TRUE(s.Modified());
}

TEST_F(GridSession, PerspectiveCornersKeepTheLatticesTextureCoordinates) {
  s.GridToolButton(ButtonOf(TGridCommand::SetTool, gmPerspective));
  EXPECT_EQ(s.Layer.PressedToolButton(), kGridToolPressedButton[gmPerspective]);
  const std::vector<TMapNode> before = Grid().Nodes;
  const TMapNode& corner = Grid().Nodes.back();
  Drag(NodeToPixel(corner.X, 80), NodeToPixel(corner.Y, 60), 60, 40);
  ASSERT_EQ(Grid().Nodes.size(), before.size());
  EXPECT_NEAR(NodeToPixel(Grid().Nodes.back().X, 80), 60, 1e-3);
  EXPECT_EQ(Grid().Nodes[0].X, before[0].X) << "the opposite corner stays";
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(Grid().Nodes[i].U, before[i].U);
    EXPECT_EQ(Grid().Nodes[i].V, before[i].V);
  }
}

TEST_F(GridSession, FitGridToSelectionIsOneUndoableClickOverTheMasksBox) {
  for (int y = 10; y < 30; ++y)
    for (int x = 20; x < 60; ++x) s.CurrentMask()->SetValue(x, y, 255);
  ExpectUndoable("fitted", [&] { s.GridToolButton(ButtonOf(TGridCommand::FitGridToSelection)); });
  EXPECT_EQ(Grid().Cols, 3);
  EXPECT_NEAR(NodeToPixel(Grid().Nodes[0].X, 80), 20, 1e-3);
  EXPECT_NEAR(NodeToPixel(Grid().Nodes.back().Y, 60), 30, 1e-3);
  // The buttons answer in grid mode only.
  s.SetMode(TWindowMode::None);
  const TMapGrid fitted = Grid();
  s.GridToolButton(ButtonOf(TGridCommand::ResetGrid));
  EXPECT_EQ(Grid(), fitted);
}

// ---- the UV texture editor

TEST_F(GridSession, TheUVEditorShowsWhatFillRenders) {
  s.SelectAll();
  s.SetTexture(Ramp(64, 16));
  ASSERT_TRUE(s.OpenUVEditor());
  TuveditorLayer& uv = *s.UVEditor();
  EXPECT_EQ(uv.Grid, s.Layer.Grid);
  EXPECT_EQ(uv.Pivot.X, 32);
  EXPECT_EQ(uv.Pivot.Y, 8);
  s.Fill();
  const TBitmap32 before = s.Doc.Result;
  // Every node a quarter of the texture's width to the left: the texture a quarter
  // repeat, a quarter of the image, to the right.
  s.UVMouseDown(-20, 5, {.Left = true});
  s.UVMouseMove(-36, 5);
  s.UVMouseUp();
  EXPECT_FLOAT_EQ(Grid().Nodes[0].U, -0.25f);
  s.Fill();
  for (int y : {1, 30, 58})
    for (int x : {0, 13, 40, 59}) EXPECT_EQ(s.Doc.Result.Pixel(x + 20, y), before.Pixel(x, y)) << x << "," << y;
  ASSERT_NE(s.Doc.Result.Pixel(30, 30), before.Pixel(30, 30));

  s.Undo();
  EXPECT_FLOAT_EQ(Grid().Nodes[0].U, 0);
  s.Redo();
  EXPECT_FLOAT_EQ(Grid().Nodes[0].U, -0.25f);
}

TEST_F(GridSession, UVButtonsAlignTileAndAreUndoable) {
  s.SetTexture(Ramp(256, 256));
  ASSERT_TRUE(s.OpenUVEditor());
  for (TMapNode& n : Grid().Nodes) n.U += 0.1f;
  s.UVButton(UVButtonOf(TUVCommand::AlignGrid));
  EXPECT_EQ(s.UVEditor()->TexturePosition(3).X, 255) << "columns at 0, 85, 170, 255";
  s.Undo();
  EXPECT_NEAR(Grid().Nodes[0].U, 0.1f, 1e-6);
  s.Redo();

  s.UVButton(UVButtonOf(TUVCommand::TileX));
  // The doubled texture is the object's: the editor, the preview and Fill use it.
  EXPECT_EQ(s.UVEditor()->Texture.Width(), 512);
  EXPECT_EQ(s.TexturePreview().Width(), 512);
  EXPECT_EQ(s.CurrentTexture()->Width(), 512);
  EXPECT_EQ(s.Layer.Texture.Width(), 512);
  EXPECT_EQ(s.UVEditor()->Pivot.X, 256);
  EXPECT_EQ(s.UVEditor()->Pivot.Y, 128);
  s.UVButton(UVButtonOf(TUVCommand::SetTool, TuveditorLayer::uvRotate));
  EXPECT_EQ(s.UVEditor()->Tool, TuveditorLayer::uvRotate);
}

TEST_F(GridSession, TheUVEditorFollowsTheCurrentObject) {
  ASSERT_TRUE(s.OpenUVEditor());
  world.prompt.answers.push_back(std::string("Second"));
  s.NewObject();
  s.SetListSelection({1}, 1);
  ASSERT_EQ(s.CurrentIndex(), 1);
  // Never the grid of an object that is no longer current (and may be swapped out).
  EXPECT_EQ(s.UVEditor()->Grid, &s.Doc.GetObjectView(1).Grid);
  s.CloseUVEditor();
  EXPECT_EQ(s.UVEditor(), nullptr);
  s.UVMouseDown(1, 1, {});  // nothing to edit, nothing breaks
}

// ---- "Texture Params" and "Gen Texture Coords"

TEST_F(GridSession, TextureParamsWriteTheCurrentObjectAndLoadWithIt) {
  TTexParamValues v = s.TexParams();
  EXPECT_EQ(v[0], 1);
  v[0] = 2;
  v[1] = 3;
  ASSERT_TRUE(s.SetTexParam(v, 0));
  EXPECT_EQ(s.CurrentParam()->TileX, 2);
  EXPECT_EQ(s.CurrentParam()->TileY, 3) << "the pair is written together";
  EXPECT_EQ(s.Layer.PreviewParam.TileX, 2) << "the drag preview renders with it";
  world.prompt.answers.push_back(std::string("Second"));
  s.NewObject();
  s.SetListSelection({1}, 1);
  EXPECT_EQ(s.TexParams()[0], 1);
  s.SetListSelection({0}, 0);
  EXPECT_EQ(s.TexParams()[1], 3);
}

TEST_F(GridSession, GenTextureCoordsWithTextThatIsNoNumberChangesNothingButFills) {
  s.SelectAll();
  const TMapGrid before = Grid();
  TTexGenTexts texts = DefaultTexGenTexts();
  texts[2] = "abc";
  EXPECT_FALSE(s.GenTextureCoords(texts));
  EXPECT_EQ(Grid(), before);
  EXPECT_NE(s.Doc.Result.Pixel(5, 5), s.Doc.Base.Pixel(5, 5)) << "the fill ran";
  s.Undo();
  EXPECT_EQ(Grid(), before) << "nothing was recorded";

  EXPECT_FALSE(s.GenTextureCoords(std::nullopt));  // Cancel
  EXPECT_EQ(Grid(), before);

  texts.fill("1000");
  ExpectUndoable("new coordinates", [&] { EXPECT_TRUE(s.GenTextureCoords(texts)); });
  const TMapNode& n = Grid().Nodes[4];
  EXPECT_FLOAT_EQ(n.U, n.X - n.Y + n.Z + 1);
  EXPECT_FLOAT_EQ(n.V, n.U);
}

// ---- included objects

TEST_F(GridSession, IncludedPicturesArePlacedMovedAndSavedWithTheProject) {
  const std::string picture = dir.file("logo.png");
  ASSERT_TRUE(SavePicture(picture, TBitmap32(10, 10, 0xFF0000FFu)).ok());
  EXPECT_TRUE(RunDocumentCommand(s, "aTexBrush"));
  ASSERT_EQ(s.Mode(), TWindowMode::Included);

  EXPECT_FALSE(s.PlaceIncludedPicture(dir.file("missing.png"), 5, 5));
  EXPECT_EQ(s.Doc.Included.Count(), 0u);
  EXPECT_FALSE(world.messages.shown.empty());

  ASSERT_TRUE(s.PlaceIncludedPicture(picture, 4, 6));
  ASSERT_EQ(s.Doc.Included.Count(), 1u);
  EXPECT_EQ(s.Included.Bitmap.Pixel(50, 50), 0xFF0000FFu);
  // The rubber band moves it: a press inside, a drag by (5, 3).
  Drag(30, 30, 35, 33);
  EXPECT_EQ(s.Doc.Included[0].Left, 9);
  EXPECT_EQ(s.Doc.Included[0].Top, 9);
  // The bottom right handle sizes it.
  Drag(109, 109, 119, 104);
  EXPECT_EQ(s.Doc.Included[0].Width, 110);
  EXPECT_EQ(s.Doc.Included[0].Height, 95);

  TIncObjParams p = *s.Included.SelectedParams();
  p.Opacity = 128;
  p.Brightness = 20;
  EXPECT_TRUE(s.SetIncludedParams(p));
  EXPECT_FALSE(s.SetIncludedParams(p)) << "no change, no redraw";
  EXPECT_TRUE(s.Modified());

  world.dialogs.saves.push_back(dir.file("room.kvx"));
  ASSERT_TRUE(s.SaveAs());
  // Moved away after saving, then the saved project opened again in the same window:
  // the layer shows the saved place, not the one it drew last.
  p.Left = 70;
  ASSERT_TRUE(s.SetIncludedParams(p));
  EXPECT_EQ(s.Included.Bitmap.Pixel(20, 20), 0u);
  ASSERT_TRUE(s.Load(dir.file("room.kvx")));
  EXPECT_NE(s.Included.Bitmap.Pixel(20, 20), 0u);
  TKVXEditSession again{world.Services(), options};
  ASSERT_TRUE(again.Load(dir.file("room.kvx")));
  ASSERT_EQ(again.Doc.Included.Count(), 1u);
  EXPECT_EQ(again.Doc.Included[0].Left, 9);
  EXPECT_EQ(again.Doc.Included[0].Opacity, 128);
  EXPECT_EQ(again.Doc.Included[0].Brightness, 20);
  EXPECT_EQ(again.Doc.Included[0].PicturePath, picture);
  EXPECT_NE(again.Included.Bitmap.Pixel(50, 50), 0u) << "drawn after loading";

  ASSERT_EQ(s.Doc.Included.EntryAt(50, 50), 0);
  s.DeleteIncluded();
  EXPECT_EQ(s.Doc.Included.Count(), 0u);
  EXPECT_EQ(s.Included.Bitmap.Pixel(50, 50), 0u);
}

}  // namespace
}  // namespace kelvane
