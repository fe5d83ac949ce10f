#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include "TestSupport.h"
#include "canvas/Lighting.h"
#include "files/ReliefExport.h"

namespace daubwell {
namespace {

struct ReadPng {
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  std::vector<std::vector<uint8_t>> rows;  // as stored (16-bit samples big-endian)
  std::vector<std::pair<std::string, std::string>> texts;
};

ReadPng readPng(const std::string& path) {
  ReadPng out;
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 8) return out;
  struct Source {
    const std::vector<char>* bytes;
    size_t at = 0;
  } source{&bytes};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return {};
  }
  png_set_read_fn(png, &source, [](png_structp p, png_bytep to, png_size_t n) {
    auto* s = static_cast<Source*>(png_get_io_ptr(p));
    if (s->at + n > s->bytes->size()) png_error(p, "short");
    std::memcpy(to, s->bytes->data() + s->at, n);
    s->at += n;
  });
  png_read_info(png, info);
  out.width = png_get_image_width(png, info);
  out.height = png_get_image_height(png, info);
  out.bitDepth = png_get_bit_depth(png, info);
  out.colourType = png_get_color_type(png, info);
  out.rows.assign(out.height, std::vector<uint8_t>(png_get_rowbytes(png, info)));
  for (auto& r : out.rows) png_read_row(png, r.data(), nullptr);
  png_read_end(png, info);
  png_textp text = nullptr;
  const int n = png_get_text(png, info, &text, nullptr);
  for (int i = 0; i < n; ++i) out.texts.emplace_back(text[i].key, text[i].text);
  png_destroy_read_struct(&png, &info, nullptr);
  return out;
}

uint16_t sample16(const ReadPng& p, uint32_t x, uint32_t y) {
  return uint16_t(p.rows[y][2 * x] << 8 | p.rows[y][2 * x + 1]);
}

TEST(ReliefExport, HeightMapSpansTheReliefAndSaysItsRange) {
  Canvas c;
  c.create(4, 3);
  c.at(0, 0).height = -2.0f;  // lowest
  c.at(3, 2).height = 6.0f;   // highest
  c.at(1, 1).height = 2.0f;   // half way
  c.at(2, 0).height = std::numeric_limits<float>::quiet_NaN();
  c.at(2, 1).height = std::numeric_limits<float>::infinity();
  test::TempDir dir;
  ASSERT_TRUE(writeHeightMap(c, dir.file("h.png")).ok());
  const ReadPng p = readPng(dir.file("h.png"));
  ASSERT_EQ(p.width, 4u);
  ASSERT_EQ(p.height, 3u);
  EXPECT_EQ(p.bitDepth, 16);
  EXPECT_EQ(p.colourType, PNG_COLOR_TYPE_GRAY);
  EXPECT_EQ(sample16(p, 0, 0), 0);
  EXPECT_EQ(sample16(p, 3, 2), 65535);
  EXPECT_EQ(sample16(p, 1, 1), 32768);   // 0.5 * 65535 rounded
  EXPECT_EQ(sample16(p, 1, 0), 16384);   // height 0: a quarter of the way
  EXPECT_EQ(sample16(p, 2, 0), 0);       // NaN
  EXPECT_EQ(sample16(p, 2, 1), 65535);   // +inf, not part of the range
  bool found = false;
  for (auto& [key, text] : p.texts)
    if (key == kHeightRangeKey) {
      found = true;
      EXPECT_NE(text.find("lowest=-2 highest=6"), std::string::npos) << text;
    }
  EXPECT_TRUE(found);
}

TEST(ReliefExport, AFlatPaintingIsAllZeroAndAnEmptyOneIsRefused) {
  Canvas c;
  c.create(3, 3);
  for (auto& px : c.pixels) px.height = 4.0f;
  const HeightRange r = heightRange(c);
  EXPECT_EQ(r.lowest, 4.0f);
  EXPECT_EQ(r.highest, 4.0f);
  for (uint16_t v : heightSamples(c, r)) EXPECT_EQ(v, 0);
  Canvas empty;
  test::TempDir dir;
  EXPECT_FALSE(writeHeightMap(empty, dir.file("e.png")).ok());
  EXPECT_FALSE(writeNormalMap(empty, dir.file("e.png")).ok());
  EXPECT_FALSE(writeHeightMap(c, dir.file("no/such/folder/h.png")).ok());
}

// The normal the export gives is the one the lighting shades with: with no highlight and
// full shading, a pixel's shown grey is its paint times the diffuse term of that normal.
TEST(ReliefExport, NormalsAreTheLightingsAndComeOutRedRightGreenUp) {
  Canvas c;
  c.create(5, 5);
  for (uint32_t y = 0; y < 5; ++y)
    for (uint32_t x = 0; x < 5; ++x) {
      CanvasPixel& p = c.at(x, y);
      p.red = p.green = p.blue = 200;
      p.shading = 255;
      p.height = float(x * x) * 0.7f + float(y) * 1.3f;
    }
  c.highQuality = false;
  relightAll(c);
  for (uint32_t y = 1; y < 4; ++y)
    for (uint32_t x = 1; x < 4; ++x) {
      const SurfaceNormal n = surfaceNormal(c, x, y);
      EXPECT_NEAR(n.x * n.x + n.towardsViewer * n.towardsViewer + n.down * n.down, 1.0f, 1e-5f);
      const float d = std::max(0.0f, n.x * c.light[0] + n.towardsViewer * c.light[1] + n.down * c.light[2]);
      const uint32_t shown = c.surface.pixel(x, y);
      EXPECT_NEAR(double(shown & 0xFF), 200.0 * d, 1.01) << x << "," << y;
    }
  // A flat painting faces the viewer: (128, 128, 255).
  Canvas flat;
  flat.create(2, 2);
  const std::vector<uint8_t> rgb = normalColours(flat);
  EXPECT_EQ(rgb[0], 128);
  EXPECT_EQ(rgb[1], 128);
  EXPECT_EQ(rgb[2], 255);
  // Differences that grow down the rows point green the other way from the normal's
  // downward part.
  const std::vector<uint8_t> sloped = normalColours(c);
  const SurfaceNormal n = surfaceNormal(c, 2, 2);
  const size_t i = (2 * 5 + 2) * 3;
  EXPECT_EQ(sloped[i + 0], uint8_t(std::lround((n.x + 1) * 127.5f)));
  EXPECT_EQ(sloped[i + 1], uint8_t(std::lround((1 - n.down) * 127.5f)));
  test::TempDir dir;
  ASSERT_TRUE(writeNormalMap(c, dir.file("n.png")).ok());
  const ReadPng p = readPng(dir.file("n.png"));
  EXPECT_EQ(p.bitDepth, 8);
  EXPECT_EQ(p.colourType, PNG_COLOR_TYPE_RGB);
  ASSERT_EQ(p.height, 5u);
  EXPECT_EQ(p.rows[2][2 * 3 + 1], sloped[i + 1]);
}

}  // namespace
}  // namespace daubwell
