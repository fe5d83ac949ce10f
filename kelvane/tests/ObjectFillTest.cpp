#include <gtest/gtest.h>

#include "app/ObjectFill.h"
#include "drape/KVXGridTools.h"
#include "drape/TKVXLayer.h"

using namespace kelvane;

namespace {

// A grey project of two objects: object 0 covers the left half, object 1 the right;
// both grids are full-image lattices keyed as their objects.
TKVXFile2 TwoObjects() {
  TKVXFile2 doc;
  doc.Width = 40;
  doc.Height = 20;
  doc.Base = TBitmap32(40, 20, Color32(200, 200, 200));
  doc.Result = doc.Base;
  for (int i = 0; i < 2; ++i) {
    const int k = doc.AddObject();
    TObjectView v = doc.GetObjectView(k);
    v.Mask.SetSize(40, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = i * 20; x < i * 20 + 20; ++x) v.Mask.SetValue(x, y, 255);
    int cw = 0, ch = 0;
    BuildLattice(v.Grid, 40, 20, cw, ch);
    v.Param.MaterialKey = 0;
    v.Param.Color = i == 0 ? Color32(255, 0, 0) : Color32(0, 0, 255);
  }
  return doc;
}

}  // namespace

TEST(ObjectFill, FillChangesOnlyTheObjectsMaskWithItsOwnColour) {
  TKVXFile2 doc = TwoObjects();
  ASSERT_TRUE(FillObject(doc, 0, {}));
  const uint8_t g = Intensity(Color32(200, 200, 200));
  // No texture: the drape is the colour, R(c) squared times the intensity.
  EXPECT_EQ(doc.Result.Pixel(5, 5), Color32(uint8_t(255 * 255 * g >> 16), 0, 0));
  EXPECT_EQ(doc.Result.Pixel(30, 5), Color32(200, 200, 200));
  EXPECT_FALSE(FillObject(doc, 5, {}));  // no such object
}

TEST(ObjectFill, FillAcrossObjectsUsesTheCurrentObjectsTextureThroughTheUnionMask) {
  TKVXFile2 doc = TwoObjects();
  doc.GetObjectView(0).Texture = TBitmap32(4, 4, 0xFFFFFFFFu);
  const int selected[] = {0, 1};
  ASSERT_TRUE(FillSelected(doc, 0, selected, {}));
  // Both halves take object 0's red, through the union of the two masks.
  EXPECT_EQ(RedComponent(doc.Result.Pixel(5, 5)), RedComponent(doc.Result.Pixel(35, 5)));
  EXPECT_EQ(BlueComponent(doc.Result.Pixel(35, 5)), 0u);
}

TEST(ObjectFill, AntialiasedMasksAreForSceneObjectsOnly) {
  TKVXFile2 doc = TwoObjects();
  Status flat = GetAntialiasedMask(doc, 0, {});
  ASSERT_FALSE(flat);
  EXPECT_EQ(flat.error(), "Get Anti-aliased Mask Not Avialable For This Object");

  // A scene object: a square in front of the camera filling the view.
  TObjectView v = doc.GetObjectView(1);
  v.Param.FieldOfView = 1.5707964f;
  v.Param.MaterialKey = 4;
  v.Grid.Nodes = {{-2, 2, -2, 0, 0}, {2, 2, -2, 1, 0}, {2, -2, -2, 1, 1}, {-2, -2, -2, 0, 1}};
  v.Grid.Cells = {{0, 1, 2, 3, 0, 0, 4}, {0, 2, 3, 0, 0, 0, 4}};
  doc.GetObjectView(0).Grid.Cells.clear();
  ASSERT_TRUE(GetAntialiasedMask(doc, 1, {}));
  EXPECT_FLOAT_EQ(doc.SceneFieldOfView, 1.5707964f);
  EXPECT_EQ(doc.GetObjectView(1).Mask.Value(5, 10), 255);
}

TEST(ObjectLayer, RendersWithoutAGridFailAndSeamlessTexturesAreCropped) {
  TKVXLayer layer;
  TBitmap32 target(8, 8);
  EXPECT_FALSE(layer.RenderObject(target, 0xFFFFFFFFu, {}));
  EXPECT_FALSE(layer.SaveGridFile("/tmp/never-written.kvg"));

  TMapGrid grid;
  int cw = 0, ch = 0;
  BuildLattice(grid, 8, 8, cw, ch);
  layer.SetGrid(&grid, 0);
  TBitmap32 texture(10, 10, Color32(0, 255, 0));
  for (int y = 0; y < 10; ++y) texture.SetPixel(5, y, Color32(255, 0, 0));  // red where the right half starts
  layer.SetTexture(texture);
  layer.Options.Sampling = TTextureSampling::Nearest;
  TKVXParamBlock p;
  p.SeamlessX = 0.5f;  // 5 columns cross-faded and cropped: column 5 shows under column 0
  ASSERT_TRUE(layer.RenderObject(target, 0xFF000000u, p));
  EXPECT_GT(RedComponent(target.Pixel(0, 4)), 150u);
  EXPECT_EQ(target.Pixel(7, 4), Color32(0, 255, 0));
  EXPECT_EQ(layer.Texture.Width(), 10);  // the layer's own texture stays as it was
}
