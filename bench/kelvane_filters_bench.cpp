// The filters on 12 megapixels beside OpenCV doing the same work in the same run, with
// the same number of threads. Our filters hand back a new bitmap each time, so OpenCV
// gets a new output matrix each time too (a fresh 48 MB costs page faults in both).
#include <benchmark/benchmark.h>

#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <thread>

#include "filters/Adjust.h"
#include "filters/Convolution.h"
#include "filters/NPR.h"
#include "Memcpy12MP.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000;

const TBitmap32& photo() {
  static const TBitmap32 b = [] {
    TBitmap32 s(kW, kH);
    std::mt19937 gen(9);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        s.ScanLine(y)[x] = Color32(uint8_t(x / 16 + gen() % 8), uint8_t(y / 12 + gen() % 8), uint8_t((x + y) / 28));
    return s;
  }();
  return b;
}

cv::Mat asMat(const TBitmap32& b) { return cv::Mat(b.Height(), b.Width(), CV_8UC4, const_cast<TColor32*>(b.Bits())); }

void setThreads() { cv::setNumThreads(int(std::thread::hardware_concurrency())); }

void BM_Blur(benchmark::State& state) {
  TBitmap32 b = photo();  // each run hands back a new filtered bitmap, as OpenCV's does
  for (auto _ : state) BlurFilter(b, nullptr);
}
BENCHMARK(BM_Blur)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Sharpen(benchmark::State& state) {
  TBitmap32 b = photo();
  for (auto _ : state) SharpenFilter(b, nullptr);
}
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvFilter2D(benchmark::State& state) {
  setThreads();
  const cv::Mat src = asMat(photo());
  const cv::Mat kernel = (cv::Mat_<float>(3, 3) << 3, 3, 3, 3, 8, 3, 3, 3, 3) / 32.0f;
  for (auto _ : state) {
    cv::Mat dst;
    cv::filter2D(src, dst, -1, kernel, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
  }
}
BENCHMARK(BM_OpenCvFilter2D)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindEdge(benchmark::State& state) {
  TBitmap32 b = photo();
  for (auto _ : state) FindEdgeFilter(b, nullptr);
}
BENCHMARK(BM_FindEdge)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_Median5(benchmark::State& state) {
  (void)photo();  // made once, outside the timing
  for (auto _ : state) benchmark::DoNotOptimize(MedianByIntensity(photo()).Bits());
}
BENCHMARK(BM_Median5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WaterColor(benchmark::State& state) {
  TBitmap32 b = photo();
  for (auto _ : state) WaterColorFilter(b, nullptr);
}
BENCHMARK(BM_WaterColor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_OpenCvMedianBlur5(benchmark::State& state) {
  setThreads();
  const cv::Mat src = asMat(photo());
  for (auto _ : state) {
    cv::Mat dst;
    cv::medianBlur(src, dst, 5);
  }
}
BENCHMARK(BM_OpenCvMedianBlur5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Rotate90(benchmark::State& state) {
  (void)photo();
  for (auto _ : state) benchmark::DoNotOptimize(Rotate90(photo()).Bits());
}
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvRotate90(benchmark::State& state) {
  setThreads();
  const cv::Mat src = asMat(photo());
  for (auto _ : state) {
    cv::Mat dst;
    cv::rotate(src, dst, cv::ROTATE_90_CLOCKWISE);
  }
}
BENCHMARK(BM_OpenCvRotate90)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RotateByAngle(benchmark::State& state) {
  TBitmap32 b = photo();
  b.StretchFilter = TStretchFilter::sfLinear;
  for (auto _ : state) benchmark::DoNotOptimize(RotateByAngle(b, 17).Bits());
}
BENCHMARK(BM_RotateByAngle)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvWarpAffine(benchmark::State& state) {
  setThreads();
  const cv::Mat src = asMat(photo());
  const cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(kW / 2.0f, kH / 2.0f), -17, 1.0);
  for (auto _ : state) {
    cv::Mat dst;
    cv::warpAffine(src, dst, m, src.size(), cv::INTER_LINEAR);
  }
}
BENCHMARK(BM_OpenCvWarpAffine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NPR(benchmark::State& state) {
  TBitmap32 b = photo();
  TNPRParams p;
  p.distortion = 5;
  p.noise = 10;
  for (auto _ : state) NPRFilter(b, p, nullptr, nullptr, 3);
}
BENCHMARK(BM_NPR)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace kelvane
