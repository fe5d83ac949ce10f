// Pictures as real files come: 16-bit and truncated PNGs, truncated, CMYK and turned
// JPEGs, and the PNG writer's layouts.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include <jpeglib.h>

#include "TestSupport.h"
#include "raster/ExifOrientation.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

// A 16-bit RGB PNG of the given samples (3 per pixel), written with libpng.
std::vector<uint8_t> png16(int w, int h, const std::vector<uint16_t>& samples) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep d, size_t n) {
        auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), d, d + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 16, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_gAMA(png, info, 1.0);  // claims linear samples: must not change what is read
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(w) * 6);
  for (int y = 0; y < h; ++y) {
    for (int i = 0; i < w * 3; ++i) {
      const uint16_t v = samples[size_t(y) * w * 3 + i];
      row[size_t(i) * 2] = uint8_t(v >> 8);
      row[size_t(i) * 2 + 1] = uint8_t(v);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(Png, SixteenBitSamplesKeepTheirHighByteWithoutGamma) {
  std::vector<uint16_t> ramp;
  for (int i = 0; i < 256; ++i)
    for (uint16_t v : {uint16_t(i * 257), uint16_t(i * 256 + 128), uint16_t(i * 256)}) ramp.push_back(v);
  auto bmp = ReadPng(png16(256, 1, ramp));
  ASSERT_TRUE(bmp.ok()) << bmp.error();
  for (int i = 0; i < 256; ++i) {
    const TColor32 c = bmp->Pixel(i, 0);
    EXPECT_EQ(RedComponent(c), i) << i;
    EXPECT_NEAR(GreenComponent(c), i, 1) << i;
    EXPECT_NEAR(BlueComponent(c), i, 1) << i;
  }
  EXPECT_EQ(GreenComponent(bmp->Pixel(128, 0)), 128);  // 0x8080
}

// The room photograph of Debian's libjxl-testdata, a 16-bit PNG, against its samples'
// high bytes read without any conversion.
TEST(Png, TheRoomPhotographReadsAsItsHighBytes) {
  const char* path = "/usr/share/libjxl-testdata/jxl/hdr_room.png";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "libjxl-testdata is not installed";
  const auto file = ReadFileBytes(path).value();
  auto bmp = ReadPng(file);
  ASSERT_TRUE(bmp.ok()) << bmp.error();
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
  image.format = PNG_FORMAT_LINEAR_RGB;  // 16-bit samples as stored
  std::vector<uint16_t> samples(PNG_IMAGE_SIZE(image) / 2);
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr));
  ASSERT_EQ(bmp->Width(), int(image.width));
  int off = 0;
  for (size_t i = 0; i < samples.size(); i += 3) {
    const TColor32 c = bmp->Bits()[i / 3];
    for (int k = 0; k < 3; ++k)
      off += std::abs(int(samples[i + size_t(k)] >> 8) - int((c >> (16 - 8 * k)) & 0xFF)) > 1;
  }
  EXPECT_EQ(off, 0);
}

TEST(Png, EveryTruncationAndDamageFailsCleanly) {
  const auto file = WritePng(test::gradient(13, 7, true)).value();
  // Cuts into the image data fail; only the 12-byte end chunk may go.
  for (size_t n = 0; n + 12 < file.size(); ++n) EXPECT_FALSE(ReadPng({file.data(), n}).ok()) << "cut at " << n;
  EXPECT_TRUE(ReadPng({file.data(), file.size() - 12}).ok());
  EXPECT_NE(ReadPng({file.data(), file.size() - 20}).error().find("truncated"), std::string::npos);
  for (size_t i = 0; i < file.size(); ++i) {
    auto bad = file;
    bad[i] ^= 0x55;
    (void)ReadPng(bad);
  }
}

