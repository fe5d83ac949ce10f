#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

#include "drape/DrapeFill.h"
#include "drape/KVXGridTools.h"
#include "drape/TKVXLayer.h"

using namespace kelvane;

namespace {

TMapGrid OneCell(float left, float top, float right, float bottom, float z = 0) {
  TMapGrid g;
  g.Cols = g.Rows = 1;
  g.Nodes = {{left, top, z, 0, 0}, {right, top, z, 1, 0}, {left, bottom, z, 0, 1}, {right, bottom, z, 1, 1}};
  g.Cells = {{0, 1, 3, 2, 0, 0, 0}};
  return g;
}

// A fill of a grey photo with a texture through a full mask, reporting what it saw.
struct Fill {
  Fill(int w, int h) : photo(w, h, Color32(180, 180, 180)), result(photo), mask(w, h, 255), texture(w, 4) {
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < 4; ++y) texture.SetPixel(x, y, Color32(uint8_t(x), uint8_t(255 - x), uint8_t(y * 60)));
    in.Base = &photo;
    in.Result = &result;
    in.Mask = &mask;
    in.Texture = &texture;
    in.Report = &report;
  }
  Status Run(TMapGrid& grid, const TKVXParamBlock& p = {}, const TRenderOptions& options = {}) {
    TKVXLayer layer;
    layer.SetGrid(&grid, p.MaterialKey);
    layer.Options = options;
    in.Param = p;
    result = photo;
    return DrapeFill(layer, in);
  }
  TBitmap32 photo, result;
  TByteMap mask;
  TBitmap32 texture;
  TFillReport report;
  TFillInput in;
};

}  // namespace

TEST(DrapeReport, CountsTheMaskedPixelsNoCellCovers) {
  Fill f(8, 4);
  f.mask.SetValue(7, 3, 0);
  TMapGrid left = OneCell(-1, -1, 0, 1);
  ASSERT_TRUE(f.Run(left));
  EXPECT_EQ(f.report.MaskedPixels, 31);
  EXPECT_EQ(f.report.UncoveredPixels, 15);
  ASSERT_EQ(f.report.Warnings().size(), 1u);
  EXPECT_NE(f.report.Warnings()[0].find("15 of the 31 masked pixels"), std::string::npos);
}

TEST(DrapeReport, AskingForTheReportLeavesTheRenderAsItWas) {
  // Wider than one render tile, so the footprint pass runs between tiles.
  Fill f(1100, 6);
  TMapGrid lattice;
  int cw = 0, ch = 0;
  BuildLattice(lattice, 1100, 6, cw, ch);
  ASSERT_TRUE(f.Run(lattice));
  EXPECT_EQ(f.report.UncoveredPixels, 0);
  EXPECT_TRUE(f.report.Warnings().empty());
  const TBitmap32 reported = f.result;
  f.in.Report = nullptr;
  ASSERT_TRUE(f.Run(lattice));
  EXPECT_TRUE(std::equal(reported.Bits(), reported.Bits() + 1100 * 6, f.result.Bits()));
}

TEST(DrapeReport, PerspectiveRendersSayWhyTheyDrawNothing) {
  Fill f(16, 16);
  TMapGrid flat = OneCell(-1, -1, 1, 1);
  TKVXParamBlock p;
  p.FieldOfView = float(std::numbers::pi / 2);
  ASSERT_TRUE(f.Run(flat, p, {TTextureSampling::Linear, -1, false}));
  EXPECT_TRUE(f.report.FlatGridInPerspective);
  EXPECT_FALSE(f.report.NoCellOfKey);  // the plain perspective render draws every key
  EXPECT_EQ(f.report.UncoveredPixels, 256);
  ASSERT_EQ(f.report.Warnings().size(), 1u);  // the count would only repeat it

  // A mesh in front of the camera is seen, in part; with the antialiased render only
  // the cells of the object's key count.
  TMapGrid mesh = OneCell(-1, 1, 1, -1, -1.5f);
  p.MaterialKey = 4;
  ASSERT_TRUE(f.Run(mesh, p, {TTextureSampling::Linear, 4, true}));
  EXPECT_TRUE(f.report.NoCellOfKey);
  EXPECT_EQ(f.report.UncoveredPixels, 256);
  EXPECT_EQ(f.report.Warnings().size(), 1u);
  mesh.Cells[0].Key = 4;
  ASSERT_TRUE(f.Run(mesh, p, {TTextureSampling::Linear, 4, true}));
  EXPECT_FALSE(f.report.NoCellOfKey);
  // At depth 1.5 a 90-degree camera sees -1.5..1.5: the cell's triangle is half a square
  // of two thirds of the side, about 57 pixels.
  EXPECT_NEAR(256 - f.report.UncoveredPixels, 57, 6);
}
