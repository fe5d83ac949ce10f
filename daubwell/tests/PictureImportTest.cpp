// Import Image's readers on the files users and other projects' test suites bring:
// formats known by their bytes, BMP layouts Kelvane also reads, 16-bit, truncated, CMYK
// and turned pictures, TIFFs decoded out of process.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include <jpeglib.h>

#include "TestSupport.h"
#include "files/AtomicFile.h"
#include "files/BrushLists.h"
#include "files/DocumentFlows.h"
#include "files/PictureReaders.h"
#include "files/PngWriter.h"

namespace daubwell {
namespace {

void le16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void le32(std::vector<uint8_t>& b, uint32_t v) {
  le16(b, v & 0xFFFF);
  le16(b, v >> 16);
}

// A bitmap file field by field: `infoSize` 40 or 124 (version 5), `bits` 8, 24 or 32,
// rows given bottom-up unless `height` is negative.
std::vector<uint8_t> bmpFile(int32_t width, int32_t height, uint16_t bits, uint32_t infoSize,
                             const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> b = {'B', 'M'};
  const uint32_t offset = 14 + infoSize + uint32_t(palette.size());
  le32(b, offset + uint32_t(pixels.size()));
  le32(b, 0);
  le32(b, offset);
  le32(b, infoSize);
  le32(b, uint32_t(width));
  le32(b, uint32_t(height));
  le16(b, 1);
  le16(b, bits);
  le32(b, 0);
  le32(b, uint32_t(pixels.size()));
  le32(b, 2835);
  le32(b, 2835);
  le32(b, uint32_t(palette.size() / 4));
  le32(b, 0);
  b.resize(14 + infoSize, 0);  // the rest of a version 5 header: masks, colour space, profile
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

uint32_t rgbAt(const RgbPicture& p, uint32_t x, uint32_t y) {
  const uint8_t* c = p.rgb.data() + (size_t(y) * p.width + x) * 3;
  return uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2];
}

TEST(PictureImport, ReadsTheBmpLayoutsKelvaneReads) {
  // 3 x 2, 8 bits with a 3-colour palette and a version 5 header; rows padded to 4.
  const std::vector<uint8_t> palette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};  // red, green, blue (B G R x)
  const auto v5 = bmpFile(3, 2, 8, 124, palette, {2, 1, 0, 0, 0, 1, 2, 0});
  auto p = decodePicture(v5);
  ASSERT_TRUE(p.ok()) << p.error();
  EXPECT_EQ(rgbAt(p.value(), 0, 0), 0xFF0000u);  // top row is the file's last
  EXPECT_EQ(rgbAt(p.value(), 2, 0), 0x0000FFu);
  EXPECT_EQ(rgbAt(p.value(), 0, 1), 0x0000FFu);
  EXPECT_EQ(rgbAt(p.value(), 1, 1), 0x00FF00u);
  // 24 bits top-down, 32 bits with alpha dropped.
  auto top = decodePicture(bmpFile(1, -2, 24, 40, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
  ASSERT_TRUE(top.ok()) << top.error();
  EXPECT_EQ(rgbAt(top.value(), 0, 0), 0x030201u);
  auto alpha = decodePicture(bmpFile(1, 1, 32, 40, {}, {9, 8, 7, 128}));
  ASSERT_TRUE(alpha.ok()) << alpha.error();
  EXPECT_EQ(rgbAt(alpha.value(), 0, 0), 0x070809u);
  // Every cut fails cleanly, and so do layouts neither program takes.
  for (size_t n = 0; n < v5.size(); ++n) EXPECT_FALSE(decodeBmp({v5.data(), n}).ok()) << "cut at " << n;
  EXPECT_FALSE(decodeBmp(bmpFile(2, 2, 16, 40, {}, std::vector<uint8_t>(8))).ok());
  EXPECT_FALSE(decodeBmp(bmpFile(70000, 1, 24, 40, {}, std::vector<uint8_t>(210000))).ok());
}

TEST(PictureImport, FormatsAreKnownByTheirBytesNotTheirNames) {
  test::TempDir dir;
  DisplaySurface s;
  s.create(2, 1);
  s.setPixel(1, 0, 10, 20, 30);
  ASSERT_TRUE(writePng(s, dir.file("really-a-png.bmp")).ok());
  DisplaySurface back;
  ASSERT_TRUE(readPictureFile(back, dir.file("really-a-png.bmp")).ok());
  EXPECT_EQ(back.pixel(1, 0), 0x0A141Eu);
  // Formats the dialog does not offer are refused before any decoder sees them.
  for (const char* other : {"P6\n2 1\n255\n\1\2\3\4\5\6", "/* XPM */\nstatic char* x[] = {};", "\0\0\2\0\0\0\0\0"}) {
    std::ofstream(dir.file("other.png"), std::ios::binary) << other;
    EXPECT_FALSE(readPictureFile(back, dir.file("other.png")).ok()) << other;
  }
  EXPECT_EQ(pictureKind(std::vector<uint8_t>{'M', 'M', 0, 42}), PictureKind::Tiff);
}

// A 16-bit RGB PNG of the given samples.
std::vector<uint8_t> png16(uint32_t w, uint32_t h, const std::vector<uint16_t>& samples) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_LINEAR_RGB;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr);
  std::vector<uint8_t> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, samples.data(), 0, nullptr);
  out.resize(size);
  return out;
}

