#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "files/BlockCodec.h"

namespace daubwell {
namespace {

std::vector<uint8_t> encode(const std::vector<uint8_t>& plane, uint32_t w, uint32_t h, int level) {
  std::vector<uint8_t> out;
  encodePlane(out, plane, w, h, level);
  return out;
}

std::vector<uint8_t> decode(const std::vector<uint8_t>& stored, uint32_t w, uint32_t h, int level) {
  std::vector<uint8_t> plane(size_t(w) * h, 0xEE);
  ByteReader in(stored);
  Status s = decodePlane(in, plane, w, h, level);
  EXPECT_TRUE(s.ok()) << s.error();
  EXPECT_EQ(in.remaining(), 0u);
  return plane;
}

std::vector<uint8_t> randomPlane(uint32_t w, uint32_t h, uint32_t seed, int spread = 255) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> d(0, spread);
  std::vector<uint8_t> p(size_t(w) * h);
  const int base = std::uniform_int_distribution<int>(0, 255 - spread)(gen);
  for (auto& v : p) v = uint8_t(base + d(gen));
  return p;
}

// Writes a block stream bit by bit, most significant bit first.
struct Bits {
  std::vector<uint8_t> bytes;
  int used = 0;
  void put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      if (used % 8 == 0) bytes.push_back(0);
      if (v >> i & 1) bytes.back() |= uint8_t(0x80 >> (used % 8));
      ++used;
    }
  }
  std::vector<uint8_t> stored() const {
    std::vector<uint8_t> out{uint8_t(bytes.size()), 0, 0, 0};
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
  }
};

TEST(BlockCodec, UniformBlockStoresAsOneValueInTwelveBits) {
  const std::vector<uint8_t> plane(16, 0x5A);
  const auto stored = encode(plane, 4, 4, 1);
  // N = 2, then n = 0 (4 bits) and v = 0x5A (8 bits) padded to 16 bits.
  EXPECT_EQ(stored, (std::vector<uint8_t>{2, 0, 0, 0, 0x05, 0xA0}));
  EXPECT_EQ(decode(stored, 4, 4, 1), plane);
}

TEST(BlockCodec, FiveByFivePlaneIsCodedAsFourBlocksAndComesBackFiveByFive) {
  const auto plane = randomPlane(5, 5, 11, 1);  // values within 1: flat blocks
  const auto stored = encode(plane, 5, 5, 1);
  EXPECT_EQ(stored.size(), 4u + 6u);  // 4 blocks of 12 bits
  const auto back = decode(stored, 5, 5, 1);
  ASSERT_EQ(back.size(), 25u);
  for (size_t i = 0; i < 25; ++i) EXPECT_LE(plane[i] - back[i], 1) << i;
}

TEST(BlockCodec, BlocksAreVisitedColumnByColumn) {
  // 8 x 8: the four blocks in the order (0,0), (0,1), (1,0), (1,1).
  std::vector<uint8_t> plane(64);
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 8; ++x) plane[y * 8 + x] = uint8_t(10 * (1 + (x / 4) * 2 + y / 4));
  const auto stored = encode(plane, 8, 8, 2);
  // Four flat records 10, 20, 30, 40: 0000 00001010 0000 00010100 0000 00011110 0000 00101000.
  EXPECT_EQ(stored, (std::vector<uint8_t>{6, 0, 0, 0, 0x00, 0xA0, 0x14, 0x01, 0xE0, 0x28}));
}

TEST(BlockCodec, LevelThreeDecodesOffsetsToValuePlusEightQPlusThree) {
  Bits b;
  b.put(2, 4);  // n = 2
  b.put(100, 8);
  for (int i = 0; i < 16; ++i) b.put(uint32_t(i % 4), 2);
  const auto back = decode(b.stored(), 4, 4, 3);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], 100 + 8 * (i % 4) + 3) << i;
}

TEST(BlockCodec, DecodedValuesSaturateAt255) {
  Bits b;
  b.put(3, 4);
  b.put(250, 8);
  for (int i = 0; i < 16; ++i) b.put(7, 3);
  for (uint8_t v : decode(b.stored(), 4, 4, 5)) EXPECT_EQ(v, 255);
}

