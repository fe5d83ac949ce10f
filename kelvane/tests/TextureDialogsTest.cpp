#include <gtest/gtest.h>

#include <cmath>

#include "drape/TexCoordGen.h"
#include "drape/TexParams.h"

using namespace kelvane;

TEST(TextureParams, EachPairIsWrittenTogetherAndRotateAlone) {
  TKVXParamBlock p;
  TTexParamValues controls = LoadTexParams(p);
  EXPECT_EQ(controls, (TTexParamValues{1, 1, 0, 0, 0, 0, 0}));
  controls = {2, 3, 0.25f, 0.1f, -0.5f, 0.5f, 90};
  ASSERT_TRUE(WriteTexParam(&p, controls, 0));  // "X Tiling:" changed
  EXPECT_EQ(p.TileX, 2);
  EXPECT_EQ(p.TileY, 3) << "Y Tiling: goes with it";
  EXPECT_EQ(p.SeamlessX, 0);
  ASSERT_TRUE(WriteTexParam(&p, controls, 3));
  EXPECT_EQ(p.SeamlessX, 0.25f);
  EXPECT_EQ(p.SeamlessY, 0.1f);
  ASSERT_TRUE(WriteTexParam(&p, controls, 6));
  EXPECT_EQ(p.Rotate, 90);
  EXPECT_EQ(p.ShiftX, 0) << "the shift pair was not touched";
  EXPECT_EQ(LoadTexParams(p)[6], 90);
}

TEST(TextureParams, ValuesAreHeldToTheirRangesAndNeedADocument) {
  TKVXParamBlock p;
  ASSERT_TRUE(WriteTexParam(&p, {0, 500, 0, 0, 0, 0, 0}, 1));
  EXPECT_EQ(p.TileX, 0.001f);
  EXPECT_EQ(p.TileY, 100);
  ASSERT_TRUE(WriteTexParam(&p, {1, 1, 0.9f, NAN, -3, 3, 400}, 2));
  EXPECT_EQ(p.SeamlessX, 0.5f);
  EXPECT_EQ(p.SeamlessY, 0) << "not a number takes the default";
  ASSERT_TRUE(WriteTexParam(&p, {1, 1, 0, 0, -3, 3, 400}, 5));
  EXPECT_EQ(p.ShiftX, -1);
  EXPECT_EQ(p.ShiftY, 1);
  const TKVXParamBlock before = p;
  EXPECT_FALSE(WriteTexParam(nullptr, {5, 5, 0, 0, 0, 0, 0}, 0)) << "no document window is active";
  EXPECT_FALSE(WriteTexParam(&p, {5, 5, 0, 0, 0, 0, 0}, 7));
  EXPECT_EQ(p.TileX, before.TileX);
}

TEST(GenTextureCoords, TheEditsTakeDigitsTheSeparatorBackspaceAndMinus) {
  for (char32_t k : {U'0', U'7', U'9', U'.', U'\b', U'-'}) EXPECT_TRUE(TexGenAcceptsKey(k, U'.')) << char(k);
  for (char32_t k : {U'a', U',', U' ', U'+', U'e'}) EXPECT_FALSE(TexGenAcceptsKey(k, U'.')) << char(k);
  EXPECT_TRUE(TexGenAcceptsKey(U',', U','));
  EXPECT_FALSE(TexGenAcceptsKey(U'.', U','));
}

TEST(GenTextureCoords, ThousandsGiveThreeAndTextThatIsNoNumberChangesNothing) {
  TMapGrid g;
  g.Nodes = {{1, 2, 3, 9, 9}};
  TTexGenTexts texts = DefaultTexGenTexts();
  ASSERT_TRUE(ApplyTexGen(g, texts));
  EXPECT_FLOAT_EQ(g.Nodes[0].U, 0.003f);
  texts.fill("1000");
  ASSERT_TRUE(ApplyTexGen(g, texts));
  EXPECT_FLOAT_EQ(g.Nodes[0].U, 3);
  EXPECT_FLOAT_EQ(g.Nodes[0].V, 3);
  texts[5] = "abc";  // pasted
  g.Nodes[0].U = g.Nodes[0].V = 7;
  EXPECT_FALSE(ApplyTexGen(g, texts));
  EXPECT_EQ(g.Nodes[0].U, 7);
  EXPECT_EQ(g.Nodes[0].V, 7);
}
