// The selection engine on 12 megapixels beside OpenCV doing the same work in the same
// run (same threads; fresh outputs on both sides).
#include <benchmark/benchmark.h>

#include <cstring>
#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <thread>

#include "select/Coverage.h"
#include "select/GBlur1byte.h"
#include "Memcpy12MP.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000;

const TByteMap& mask() {
  static const TByteMap m = [] {
    TByteMap t(kW, kH, 0);
    for (int y = 500; y < 2500; ++y)
      for (int x = 700; x < 3300; ++x) t.ScanLine(y)[x] = 255;
    return t;
  }();
  return m;
}

// A photograph-like picture with one large, evenly coloured region.
const TBitmap32& picture() {
  static const TBitmap32 b = [] {
    TBitmap32 p(kW, kH, 0xFF6080A0u);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if ((x / 50) % 7 == 0 && (y / 40) % 7 == 0) p.ScanLine(y)[x] = 0xFF202020u;  // isolated dark blocks
    return p;
  }();
  return b;
}

void setThreads() { cv::setNumThreads(int(std::thread::hardware_concurrency())); }

void BM_GBlur(benchmark::State& state) {
  (void)mask();
  for (auto _ : state) {
    TByteMap m = mask();
    GBlur(m, double(state.range(0)));
  }
}
BENCHMARK(BM_GBlur)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvGaussianBlur(benchmark::State& state) {
  setThreads();
  const cv::Mat src(kH, kW, CV_8UC1, const_cast<uint8_t*>(mask().Bits()));
  const double sigma = double(state.range(0));
  const int size = 2 * int(GBlurKernel(sigma).size() / 2) + 1;  // the same kernel width
  for (auto _ : state) {
    cv::Mat dst;
    cv::GaussianBlur(src, dst, cv::Size(size, size), sigma, sigma, cv::BORDER_REPLICATE);
  }
}
BENCHMARK(BM_OpenCvGaussianBlur)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MagicWand(benchmark::State& state) {
  (void)picture();
  for (auto _ : state) {
    TBitmap32 c;  // fresh memory each time, as the selection tool hands the wand
    MagicWandCoverage(c, picture(), {60, 10}, 0xFF6080A0u, 30);
  }
}
BENCHMARK(BM_MagicWand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_OpenCvFloodFill(benchmark::State& state) {
  const cv::Mat src(kH, kW, CV_8UC4, const_cast<TColor32*>(picture().Bits()));
  cv::Mat bgr;
  cv::cvtColor(src, bgr, cv::COLOR_BGRA2BGR);
  for (auto _ : state) {
    cv::Mat m = cv::Mat::zeros(kH + 2, kW + 2, CV_8UC1);
    cv::floodFill(bgr, m, cv::Point(60, 10), cv::Scalar(), nullptr, cv::Scalar(30, 30, 30), cv::Scalar(30, 30, 30),
                  4 | cv::FLOODFILL_MASK_ONLY | cv::FLOODFILL_FIXED_RANGE | (255 << 8));
  }
}
BENCHMARK(BM_OpenCvFloodFill)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ColorRange(benchmark::State& state) {
  (void)picture();
  for (auto _ : state) {
    TBitmap32 c(kW, kH, 0);
    ColorRangeCoverage(c, picture(), 0xFF6080A0u, 30);
  }
}
BENCHMARK(BM_ColorRange)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor under every coverage tool: making a fresh, cleared coverage bitmap.
void BM_FreshCoverage(benchmark::State& state) {
  for (auto _ : state) { TBitmap32 c(kW, kH, 0); benchmark::DoNotOptimize(c.Bits()); }
}
BENCHMARK(BM_FreshCoverage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvInRange(benchmark::State& state) {
  setThreads();
  const cv::Mat src(kH, kW, CV_8UC4, const_cast<TColor32*>(picture().Bits()));
  for (auto _ : state) {
    cv::Mat dst;
    cv::inRange(src, cv::Scalar(0xA0 - 30, 0x80 - 30, 0x60 - 30, 0), cv::Scalar(0xA0 + 30, 0x80 + 30, 0x60 + 30, 255), dst);
  }
}
BENCHMARK(BM_OpenCvInRange)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::vector<TPoint>& star() {
  static const std::vector<TPoint> p = [] {
    std::vector<TPoint> v;
    for (int k = 0; k < 40; ++k) {
      const double r = k % 2 ? 600 : 1400, t = k * 3.14159265358979 / 20;
      v.push_back({int(2000 + r * std::cos(t)), int(1500 + r * std::sin(t))});
    }
    return v;
  }();
  return p;
}

void BM_PolygonCoverage(benchmark::State& state) {
  for (auto _ : state) {
    TBitmap32 c(kW, kH, 0);
    PolygonCoverage(c, star());
  }
}
BENCHMARK(BM_PolygonCoverage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvFillPolyAA(benchmark::State& state) {
  std::vector<cv::Point> pts;
  for (const TPoint& p : star()) pts.push_back({p.x, p.y});
  for (auto _ : state) {
    cv::Mat m = cv::Mat::zeros(kH, kW, CV_8UC4);
    cv::fillPoly(m, std::vector<std::vector<cv::Point>>{pts}, cv::Scalar(255, 255, 255, 255), cv::LINE_AA);
  }
}
BENCHMARK(BM_OpenCvFillPolyAA)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelvane
