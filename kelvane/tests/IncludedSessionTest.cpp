// Included objects on the document session without a screen: every edit is a step of the
// document's history, drawn again when it is undone or redone.
#include <gtest/gtest.h>

#include "ScriptedServices.h"
#include "SessionMouse.h"
#include "TestSupport.h"
#include "app/DocumentCommands.h"
#include "app/TKVXEditSession.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

std::vector<TColor32> Pixels(const TBitmap32& b) { return {b.Bits(), b.Bits() + size_t(b.Width()) * b.Height()}; }

// A session over a 200 x 150 grey picture at zoom 1 in the "Tex Brush" mode, with a blue
// and a red picture and an alpha picture (left half black) on disk.
struct IncludedSession : ::testing::Test {
  test::TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};
  std::string blue = dir.file("blue.png"), red = dir.file("red.png"), alpha = dir.file("alpha.png");

  IncludedSession() {
    RegisterKvxPictureFormat();
    const std::string path = dir.file("room.png");
    EXPECT_TRUE(SavePicture(path, TBitmap32(200, 150, 0xFF808080u)).ok());
    EXPECT_TRUE(SavePicture(blue, TBitmap32(10, 10, 0xFF0000FFu)).ok());
    EXPECT_TRUE(SavePicture(red, TBitmap32(10, 10, 0xFFFF0000u)).ok());
    TBitmap32 half(10, 10, 0xFFFFFFFFu);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 5; ++x) half.SetPixel(x, y, 0xFF000000u);
    EXPECT_TRUE(SavePicture(alpha, half).ok());
    s.SetViewSize(400, 300);
    EXPECT_TRUE(s.Load(path));
    s.SetZoom(1);
    EXPECT_TRUE(RunDocumentCommand(s, "aTexBrush"));
  }
  TMouse At(double bx, double by) { return test::LeftAt(s, bx, by); }
  void Drag(double x0, double y0, double x1, double y1) { test::LeftDrag(s, x0, y0, x1, y1); }
  std::vector<uint8_t> State() const { return s.Doc.Included.WriteIncludedList(); }

  // Runs an edit and checks that it changed the list, that Undo gives back the list and
  // the drawing before it and Redo those after it.
  template <class F>
  void ExpectUndoable(const char* what, F&& edit) {
    SCOPED_TRACE(what);
    const std::vector<uint8_t> before = State();
    const std::vector<TColor32> drawnBefore = Pixels(s.Included.Bitmap);
    edit();
    const std::vector<uint8_t> after = State();
    const std::vector<TColor32> drawnAfter = Pixels(s.Included.Bitmap);
    ASSERT_NE(after, before);
    s.Undo();
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Pixels(s.Included.Bitmap), drawnBefore);
    s.Redo();
    EXPECT_EQ(State(), after);
    EXPECT_EQ(Pixels(s.Included.Bitmap), drawnAfter);
  }
};

TEST_F(IncludedSession, EveryEditUndoesAndRedoes) {
  ExpectUndoable("placing a picture", [&] { ASSERT_TRUE(s.PlaceIncludedPicture(blue, 20, 20)); });
  ExpectUndoable("moving it", [&] { Drag(60, 60, 75, 66); });
  EXPECT_EQ(s.Doc.Included[0].Left, 35);
  ExpectUndoable("sizing it", [&] { Drag(135, 126, 150, 130); });
  EXPECT_EQ(s.Doc.Included[0].Width, 115);
  ExpectUndoable("its parameters", [&] {
    TIncObjParams p = *s.Included.SelectedParams();
    p.Opacity = 100;
    ASSERT_TRUE(s.SetIncludedParams(p));
  });
  ExpectUndoable("another picture", [&] {
    world.dialogs.opens.push_back(red);
    s.LoadIncludedImage();
  });
  EXPECT_EQ(s.Doc.Included[0].PicturePath, red);
  ExpectUndoable("an alpha picture", [&] {
    world.dialogs.opens.push_back(alpha);
    s.LoadIncludedAlpha();
  });
  ExpectUndoable("clearing the alpha", [&] { s.ClearIncludedAlpha(); });
  ExpectUndoable("deleting it", [&] { s.DeleteIncluded(); });
  EXPECT_EQ(s.Doc.Included.Count(), 0u);
  EXPECT_TRUE(world.messages.shown.empty()) << world.messages.shown.front();
}

