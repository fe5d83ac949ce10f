#include <gtest/gtest.h>

#include "raster/BalanceTable.h"

namespace kelvane {
namespace {

TEST(BalanceTable, DefaultsAreTheIdentityButForRoundingNearTheMiddle) {
  const TBalanceTable t = BuildBalanceTable({});
  int differences = 0;
  for (int i = 0; i < 256; ++i) {
    EXPECT_LE(std::abs(t[size_t(i)] - i), 1) << i;
    differences += t[size_t(i)] != i;
  }
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[255], 255);
  EXPECT_EQ(t[127], 128);  // mid = 127 is not exactly one half
  EXPECT_GT(differences, 0);
}

TEST(BalanceTable, FullBrightnessIsClampedToTheRangeHigh) {
  const TBalanceTable t = BuildBalanceTable({.brightness = 100});
  for (int i = 0; i < 256; ++i) EXPECT_EQ(t[size_t(i)], 255) << i;
}

TEST(BalanceTable, NoContrastGivesMidGrey) {
  const TBalanceTable t = BuildBalanceTable({.contrast = -100});
  for (int i = 0; i < 256; ++i) EXPECT_EQ(t[size_t(i)], 128) << i;  // round(127.5) to even
}

TEST(BalanceTable, LowAndHighCutTheEnds) {
  const TBalanceTable t = BuildBalanceTable({.low = 50, .mid = 127, .high = 200});
  EXPECT_EQ(t[49], 0);
  EXPECT_EQ(t[201], 255);
  const TBalanceTable g = BuildBalanceTable({.gamma = 100});  // G = 10^0.5 darkens
  EXPECT_LT(g[64], 64);
}

TEST(BalanceTable, ApplyingKeepsAlpha) {
  TBitmap32 b(1, 1, 0x40102030u);
  TBalanceTable t{};
  for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(255 - i);
  ApplyBalanceTable(b, t);
  EXPECT_EQ(b.Pixel(0, 0), 0x40EFDFCFu);
}

}  // namespace
}  // namespace kelvane