TEST(BlockCodec, BlackAndWhiteInOneBlockComeBackWithinOneAtLevelOne) {
  std::vector<uint8_t> plane(16, 0);
  for (int i = 0; i < 16; i += 2) plane[i] = 255;
  const auto stored = encode(plane, 4, 4, 1);
  EXPECT_EQ(stored[4] >> 4, 7);  // n = 7
  const auto back = decode(stored, 4, 4, 1);
  for (int i = 0; i < 16; ++i) EXPECT_LE(plane[i] - back[i], 1) << i;
}

TEST(BlockCodec, LevelOneGivesOffsetBlocksBackEqualOrOneLess) {
  for (auto [w, h] : {std::pair{1u, 1u}, {7u, 3u}, {64u, 61u}}) {
    const auto plane = randomPlane(w, h, w * 31 + h);
    const auto back = decode(encode(plane, w, h, 1), w, h, 1);
    for (size_t i = 0; i < plane.size(); ++i) {
      const int diff = plane[i] - back[i];
      ASSERT_TRUE(diff == 0 || diff == 1) << w << "x" << h << " at " << i << ": " << int(plane[i])
                                          << " -> " << int(back[i]);
    }
  }
}

TEST(BlockCodec, LevelOneFlattensBlocksWithinOneOfTheirMean) {
  // 211, 212, 213 average to 212: the flat record gives 212 back for all three.
  std::vector<uint8_t> plane(16, 212);
  plane[0] = 211;
  plane[1] = 213;
  const auto stored = encode(plane, 4, 4, 1);
  EXPECT_EQ(stored.size(), 6u);
  EXPECT_EQ(decode(stored, 4, 4, 1), std::vector<uint8_t>(16, 212));
  const auto noisy = randomPlane(33, 17, 5, 3);
  const auto back = decode(encode(noisy, 33, 17, 1), 33, 17, 1);
  for (size_t i = 0; i < noisy.size(); ++i) ASSERT_LE(std::abs(noisy[i] - back[i]), 1) << i;
}

TEST(BlockCodec, CoarserLevelsStayWithinTheirStep) {
  // Smooth data, as pattern images are: each level's error stays below its step.
  std::vector<uint8_t> plane(40 * 24);
  for (uint32_t y = 0; y < 24; ++y)
    for (uint32_t x = 0; x < 40; ++x) plane[y * 40 + x] = uint8_t(128 + 100 * std::sin(x * 0.2 + y * 0.1));
  for (int level = 2; level <= 5; ++level) {
    const auto back = decode(encode(plane, 40, 24, level), 40, 24, level);
    for (size_t i = 0; i < plane.size(); ++i)
      ASSERT_LE(std::abs(plane[i] - back[i]), 1 << level) << "level " << level << " at " << i;
  }
}

TEST(BlockCodec, ShortStreamReadsMissingBitsAsZero) {
  const std::vector<uint8_t> stored{1, 0, 0, 0, 0x03};  // n = 0, v = 0011 then zeros
  EXPECT_EQ(decode(stored, 4, 4, 1), std::vector<uint8_t>(16, 0x30));
  const std::vector<uint8_t> empty{0, 0, 0, 0};
  EXPECT_EQ(decode(empty, 8, 4, 1), std::vector<uint8_t>(32, 0));
}

TEST(BlockCodec, OffsetsWiderThanTheEncoderWritesAreReadAndClamped) {
  Bits b;
  b.put(12, 4);  // n = 12
  b.put(0, 8);
  for (int i = 0; i < 16; ++i) b.put(uint32_t(i), 12);
  const auto back = decode(b.stored(), 4, 4, 3);
  EXPECT_EQ(back[0], 3);
  EXPECT_EQ(back[15], 123);
}

TEST(BlockCodec, RejectsNegativeOrOverlongByteCounts) {
  std::vector<uint8_t> plane(16);
  for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{}, {1, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 0},
                                          {9, 0, 0, 0, 1, 2, 3}}) {
    ByteReader in(bad);
    EXPECT_FALSE(decodePlane(in, plane, 4, 4, 1).ok());
  }
}

}  // namespace
}  // namespace daubwell