TEST_F(IncludedSession, UndoKeepsTheEditedEntrySelected) {
  ASSERT_TRUE(s.PlaceIncludedPicture(blue, 20, 20));
  ASSERT_TRUE(s.PlaceIncludedPicture(red, 140, 20));
  ASSERT_EQ(s.Doc.Included.EntryAt(30, 30), 0);
  TIncObjParams p = *s.Included.SelectedParams();
  p.Brightness = 50;
  ASSERT_TRUE(s.SetIncludedParams(p));
  s.Undo();
  ASSERT_TRUE(s.Included.SelectedParams());
  EXPECT_EQ(s.Included.SelectedParams()->Left, 20) << "the first entry, as the Params window showed it";
  EXPECT_EQ(s.Included.SelectedParams()->Brightness, 0);
}

TEST_F(IncludedSession, ARunOfChangesToOneFieldIsOneStep) {
  ASSERT_TRUE(s.PlaceIncludedPicture(blue, 20, 20));
  TIncObjParams p = *s.Included.SelectedParams();
  for (int opacity : {200, 150, 100}) {
    p.Opacity = opacity;
    ASSERT_TRUE(s.SetIncludedParams(p));
  }
  p.Contrast = 30;
  ASSERT_TRUE(s.SetIncludedParams(p));
  s.Undo();
  EXPECT_EQ(s.Doc.Included[0].Contrast, 0);
  EXPECT_EQ(s.Doc.Included[0].Opacity, 100);
  s.Undo();
  EXPECT_EQ(s.Doc.Included[0].Opacity, 255) << "the slider's whole run at once";
  ASSERT_EQ(s.Doc.Included.Count(), 1u);
  s.Redo();
  EXPECT_EQ(s.Doc.Included[0].Opacity, 100);
  // After an Undo the same field starts a step of its own.
  s.Undo();
  p = *s.Included.SelectedParams();
  p.Opacity = 90;
  ASSERT_TRUE(s.SetIncludedParams(p));
  s.Undo();
  EXPECT_EQ(s.Doc.Included[0].Opacity, 255);
}

TEST_F(IncludedSession, EditsThatChangeNothingAreNotSteps) {
  ASSERT_TRUE(s.PlaceIncludedPicture(blue, 20, 20));
  const int position = s.History.Position();
  EXPECT_FALSE(s.PlaceIncludedPicture(dir.file("missing.png"), 5, 5));
  world.dialogs.opens.push_back(dir.file("missing.png"));
  s.LoadIncludedImage();
  s.ClearIncludedAlpha();  // there is none
  TIncObjParams p = *s.Included.SelectedParams();
  p.Opacity = 999;  // held to 255, as it is
  EXPECT_FALSE(s.SetIncludedParams(p));
  s.MouseDown(At(30, 30));  // a click without a drag
  s.MouseUp(At(30, 30));
  EXPECT_EQ(s.History.Position(), position);
  s.Undo();
  EXPECT_EQ(s.Doc.Included.Count(), 0u) << "the placing is the last step";
}

TEST_F(IncludedSession, GridAndIncludedEditsInterleaveInTheHistory) {
  s.SetMode(TWindowMode::Grid);
  const TMapGrid start = *s.Layer.Grid;
  s.MouseDown(At(100, 75));  // empty space inside the lattice: the whole grid moves
  s.MouseMove(At(110, 75));
  s.MouseUp(At(110, 75));
  const TMapGrid moved = *s.Layer.Grid;
  ASSERT_NE(moved, start);
  s.SetMode(TWindowMode::Included);
  ASSERT_TRUE(s.PlaceIncludedPicture(blue, 20, 20));

  s.Undo();
  EXPECT_EQ(s.Doc.Included.Count(), 0u);
  EXPECT_EQ(*s.Layer.Grid, moved);
  s.Undo();
  EXPECT_EQ(*s.Layer.Grid, start);
  s.Redo();
  EXPECT_EQ(*s.Layer.Grid, moved);
  EXPECT_EQ(s.Doc.Included.Count(), 0u);
  s.Redo();
  EXPECT_EQ(s.Doc.Included.Count(), 1u);
  EXPECT_EQ(s.Included.Bitmap.Pixel(25, 25), 0xFF0000FFu);
}

}  // namespace
}  // namespace kelvane
