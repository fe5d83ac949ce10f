#include <gtest/gtest.h>

#include <array>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/DocumentCommands.h"
#include "app/TKVXEditSession.h"
#include "raster/PictureFormats.h"
#include "select/MaskEdit.h"

namespace kelvane {
namespace {

// A session over a 40 x 30 picture at scale 1: the left half grey, the right half red.
struct SelectionSession : ::testing::Test {
  test::TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};
  TPointD o;

  SelectionSession() {
    RegisterKvxPictureFormat();
    TBitmap32 picture(40, 30, 0xFF808080u);
    picture.FillRect({20, 0, 40, 30}, 0xFFFF0000u);
    const std::string path = dir.file("room.png");
    EXPECT_TRUE(SavePicture(path, picture).ok());
    s.SetViewSize(400, 300);
    EXPECT_TRUE(s.Load(path));
    s.SetZoom(1);
    o = s.View.BitmapToView(0, 0);
  }
  TMouse At(double x, double y, TMouseButton b = TMouseButton::Left) {
    TMouse m;
    m.X = o.X + x + 0.5;
    m.Y = o.Y + y + 0.5;
    m.Button = b;
    return m;
  }
  void Drag(int x0, int y0, int x1, int y1) {
    s.MouseDown(At(x0, y0));
    s.MouseMove(At((x0 + x1) / 2, (y0 + y1) / 2));
    s.MouseUp(At(x1, y1));
  }
  void Click(int x, int y) {
    s.MouseDown(At(x, y));
    s.MouseUp(At(x, y));
  }
  TByteMap& Mask() { return *s.CurrentMask(); }
};

TEST_F(SelectionSession, MarqueesCoverTheSamePixelsWhicheverWayTheyAreDragged) {
  for (TSelectionTool tool : {TSelectionTool::stRectangle, TSelectionTool::stEllipse}) {
    s.ChooseSelectionTool(tool);
    Drag(5, 4, 25, 20);
    const TByteMap forward = Mask();
    for (auto [x0, y0, x1, y1] : {std::array{25, 20, 5, 4}, std::array{25, 4, 5, 20}, std::array{5, 20, 25, 4}}) {
      Drag(x0, y0, x1, y1);
      EXPECT_TRUE(Mask() == forward) << "drag from " << x0 << "," << y0 << " to " << x1 << "," << y1;
    }
  }
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  Drag(10, 10, 20, 20);
  EXPECT_EQ(Mask().Value(19, 19), 255);
  EXPECT_EQ(Mask().Value(20, 20), 0);
  // A click without moving takes the pixel under the pointer, and only that one.
  Click(7, 8);
  EXPECT_EQ(Mask().Value(7, 8), 255);
  EXPECT_EQ(Mask().Value(8, 8), 0);
  EXPECT_EQ(Mask().Value(7, 9), 0);
}

TEST_F(SelectionSession, AddAndSubtractCountNearlyFullPixelsAsFullAndAreUndone) {
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  Mask().SetValue(35, 25, 241);  // far from every shape below
  Mask().SetValue(3, 3, 100);
  const TByteMap before = Mask();
  // Shift held at the press adds, though the key went down in another window.
  TMouse press = At(0, 0);
  press.Shift = true;
  s.MouseDown(press);
  s.MouseUp(At(10, 10));
  EXPECT_EQ(Mask().Value(35, 25), 255);
  EXPECT_EQ(Mask().Value(3, 3), 255);  // fully covered over a partly selected pixel
  EXPECT_EQ(Mask().Value(15, 15), 0);
  s.KeyDown(false, true, false);  // Alt: subtract
  Mask().SetValue(35, 25, 241);
  Drag(0, 0, 5, 5);
  s.KeyUp();
  EXPECT_EQ(Mask().Value(2, 2), 0);
  EXPECT_EQ(Mask().Value(7, 7), 255);
  EXPECT_EQ(Mask().Value(35, 25), 255);
  // Each commit recorded the mask before it: two undos give the first mask back.
  s.Undo();
  s.Undo();
  EXPECT_TRUE(Mask() == before);
}

TEST_F(SelectionSession, InvertTwiceRestoresAndDeselectIsOneUndoStep) {
  s.ChooseSelectionTool(TSelectionTool::stEllipse);
  Drag(3, 3, 30, 25);
  Mask().SetValue(0, 0, 77);
  const TByteMap selected = Mask();
  s.InvertSelection();
  EXPECT_EQ(Mask().Value(0, 0), 255 - 77);
  EXPECT_FALSE(Mask() == selected);
  s.InvertSelection();
  EXPECT_TRUE(Mask() == selected);
  RunDocumentCommand(s, "ADeSelect");
  EXPECT_EQ(Mask().Value(15, 15), 0);
  s.Undo();
  EXPECT_TRUE(Mask() == selected);
  s.Redo();
  EXPECT_EQ(Mask().Value(15, 15), 0);
}

TEST_F(SelectionSession, WithTwoObjectsSelectedNoToolStartsAndTheHSLPanelCommitsNothing) {
  world.prompt.answers.push_back(std::string("B"));
  s.NewObject();
  s.SetListSelection({0, 1}, 1);
  for (const TDocumentCommand& c : DocumentCommands()) {
    if (c.Category != TCategory::Selection) continue;
    EXPECT_FALSE(DocumentCommandEnabled(s, c)) << c.Id;
  }
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  EXPECT_EQ(s.Selection().Tool, TSelectionTool::stNone);
  EXPECT_NE(s.Mode(), TWindowMode::Selection);
  const int steps = s.History.Position();
  s.SetHSLTolerances(20, 1, 1);
  EXPECT_EQ(s.History.Position(), steps);
}

TEST_F(SelectionSession, AColourClickBesideThePictureKeepsTheSelection) {
  s.SelectAll();
  const int steps = s.History.Position();
  for (TSelectionTool tool : {TSelectionTool::stMagicWand, TSelectionTool::stColorRange, TSelectionTool::stHSLRange}) {
    s.ChooseSelectionTool(tool);
    Click(-3, 10);
    Click(12, 31);
    EXPECT_EQ(Mask().Value(10, 10), 255) << int(tool);
  }
  EXPECT_EQ(s.History.Position(), steps);
  // Inside, the wand takes the grey half only.
  s.ChooseSelectionTool(TSelectionTool::stMagicWand);
  Click(5, 5);
  EXPECT_EQ(Mask().Value(19, 29), 255);
  EXPECT_EQ(Mask().Value(20, 0), 0);
}

TEST_F(SelectionSession, TheWandsToleranceDecidesHowFarItReaches) {
  // A ramp of reds 0, 10, 20, ... along x.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) s.Doc.Base.SetPixel(x, y, Color32(uint8_t(x * 6), 0, 0));
  s.ChooseSelectionTool(TSelectionTool::stMagicWand);
  s.Tolerance = 12;
  Click(10, 10);  // red 60: reaches 48..72, x 8..12
  EXPECT_EQ(Mask().Value(8, 3), 255);
  EXPECT_EQ(Mask().Value(12, 3), 255);
  EXPECT_EQ(Mask().Value(13, 3), 0);
  EXPECT_EQ(Mask().Value(7, 3), 0);
  s.Tolerance = 30;
  Click(10, 10);
  EXPECT_EQ(Mask().Value(15, 3), 255);
  EXPECT_EQ(Mask().Value(16, 3), 0);
}

TEST_F(SelectionSession, MovingTheHSLPanelReplacesTheHSLSelectionAtOnce) {
  s.Doc.Base.FillRect({30, 0, 40, 30}, 0xFFFF1000u);  // hue 0.0105, next to pure red
  s.ChooseSelectionTool(TSelectionTool::stHSLRange);
  Click(22, 10);  // pure red
  EXPECT_EQ(Mask().Value(22, 10), 255);
  EXPECT_EQ(Mask().Value(35, 10), 0);
  EXPECT_EQ(Mask().Value(5, 10), 0);  // grey: saturation 1 away is not within 1
  s.SetHSLTolerances(20, 1, 1);
  EXPECT_EQ(Mask().Value(22, 10), 255);
  EXPECT_EQ(Mask().Value(35, 10), 255);
  EXPECT_EQ(Mask().Value(5, 10), 0);
}

TEST_F(SelectionSession, LassoFollowsThePointerAndCommitsOnRelease) {
  s.ChooseSelectionTool(TSelectionTool::stLasso);
  s.MouseDown(At(2, 2));
  TMouse m = At(30, 2);
  m.LeftHeld = true;
  s.MouseMove(m);
  s.MouseMove(At(30, 25));
  EXPECT_EQ(s.Selection().Vertices.size(), 3u);
  s.MouseUp(At(2, 25));
  EXPECT_TRUE(s.Selection().Vertices.empty());
  EXPECT_EQ(Mask().Value(15, 12), 255);
  EXPECT_EQ(Mask().Value(35, 28), 0);
}

TEST_F(SelectionSession, FeatherSoftensTheEdgeOfTheCommit) {
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  s.Feather = 3;
  Drag(10, 10, 30, 20);
  EXPECT_GT(Mask().Value(9, 15), 0);
  EXPECT_LT(Mask().Value(9, 15), 255);
  EXPECT_GT(Mask().Value(20, 15), 200);
  EXPECT_EQ(Mask().Value(20, 2), 0);
}

TEST_F(SelectionSession, CursorsFollowToolAndCombineMode) {
  struct Case {
    TSelectionTool tool;
    bool shift, alt;
    int cursor;
  };
  for (const Case& c : {Case{TSelectionTool::stRectangle, false, false, 30}, Case{TSelectionTool::stEllipse, true, false, 31},
                        Case{TSelectionTool::stRectangle, false, true, 32}, Case{TSelectionTool::stMagicWand, true, false, 33},
                        Case{TSelectionTool::stHSLRange, false, false, 34}, Case{TSelectionTool::stPolygon, true, false, 36},
                        Case{TSelectionTool::stLasso, false, true, 40}}) {
    s.ChooseSelectionTool(c.tool);
    s.KeyDown(c.shift, c.alt, false);
    EXPECT_EQ(s.CursorNumber(), c.cursor) << int(c.tool);
    s.KeyUp();
  }
  s.SetMode(TWindowMode::Hand);
  EXPECT_EQ(s.CursorNumber(), 42);
  s.SetMode(TWindowMode::ZoomRegion);
  EXPECT_EQ(s.CursorNumber(), 44);
}

TEST_F(SelectionSession, AMovedViewRedrawsTheAntsOnlyWhenAsked) {
  s.SelectAll();
  ASSERT_TRUE(s.SelectionLayerVisible());
  s.DeferSelectionDisplay = true;
  s.ZoomIn();
  EXPECT_TRUE(s.SelectionDisplayDue());
  EXPECT_FALSE(s.SelectionLayerVisible());
  s.MarchingAntsTick();  // the old outline would be in the wrong place
  EXPECT_TRUE(s.SelectionDisplayDue());
  EXPECT_FALSE(s.SelectionLayerVisible());
  s.UpdateSelectionDisplay();
  EXPECT_FALSE(s.SelectionDisplayDue());
  EXPECT_TRUE(s.SelectionLayerVisible());
  EXPECT_EQ(s.SelectionLayer().Width(), 402);
  s.SetHideSelection(true);
  s.MarchingAntsTick();
  EXPECT_FALSE(s.SelectionLayerVisible());
}

TEST_F(SelectionSession, TheMaskEditorsRightButtonErasesAndOKWritesTheMask) {
  s.SelectAll();
  TMaskEditor editor(Mask());
  editor.BrushSize = 10;
  editor.Press({15, 15}, false);
  editor.Release();
  s.SetMaskFromEditor(editor.Result());
  EXPECT_LT(Mask().Value(15, 15), 255 - 200);
  EXPECT_EQ(Mask().Value(30, 15), 255);
  // A mask of another size (the picture changed meanwhile) is refused.
  s.SetMaskFromEditor(TByteMap(3, 3));
  EXPECT_EQ(Mask().Width(), 40);
}

}  // namespace
}  // namespace kelvane