TEST(PngWriter, WritesRgbWhenOpaqueAndRoundTripsExactly) {
  const TBitmap32 opaque = test::gradient(9, 5), alpha = test::gradient(9, 5, true);
  for (const TBitmap32* b : {&opaque, &alpha}) {
    const auto file = WritePng(*b).value();
    EXPECT_EQ(file[25], b == &opaque ? 2 : 6);  // IHDR colour type: RGB or RGBA
    auto back = ReadPng(file);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(std::memcmp(back->Bits(), b->Bits(), 9 * 5 * 4), 0);
  }
  // Large enough for several strips, compressed apart and joined into one stream.
  const TBitmap32 big = test::gradient(1500, 1200);
  auto back = ReadPng(WritePng(big).value());
  ASSERT_TRUE(back.ok()) << back.error();
  EXPECT_EQ(std::memcmp(back->Bits(), big.Bits(), size_t(1500) * 1200 * 4), 0);
}

TEST(Bmp, ReadsVersionFiveHeadersWithPalettes) {
  // 3 x 2 at 8 bits: a 124-byte info header, a palette of red, green, blue (B G R x).
  std::vector<uint8_t> b = {'B', 'M'};
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  le32(14 + 124 + 12 + 8);
  le32(0);
  le32(14 + 124 + 12);
  le32(124);
  le32(3);
  le32(2);
  le32(1 | 8 << 16);  // one plane, 8 bits
  le32(0);
  le32(8);
  le32(2835);
  le32(2835);
  le32(3);  // colours used
  b.resize(14 + 124, 0);
  b.insert(b.end(), {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});
  b.insert(b.end(), {2, 1, 0, 0, 0, 1, 2, 0});  // bottom row first
  auto bmp = ReadBmp(b);
  ASSERT_TRUE(bmp.ok()) << bmp.error();
  EXPECT_EQ(bmp->Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp->Pixel(2, 0), 0xFF0000FFu);
  EXPECT_EQ(bmp->Pixel(1, 1), 0xFF00FF00u);
}

// A JPEG written with libjpeg from samples of `components` per pixel in `space`, with
// optional APP1 data; `adobe` says whether the Adobe marker is written.
std::vector<uint8_t> jpegOf(int w, int h, const std::vector<uint8_t>& samples, int components, J_COLOR_SPACE in,
                            J_COLOR_SPACE space, bool adobe = true, const std::vector<uint8_t>& app1 = {}) {
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
  c.write_Adobe_marker = adobe;
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

TEST(Jpeg, TruncatedFilesAreRefused) {
  const TBitmap32 b = test::gradient(64, 48);
  const auto file = WriteJpeg(b, 90).value();
  const auto cut = ReadJpeg({file.data(), file.size() / 2});
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.error(), "JPEG: Premature end of JPEG file");
  for (size_t n = 0; n + 2 < file.size(); n += 7) EXPECT_FALSE(ReadJpeg({file.data(), n}).ok()) << "cut at " << n;
  EXPECT_TRUE(ReadJpeg(file).ok());
}

TEST(Jpeg, CmykFilesReadAsRgb) {
  // One colour of ink coverage: 20% cyan, 60% magenta, 0% yellow, 10% black.
  const uint8_t ink[4] = {51, 153, 0, 26};
  const TColor32 expected = Color32(uint8_t(204 * 229 / 255), uint8_t(102 * 229 / 255), uint8_t(229));
  struct Case {
    const char* name;
    J_COLOR_SPACE space;
    bool adobe;
  };
  for (const Case& c : {Case{"Adobe, inverted", JCS_CMYK, true}, Case{"Adobe YCCK", JCS_YCCK, true},
                        Case{"plain CMYK", JCS_CMYK, false}}) {
    std::vector<uint8_t> samples;
    for (int i = 0; i < 16 * 16; ++i)
      for (int k = 0; k < 4; ++k) samples.push_back(c.adobe ? uint8_t(255 - ink[k]) : ink[k]);
    auto bmp = ReadJpeg(jpegOf(16, 16, samples, 4, JCS_CMYK, c.space, c.adobe));
    ASSERT_TRUE(bmp.ok()) << c.name << ": " << bmp.error();
    const TColor32 got = bmp->Pixel(8, 8);
    EXPECT_NEAR(RedComponent(got), RedComponent(expected), 3) << c.name;
    EXPECT_NEAR(GreenComponent(got), GreenComponent(expected), 3) << c.name;
    EXPECT_NEAR(BlueComponent(got), BlueComponent(expected), 3) << c.name;
  }
}

