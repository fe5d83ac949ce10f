// Blended drawing and linear stretching of 12-megapixel bitmaps, each beside its
// baseline: a plain pass over the same pixels, and OpenCV's linear resize with as many
// threads as ours.
#include <benchmark/benchmark.h>

#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <thread>

#include "raster/TBitmap32.h"
#include "Memcpy12MP.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000;

// A photograph-like source: every alpha value occurs, so blending takes its full path.
const TBitmap32& source() {
  static const TBitmap32 b = [] {
    TBitmap32 s(kW, kH);
    std::mt19937 gen(3);
    for (int y = 0; y < kH; ++y) {
      TColor32* row = s.ScanLine(y);
      for (int x = 0; x < kW; ++x) row[x] = TColor32(gen()) | (uint32_t((x + y) & 0xFF) << 24);
    }
    return s;
  }();
  return b;
}

void BM_PlainPassTwoBitmaps(benchmark::State& state) {
  const TBitmap32& s = source();
  TBitmap32 d(kW, kH, 0xFF808080u);
  for (auto _ : state) {
    const TColor32* a = s.Bits();
    TColor32* b = d.Bits();
    for (size_t i = 0, n = size_t(kW) * kH; i < n; ++i) b[i] = ((a[i] >> 1) & 0x7F7F7F7Fu) + ((b[i] >> 1) & 0x7F7F7F7Fu);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_PlainPassTwoBitmaps)->Unit(benchmark::kMillisecond);

void BM_BlendedDraw(benchmark::State& state) {
  TBitmap32 s = source();
  s.DrawMode = TDrawMode::dmBlend;
  s.MasterAlpha = 200;
  TBitmap32 d(kW, kH, 0xFF808080u);
  for (auto _ : state) {
    s.DrawTo(d, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_BlendedDraw)->Unit(benchmark::kMillisecond);

// Our stretch uses every core, so OpenCV gets as many threads, and both are timed by the
// clock on the wall. Resampled hands back a new bitmap each time, so OpenCV gets a new
// output matrix each time too (fresh memory costs page faults in both); the "Into" pair
// writes into an output made once.
void setThreads() { cv::setNumThreads(int(std::thread::hardware_concurrency())); }

void BM_LinearHalfSize(benchmark::State& state) {
  TBitmap32 s = source();
  s.StretchFilter = TStretchFilter::sfLinear;
  for (auto _ : state) benchmark::DoNotOptimize(s.Resampled(kW / 2, kH / 2).Bits());
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_LinearHalfSize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvLinearHalfSize(benchmark::State& state) {
  const TBitmap32& s = source();
  const cv::Mat src(kH, kW, CV_8UC4, const_cast<TColor32*>(s.Bits()));
  setThreads();
  for (auto _ : state) {
    cv::Mat dst;
    cv::resize(src, dst, cv::Size(kW / 2, kH / 2), 0, 0, cv::INTER_LINEAR);
    benchmark::DoNotOptimize(dst.data);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_OpenCvLinearHalfSize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LinearHalfSizeInto(benchmark::State& state) {
  TBitmap32 s = source();
  s.StretchFilter = TStretchFilter::sfLinear;
  TBitmap32 d(kW / 2, kH / 2);
  for (auto _ : state) {
    s.DrawTo(d, d.BoundsRect());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_LinearHalfSizeInto)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvLinearHalfSizeInto(benchmark::State& state) {
  const TBitmap32& s = source();
  const cv::Mat src(kH, kW, CV_8UC4, const_cast<TColor32*>(s.Bits()));
  setThreads();
  cv::Mat dst(kH / 2, kW / 2, CV_8UC4);
  for (auto _ : state) {
    cv::resize(src, dst, cv::Size(kW / 2, kH / 2), 0, 0, cv::INTER_LINEAR);
    benchmark::DoNotOptimize(dst.data);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_OpenCvLinearHalfSizeInto)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelvane
