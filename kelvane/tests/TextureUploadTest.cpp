#include <gtest/gtest.h>

#include "drape/OglRender.h"

namespace kelvane {
namespace {

TEST(TextureUpload, OnlyTexturesBeyondTheLargestSideAreShrunk) {
  using Size = std::pair<int, int>;
  EXPECT_EQ(TextureUploadSize(300, 200, 16384), Size(300, 200));      // fits: the renderer rescales
  EXPECT_EQ(TextureUploadSize(16384, 5, 16384), Size(16384, 5));
  EXPECT_EQ(TextureUploadSize(20000, 12000, 16384), Size(16384, 8192));  // the powers of two nearest
  EXPECT_EQ(TextureUploadSize(24600, 100, 16384), Size(16384, 64));      // 32768 x 128, halved once
  EXPECT_EQ(TextureUploadSize(70000, 1, 16384), Size(16384, 1));
}

TEST(TextureUpload, ShrinkingAveragesThePixelsUnderEachPixel) {
  // 6 x 2 to 2 x 1: each pixel the mean of a 3 x 2 block, alpha too, rounded.
  TBitmap32 t(6, 2);
  for (int x = 0; x < 6; ++x) {
    t.SetPixel(x, 0, Color32(uint8_t(x * 10), 0, 255, 255));
    t.SetPixel(x, 1, Color32(uint8_t(x * 10 + 1), 100, 0, 0));
  }
  TColor32 out[2];
  ShrinkTextureRows(t, 2, 1, 0, 1, out);
  EXPECT_EQ(out[0], Color32(11, 50, 128, 128));  // red (0+10+20+1+11+21)/6 = 10.5
  EXPECT_EQ(out[1], Color32(41, 50, 128, 128));
}

TEST(TextureUpload, AHugeTextureDrapesAsItsShrunkCopy) {
  // 17000 x 2: red on the left half, blue on the right, wider than any texture.
  TBitmap32 t(17000, 2, Color32(255, 0, 0));
  t.FillRect({8500, 0, 17000, 2}, Color32(0, 0, 255));
  TMapGrid g;
  g.Cols = g.Rows = 1;
  g.Nodes = {{-1, -1, 0, 0, 0}, {1, -1, 0, 1, 0}, {-1, 1, 0, 0, 1}, {1, 1, 0, 1, 1}};
  g.Cells = {{0, 1, 3, 2, 0, 0, 0}};
  TBitmap32 target(64, 8, 0);
  ASSERT_TRUE(RenderFlat(g, t, target, {}, 0xFF000000u, {TTextureSampling::Nearest, -1, false}));
  EXPECT_EQ(target.Pixel(5, 4), Color32(255, 0, 0));
  EXPECT_EQ(target.Pixel(58, 4), Color32(0, 0, 255));
}

}  // namespace
}  // namespace kelvane