// An EXIF block holding only the orientation tag, in either byte order.
std::vector<uint8_t> exifOrientation(uint16_t value, bool bigEndian) {
  std::vector<uint8_t> e = {'E', 'x', 'i', 'f', 0, 0};
  auto u16 = [&](uint16_t v) {
    e.push_back(uint8_t(bigEndian ? v >> 8 : v));
    e.push_back(uint8_t(bigEndian ? v : v >> 8));
  };
  auto u32 = [&](uint32_t v) {
    u16(uint16_t(bigEndian ? v >> 16 : v));
    u16(uint16_t(bigEndian ? v : v >> 16));
  };
  e.insert(e.end(), bigEndian ? std::initializer_list<uint8_t>{'M', 'M'} : std::initializer_list<uint8_t>{'I', 'I'});
  u16(42);
  u32(8);      // the first directory
  u16(1);      // one entry
  u16(0x0112);  // orientation
  u16(3);      // SHORT
  u32(1);
  u16(value);
  u16(0);
  u32(0);  // no next directory
  return e;
}

TEST(Jpeg, PhotosStandAsTheCameraSawThem) {
  // 32 x 16: left half red, right half blue; turned a quarter clockwise (EXIF 6) it is
  // 16 x 32 with red on top.
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) rgb.insert(rgb.end(), {uint8_t(x < 16 ? 255 : 0), 0, uint8_t(x < 16 ? 0 : 255)});
  for (bool bigEndian : {false, true}) {
    auto bmp = ReadJpeg(jpegOf(32, 16, rgb, 3, JCS_RGB, JCS_YCbCr, false, exifOrientation(6, bigEndian)));
    ASSERT_TRUE(bmp.ok()) << bmp.error();
    ASSERT_EQ(bmp->Width(), 16);
    ASSERT_EQ(bmp->Height(), 32);
    EXPECT_GT(RedComponent(bmp->Pixel(8, 4)), 200);
    EXPECT_GT(BlueComponent(bmp->Pixel(8, 28)), 200);
  }
  EXPECT_EQ(ExifOrientation(exifOrientation(8, true)), 8);
  EXPECT_EQ(ExifOrientation(exifOrientation(9, false)), 1);  // not an orientation
  EXPECT_EQ(ExifOrientation({}), 1);
}

TEST(Orientation, EachOrientationPlacesTheCornersRight) {
  // 3 x 2, corners A (top left) B (top right) C (bottom left) D (bottom right).
  TBitmap32 p(3, 2, 0);
  p.SetPixel(0, 0, 'A');
  p.SetPixel(2, 0, 'B');
  p.SetPixel(0, 1, 'C');
  p.SetPixel(2, 1, 'D');
  // The shown picture's top left, top right, bottom left, bottom right, per orientation.
  const char* corners[9] = {"", "ABCD", "BADC", "DCBA", "CDAB", "ACBD", "CADB", "DBCA", "BDAC"};
  for (int o = 1; o <= 8; ++o) {
    const TBitmap32 t = Oriented(p, o);
    const int w = t.Width(), h = t.Height();
    EXPECT_EQ(w, o >= 5 ? 2 : 3) << o;
    const std::string got = {char(t.Pixel(0, 0)), char(t.Pixel(w - 1, 0)), char(t.Pixel(0, h - 1)),
                             char(t.Pixel(w - 1, h - 1))};
    EXPECT_EQ(got, corners[o]) << "orientation " << o;
  }
}

}  // namespace
}  // namespace kelvane
