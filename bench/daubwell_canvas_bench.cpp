// Relighting against a plain pass over the same memory: read every record, write every
// surface pixel.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <algorithm>
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
void plainPass(Canvas& c) {
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

void BM_PlainPass(benchmark::State& state) {
  Canvas& c = paintedCanvas(uint32_t(state.range(0)));
  for (auto _ : state) plainPass(c);
  state.SetItemsProcessed(state.iterations() * int64_t(c.pixels.size()));
}
BENCHMARK(BM_PlainPass)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr const char* kBuildNames[] = {", baseline build", ", AVX2 build", ", AVX-512 build"};

// Arguments: side, high quality, build of the passes (0 the baseline processor's, 1 with
// AVX2, 2 with AVX-512, where the processor has them). Each relighting is timed right
// after a plain pass over the same canvas, so that both meet the same machine: this one's
// speed swings by half from minute to minute, and x_plain, the ratio of the two, is the
// figure to read.
void BM_RelightAll(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Canvas& c = paintedCanvas(uint32_t(state.range(0)));
  c.highQuality = state.range(1) != 0;
  const int build = std::min(int(state.range(2)), vectorBuilds() - 1);
  useVectorBuild(build);
  double plainSeconds = 0, relightSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    plainPass(c);
    const auto t1 = Clock::now();
    relightAll(c);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    const double relight = std::chrono::duration<double>(t2 - t1).count();
    plainSeconds += std::chrono::duration<double>(t1 - t0).count();
    relightSeconds += relight;
    state.SetIterationTime(relight);
  }
  useVectorBuild(vectorBuilds() - 1);
  state.SetItemsProcessed(state.iterations() * int64_t(c.pixels.size()));
  state.counters["plain_ms"] = 1e3 * plainSeconds / double(state.iterations());
  state.counters["x_plain"] = relightSeconds / plainSeconds;
  state.SetLabel(std::string(c.highQuality ? "high quality" : "low quality") + kBuildNames[build]);
}
BENCHMARK(BM_RelightAll)
    ->Args({5000, 1, 2})
    ->Args({5000, 1, 1})
    ->Args({5000, 1, 0})
    ->Args({5000, 0, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// One dab of the largest brush: a 200 x 200 square, on one core. Arguments: high
// quality, build of the passes.
void BM_RelightRect(benchmark::State& state) {
  Canvas& c = paintedCanvas(5000);
  c.highQuality = state.range(0) != 0;
  const int build = std::min(int(state.range(1)), vectorBuilds() - 1);
  useVectorBuild(build);
  int i = 0;
  for (auto _ : state) {
    const int x = 1000 + (i++ % 16) * 150;
    relightRect(c, x, 2000, x + 200, 2200);
  }
  useVectorBuild(vectorBuilds() - 1);
  state.SetItemsProcessed(state.iterations() * 200 * 200);
  state.SetLabel(std::string(c.highQuality ? "high quality" : "low quality") + kBuildNames[build]);
}
BENCHMARK(BM_RelightRect)->Args({1, 2})->Args({1, 1})->Args({1, 0})->Args({0, 2})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace daubwell
