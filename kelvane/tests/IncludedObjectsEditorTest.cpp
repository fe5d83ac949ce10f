#include <gtest/gtest.h>

#include "TestSupport.h"
#include "drape/TICNObjectEditorLayer.h"
#include "raster/PictureFormats.h"

using namespace kelvane;

namespace {

struct Editor {
  test::TempDir dir;
  TIncObjList list;
  TICNObjectEditorLayer layer;
  std::string red, alpha;
  Editor() {
    layer.List = &list;
    layer.SetImageSize(300, 200);
    red = dir.file("red.png");
    alpha = dir.file("alpha.png");
    EXPECT_TRUE(SavePicture(red, TBitmap32(8, 8, Color32(255, 0, 0))));
    EXPECT_TRUE(SavePicture(alpha, TBitmap32(8, 8, Color32(128, 128, 128))));
  }
};

}  // namespace

TEST(IncludedObjectsEditor, APlacedPictureIsDrawnInItsRectangle) {
  Editor e;
  auto placed = e.layer.PlacePicture(e.red, 40, 30);
  ASSERT_TRUE(placed);
  EXPECT_EQ(e.list.Selected(), int(*placed));
  EXPECT_EQ(e.layer.BandRect(), (TRect{40, 30, 140, 130}));
  ASSERT_TRUE(e.layer.Redraw());
  EXPECT_EQ(e.layer.Bitmap.Width(), 300);
  EXPECT_EQ(e.layer.Bitmap.Pixel(90, 80), Color32(255, 0, 0));
  EXPECT_EQ(e.layer.Bitmap.Pixel(20, 20), 0u);
  EXPECT_FALSE(e.layer.NeedsRedraw);

  auto missing = e.layer.PlacePicture(e.dir.file("none.png"), 0, 0);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().find("none.png"), std::string::npos) << missing.error();
  EXPECT_EQ(e.list.Count(), 1u);
}

TEST(IncludedObjectsEditor, TheRubberBandMovesAndSizesTheSelectedEntry) {
  Editor e;
  ASSERT_TRUE(e.layer.PlacePicture(e.red, 40, 30));
  e.layer.MouseDown(90, 80);
  EXPECT_EQ(e.layer.Grab(), TBandGrab::Move);
  e.layer.MouseMove(100, 85);
  EXPECT_TRUE(e.layer.MouseUp());
  EXPECT_EQ(e.layer.BandRect(), (TRect{50, 35, 150, 135}));
  e.layer.MouseDown(151, 86);  // the right handle
  EXPECT_EQ(e.layer.Grab(), TBandGrab::Right);
  e.layer.MouseMove(171, 90);
  e.layer.MouseUp();
  EXPECT_EQ(e.layer.BandRect(), (TRect{50, 35, 170, 135}));
  // The top-left corner dragged past the opposite one stops a pixel short of it.
  e.layer.MouseDown(50, 35);
  EXPECT_EQ(e.layer.Grab(), TBandGrab::TopLeft);
  e.layer.MouseMove(400, 400);
  e.layer.MouseUp();
  EXPECT_EQ(e.layer.BandRect(), (TRect{169, 134, 170, 135}));
  // A press away from every entry grabs nothing and clears the selection.
  e.layer.MouseDown(5, 5);
  EXPECT_EQ(e.layer.Grab(), TBandGrab::None);
  EXPECT_FALSE(e.layer.MouseUp());
  EXPECT_FALSE(e.layer.BandRect());
}

TEST(IncludedObjectsEditor, ParamsAreHeldToTheirRanges) {
  Editor e;
  EXPECT_FALSE(e.layer.SetSelectedParams({}));
  ASSERT_TRUE(e.layer.PlacePicture(e.red, 0, 0));
  ASSERT_TRUE(e.layer.SetSelectedParams({5, 6, 0, -3, 150, -150, 20, 300}));
  const TIncObjParams p = *e.layer.SelectedParams();
  EXPECT_EQ(p, (TIncObjParams{5, 6, 1, 1, 100, -100, 20, 255}));
}

TEST(IncludedObjectsEditor, AlphaPicturesLoadAndClearAndEntriesDelete) {
  Editor e;
  ASSERT_TRUE(e.layer.PlacePicture(e.red, 0, 0));
  EXPECT_FALSE(e.layer.LoadAlpha(e.dir.file("none.png")));
  EXPECT_TRUE(e.list[0].AlphaPath.empty());
  ASSERT_TRUE(e.layer.LoadAlpha(e.alpha));
  ASSERT_TRUE(e.layer.Redraw());
  const TColor32 half = e.layer.Bitmap.Pixel(50, 50);
  EXPECT_EQ(AlphaComponent(half), 128);
  EXPECT_TRUE(e.layer.ClearAlpha());
  EXPECT_FALSE(e.layer.ClearAlpha());
  ASSERT_TRUE(e.layer.Redraw());
  EXPECT_EQ(e.layer.Bitmap.Pixel(50, 50), Color32(255, 0, 0));
  EXPECT_TRUE(e.layer.DeleteSelected());
  EXPECT_EQ(e.list.Count(), 0u);
  EXPECT_FALSE(e.layer.DeleteSelected());
  ASSERT_TRUE(e.layer.Redraw());
  EXPECT_EQ(e.layer.Bitmap.Pixel(50, 50), 0u);
}
