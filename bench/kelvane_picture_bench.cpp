// Writing a 12-megapixel photograph as PNG beside a plain libjpeg encode of the same
// picture at quality 90, and beside libpng's own simple writer (RGBA, default settings).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include <jpeglib.h>
#include <png.h>

#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000;

// The flower photograph of Debian's libjxl-testdata scaled to 12 MP, or (without it) a
// smooth picture with sensor-like noise.
const TBitmap32& photo() {
  static const TBitmap32 p = [] {
    if (auto f = LoadPicture("/usr/share/libjxl-testdata/jxl/flower/flower.png")) {
      f->StretchFilter = TStretchFilter::sfLinear;
      return f->Resampled(kW, kH);
    }
    TBitmap32 b(kW, kH);
    std::mt19937 gen(5);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        b.SetPixel(x, y, Color32(uint8_t(x / 16 + gen() % 8), uint8_t(y / 12 + gen() % 8), uint8_t((x + y) / 28)));
    return b;
  }();
  return p;
}

void BM_PlainLibjpegEncodeQ90(benchmark::State& state) {
  const TBitmap32& p = photo();
  std::vector<uint8_t> row(size_t(kW) * 3);
  for (auto _ : state) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = kW;
    c.image_height = kH;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
      const TColor32* src = p.ScanLine(int(c.next_scanline));
      for (int x = 0; x < kW; ++x) {
        row[size_t(x) * 3] = RedComponent(src[x]);
        row[size_t(x) * 3 + 1] = GreenComponent(src[x]);
        row[size_t(x) * 3 + 2] = BlueComponent(src[x]);
      }
      JSAMPROW rows[1] = {row.data()};
      jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    state.counters["bytes"] = double(size);
    std::free(buffer);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}

void BM_LibpngSimpleWriterRgba(benchmark::State& state) {
  const TBitmap32& p = photo();
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kW;
    image.height = kH;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, p.Bits(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, p.Bits(), 0, nullptr);
    state.counters["bytes"] = double(size);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}

void BM_WritePng(benchmark::State& state) {
  const TBitmap32& p = photo();
  for (auto _ : state) {
    auto png = WritePng(p);
    state.counters["bytes"] = double(png->size());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}

BENCHMARK(BM_PlainLibjpegEncodeQ90)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WritePng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibpngSimpleWriterRgba)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace kelvane