TEST(PictureImport, SixteenBitPngsImportAtTheirSizeWithTheirHighBytes) {
  test::TempDir dir;
  std::vector<uint16_t> samples;
  for (int i = 0; i < 64 * 3; ++i) samples.push_back(uint16_t(0x8080));
  const auto file = png16(8, 8, samples);
  std::ofstream(dir.file("deep.png"), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), long(file.size()));
  Document doc;
  test::ScriptedMessages messages;
  ASSERT_TRUE(importImage(doc, dir.file("deep.png"), messages)) << ::testing::PrintToString(messages.texts());
  EXPECT_EQ(doc.canvas.width, 8u);
  EXPECT_EQ(doc.canvas.at(7, 7).highlight, 128);  // grey 0x8080 is 128, not gamma-encoded
  EXPECT_FALSE(decodePng({file.data(), file.size() / 2}).ok());
}

std::vector<uint8_t> jpegOf(int w, int h, const std::vector<uint8_t>& samples, int components, J_COLOR_SPACE in,
                            J_COLOR_SPACE space, const std::vector<uint8_t>& app1 = {}) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = JDIMENSION(w);
  c.image_height = JDIMENSION(h);
  c.input_components = components;
  c.in_color_space = in;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, space);
  jpeg_set_quality(&c, 98, TRUE);
  jpeg_start_compress(&c, TRUE);
  if (!app1.empty()) jpeg_write_marker(&c, JPEG_APP0 + 1, app1.data(), unsigned(app1.size()));
  for (int y = 0; y < h; ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(y) * w * components);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return out;
}

TEST(PictureImport, JpegsAreTurnedReadFromCmykAndRefusedWhenCut) {
  // 32 x 16, red left and blue right, with EXIF orientation 6 (little-endian).
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) rgb.insert(rgb.end(), {uint8_t(x < 16 ? 255 : 0), 0, uint8_t(x < 16 ? 0 : 255)});
  const std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                     0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
  const auto turned = jpegOf(32, 16, rgb, 3, JCS_RGB, JCS_YCbCr, exif);
  auto p = decodePicture(turned);
  ASSERT_TRUE(p.ok()) << p.error();
  ASSERT_EQ(p->width, 16u);
  ASSERT_EQ(p->height, 32u);
  EXPECT_GT(rgbAt(p.value(), 8, 4) >> 16, 200u);   // red on top
  EXPECT_GT(rgbAt(p.value(), 8, 28) & 0xFF, 200u);  // blue below
  const auto cut = decodeJpeg({turned.data(), turned.size() / 2});
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.error(), "JPEG: Premature end of JPEG file");

  // Adobe CMYK (inverted): 20% cyan, 60% magenta, no yellow, 10% black.
  std::vector<uint8_t> cmyk;
  for (int i = 0; i < 16 * 16; ++i) cmyk.insert(cmyk.end(), {204, 102, 255, 229});
  auto c = decodePicture(jpegOf(16, 16, cmyk, 4, JCS_CMYK, JCS_YCCK));
  ASSERT_TRUE(c.ok()) << c.error();
  const uint32_t got = rgbAt(c.value(), 8, 8);
  EXPECT_NEAR(int(got >> 16), 183, 3);
  EXPECT_NEAR(int((got >> 8) & 0xFF), 92, 3);
  EXPECT_NEAR(int(got & 0xFF), 229, 3);
}

// An uncompressed RGB TIFF, one strip.
std::vector<uint8_t> tiffFile(uint16_t w, uint16_t h, const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> b = {'I', 'I', 42, 0};
  const uint16_t entries = 10;
  const uint32_t bitsAt = 8 + 2 + entries * 12 + 4, dataAt = bitsAt + 6;
  le32(b, 8);
  le16(b, entries);
  auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    le16(b, tag);
    le16(b, type);
    le32(b, count);
    le32(b, value);
  };
  entry(256, 3, 1, w);
  entry(257, 3, 1, h);
  entry(258, 3, 3, bitsAt);
  entry(259, 3, 1, 1);  // no compression
  entry(262, 3, 1, 2);  // RGB
  entry(273, 4, 1, dataAt);
  entry(277, 3, 1, 3);
  entry(278, 3, 1, h);
  entry(279, 4, 1, uint32_t(rgb.size()));
  entry(284, 3, 1, 1);
  le32(b, 0);
  for (int i = 0; i < 3; ++i) le16(b, 8);
  b.insert(b.end(), rgb.begin(), rgb.end());
  return b;
}

TEST(PictureImport, TiffsAreDecodedOutOfProcess) {
  const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
  const auto file = tiffFile(2, 2, rgb);
  auto p = decodePicture(file);
  ASSERT_TRUE(p.ok()) << p.error();
  ASSERT_EQ(p->width, 2u);
  EXPECT_EQ(p->rgb, rgb);
  // Damage costs the child only; a decoder that does not finish in time is stopped.
  for (size_t n = 8; n < file.size(); n += 13) (void)decodeTiff({file.data(), n});
  auto late = decodeTiff(file, 0);
  ASSERT_FALSE(late.ok());
  EXPECT_EQ(late.error(), "TIFF: the decoder took longer than 0 s");
}

TEST(BrushLists, FlagBytesOfAnyValueReadAsSet) {
  std::vector<uint8_t> file(kStrokeFileSize, 0);
  file[0] = 1;
  file[36] = 2;     // fade strength
  file[37] = 0;     // fade size
  file[38] = 0xFF;  // oscillate
  const StrokeList strokes = decodeStrokes(file);
  EXPECT_TRUE(strokes.slots[0].entry.fadeStrength);
  EXPECT_FALSE(strokes.slots[0].entry.fadeSize);
  EXPECT_TRUE(strokes.slots[0].entry.oscillate);
  const auto again = encodeStrokes(strokes);
  EXPECT_EQ(again[36], 1);
  EXPECT_EQ(again[38], 1);
}

}  // namespace
}  // namespace daubwell
