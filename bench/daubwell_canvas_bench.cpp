// Relighting against a plain pass over the same memory: read every record, write every
// surface pixel.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "canvas/Lighting.h"

namespace daubwell {
namespace {

// A painting's worth of relief: smooth swells of paint, with slopes up to about one unit
// per pixel, over colour, gloss and shading that vary from pixel to pixel.
Canvas& paintedCanvas(uint32_t side) {
  static Canvas c;
  if (c.width != side) {
    c.create(side, side);
    std::mt19937 gen(1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint32_t y = 0; y < side; ++y) {
      for (uint32_t x = 0; x < side; ++x) {
        CanvasPixel& p = c.at(x, y);
        p.red = uint8_t(byte(gen));
        p.green = uint8_t(byte(gen));
        p.blue = uint8_t(byte(gen));
        p.highlight = uint8_t(byte(gen));
        p.shading = uint8_t(byte(gen));
        p.height = float(12.0 * std::sin(x * 0.05) * std::cos(y * 0.07) + 3.0 * std::sin(x * 0.31 + y * 0.17));
      }
    }
  }
  return c;
}

// The baseline: one record read and one surface pixel written per pixel, one thread.
void BM_PlainPass(benchmark::State& state) {
  Canvas& c = paintedCanvas(uint32_t(state.range(0)));
  for (auto _ : state) {
    for (uint32_t y = 0; y < c.height; ++y) {
      const CanvasPixel* src = &c.at(0, y);
      uint8_t* dst = c.surface.pictureRow(y);
      for (uint32_t x = 0; x < c.width; ++x, dst += 3) {
        dst[0] = src[x].blue;
        dst[1] = uint8_t(src[x].green + src[x].highlight);
        dst[2] = uint8_t(src[x].red + (src[x].height > 0));
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(c.pixels.size()));
}
BENCHMARK(BM_PlainPass)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: side, high quality, wide vectors allowed (the same passes built for the
// baseline processor, for comparison).
void BM_RelightAll(benchmark::State& state) {
  Canvas& c = paintedCanvas(uint32_t(state.range(0)));
  c.highQuality = state.range(1) != 0;
  const bool wide = allowWideVectors(state.range(2) != 0) && state.range(2) != 0;
  for (auto _ : state) relightAll(c);
  allowWideVectors(true);
  state.SetItemsProcessed(state.iterations() * int64_t(c.pixels.size()));
  state.SetLabel(std::string(c.highQuality ? "high quality" : "low quality") + (wide ? ", wide vectors" : ""));
}
BENCHMARK(BM_RelightAll)
    ->Args({5000, 1, 1})
    ->Args({5000, 1, 0})
    ->Args({5000, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// One dab of the largest brush: a 200 x 200 square, on one core. Arguments: high
// quality, wide vectors allowed.
void BM_RelightRect(benchmark::State& state) {
  Canvas& c = paintedCanvas(5000);
  c.highQuality = state.range(0) != 0;
  const bool wide = allowWideVectors(state.range(1) != 0) && state.range(1) != 0;
  int i = 0;
  for (auto _ : state) {
    const int x = 1000 + (i++ % 16) * 150;
    relightRect(c, x, 2000, x + 200, 2200);
  }
  allowWideVectors(true);
  state.SetItemsProcessed(state.iterations() * 200 * 200);
  state.SetLabel(std::string(c.highQuality ? "high quality" : "low quality") + (wide ? ", wide vectors" : ""));
}
BENCHMARK(BM_RelightRect)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace daubwell
