// The draping render and composite on 12-megapixel images, each beside its baseline in
// the same run: OpenCV's perspective warp for the flat render, a plain pass over the
// same bytes for the composite, and a whole Fill split into its steps.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>

#include "drape/DrapeFill.h"
#include "drape/KVXUtils.h"
#include "drape/OglRender.h"
#include "Memcpy12MP.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000;

const TBitmap32& texture() {
  static const TBitmap32 t = [] {
    TBitmap32 b(1024, 1024);
    std::mt19937 gen(5);
    for (int y = 0; y < 1024; ++y)
      for (int x = 0; x < 1024; ++x) b.SetPixel(x, y, TColor32(gen()) | 0xFF000000u);
    return b;
  }();
  return t;
}

const TBitmap32& photo() {
  static const TBitmap32 p = [] {
    TBitmap32 b(kW, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const auto g = uint8_t(128 + 100 * std::sin(x * 0.01) * std::cos(y * 0.013));
        b.SetPixel(x, y, Color32(g, uint8_t(g * 0.9), uint8_t(g * 0.8)));
      }
    return b;
  }();
  return p;
}

const TByteMap& mask() {
  static const TByteMap m = [] {
    TByteMap b(kW, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) b.SetValue(x, y, uint8_t(x < kW / 8 ? 0 : x < kW / 4 ? x * 7 : 255));
    return b;
  }();
  return m;
}

// The default 3 x 3 lattice with its inner nodes moved, so the cells are not rectangles.
TMapGrid bentLattice() {
  TMapGrid g;
  int cw = 0, ch = 0;
  BuildLattice(g, kW, kH, cw, ch);
  for (size_t i = 0; i < g.Nodes.size(); ++i)
    if (i % 4 != 0 && i % 4 != 3 && i / 4 != 0 && i / 4 != 3) g.Nodes[i].X += 0.05f * float(i % 3);
  return g;
}

void BM_RenderFlat3x3(benchmark::State& state) {
  const TMapGrid g = bentLattice();
  TBitmap32 target(kW, kH);
  for (auto _ : state) {
    if (!RenderFlat(g, texture(), target, {}, 0xFFFFFFFFu, {})) state.SkipWithError("no OpenGL context");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_RenderFlat3x3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCVWarpPerspective(benchmark::State& state) {
  const cv::Mat src(1024, 1024, CV_8UC4, const_cast<TColor32*>(texture().Bits()));
  cv::Mat dst(kH, kW, CV_8UC4);
  const cv::Point2f from[] = {{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}};
  const cv::Point2f to[] = {{0, 0}, {kW, 100}, {kW - 200, kH}, {100, kH}};
  const cv::Mat h = cv::getPerspectiveTransform(from, to);
  for (auto _ : state) {
    cv::warpPerspective(src, dst, h, dst.size(), cv::INTER_LINEAR, cv::BORDER_WRAP);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_OpenCVWarpPerspective)->Unit(benchmark::kMillisecond)->UseRealTime();

// A wavy surface of 100 352 triangles two to three units in front of the camera.
TMapGrid sceneMesh() {
  constexpr int n = 224;
  TMapGrid g;
  for (int r = 0; r <= n; ++r)
    for (int c = 0; c <= n; ++c) {
      const float x = -1 + 2.0f * c / n, y = 1 - 2.0f * r / n;
      g.Nodes.push_back({x, y, -2.5f - 0.3f * std::sin(x * 6) * std::cos(y * 5), float(c) / n, float(r) / n});
    }
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const int32_t tl = r * (n + 1) + c;
      g.Cells.push_back({tl, tl + 1, tl + n + 2, 0, c, r, 0});
      g.Cells.push_back({tl, tl + n + 2, tl + n + 1, 0, c, r, 0});
    }
  return g;
}

void BM_RenderPerspectiveAA8(benchmark::State& state) {
  const TMapGrid g = sceneMesh();
  TBitmap32 target(kW, kH);
  const TRenderOptions o{TTextureSampling::Linear, 8, true};
  for (auto _ : state) {
    if (!RenderPerspectiveAA(g, texture(), target, {}, 0xFFFFFFFFu, 0.8f, 0, o)) state.SkipWithError("no context");
    benchmark::ClobberMemory();
  }
  state.counters["triangles"] = double(g.Cells.size());
}
BENCHMARK(BM_RenderPerspectiveAA8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Its floor: the same mesh drawn eight times by the single-pass render, into the same
// target, with no accumulation between the passes.
void BM_EightSinglePassRenders(benchmark::State& state) {
  const TMapGrid g = sceneMesh();
  TBitmap32 target(kW, kH);
  const TRenderOptions o{TTextureSampling::Linear, 1, false};
  for (auto _ : state) {
    for (int pass = 0; pass < 8; ++pass)
      if (!RenderPerspective(g, texture(), target, {}, 0xFFFFFFFFu, 0.8f, o)) state.SkipWithError("no context");
    benchmark::ClobberMemory();
  }
  state.counters["triangles"] = double(g.Cells.size());
}
BENCHMARK(BM_EightSinglePassRenders)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// What every pass over drape, photo, mask and result must at least cost.
void BM_PlainPassComposite(benchmark::State& state) {
  TBitmap32 s(kW, kH);
  FillTiled(s, texture());
  TBitmap32 d = photo();
  const TByteMap& m = mask();
  for (auto _ : state) {
    const TColor32* a = s.Bits();
    const TColor32* p = photo().Bits();
    const uint8_t* mk = m.Bits();
    TColor32* r = d.Bits();
    for (size_t i = 0, n = size_t(kW) * kH; i < n; ++i) r[i] = (a[i] ^ p[i] ^ r[i]) + mk[i];
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_PlainPassComposite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ComposeMultiplyThroughMask(benchmark::State& state) {
  TBitmap32 drape(kW, kH);
  FillTiled(drape, texture());
  TBitmap32 result = photo();
  for (auto _ : state) {
    ComposeMultiply(result, drape, photo(), mask(), 0xFFE0D0C0u, 230);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH);
}
BENCHMARK(BM_ComposeMultiplyThroughMask)->Unit(benchmark::kMillisecond)->UseRealTime();

// The step messages carry the milliseconds since the start; their differences are the
// steps' own times.
struct StepTimes : TProgress {
  std::map<std::string, double> total;
  double last = 0;
  void Begin(const std::string&, int) override {}
  void Step() override {}
  void End() override {}
  void Message(const std::string& m) override {
    const size_t dots = m.rfind("... ");
    const double ms = std::stod(m.substr(dots + 4));
    total[m.substr(0, dots)] += ms - last;
    last = ms;
  }
};

void BM_WholeFillByStep(benchmark::State& state) {
  TMapGrid g = bentLattice();
  TKVXLayer layer;
  layer.SetImageSize(kW, kH);
  layer.SetGrid(&g, 0);
  TBitmap32 result = photo();
  TFillInput in;
  in.Base = &photo();
  in.Result = &result;
  in.Mask = &mask();
  in.Texture = &texture();
  in.Options.LevelUp = in.Options.HiContrast = true;
  StepTimes steps;
  for (auto _ : state) {
    steps.last = 0;
    if (!DrapeFill(layer, in, &steps)) state.SkipWithError("no OpenGL context");
  }
  for (const auto& [name, ms] : steps.total) state.counters[name + " ms"] = ms / double(state.iterations());
}
BENCHMARK(BM_WholeFillByStep)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyPhoto(benchmark::State& state) {
  for (auto _ : state) {
    TBitmap32 copy = photo();
    benchmark::DoNotOptimize(copy.Bits());
  }
}
BENCHMARK(BM_CopyPhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelvane
