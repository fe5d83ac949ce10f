// The filter dialogs' live preview: one step of the Blur preview and of the Balance
// preview on a 600 x 400 part of a 12-megapixel picture, beside a copy of the same
// part's pixels.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "app/FilterDialogs.h"

namespace kelvane {
namespace {

const TBitmap32& Picture() {
  static const TBitmap32 b = [] {
    TBitmap32 p(4000, 3000);
    std::mt19937 gen(3);
    for (int y = 0; y < p.Height(); ++y) {
      TColor32* row = p.ScanLine(y);
      for (int x = 0; x < p.Width(); ++x) row[x] = 0xFF000000u | Color32(uint8_t(x / 20 + gen() % 16), uint8_t(y / 15), uint8_t(gen() % 255));
    }
    return p;
  }();
  return b;
}

const TByteMap& Mask() {
  static const TByteMap m = [] {
    TByteMap k(4000, 3000);
    for (int y = 1000; y < 2000; ++y) std::memset(k.ScanLine(y) + 1200, 255, 1600);
    return k;
  }();
  return m;
}

void BM_CopyOf600x400(benchmark::State& state) {
  const TBitmap32& p = Picture();
  TBitmap32 out(600, 400);
  for (auto _ : state) {
    for (int y = 0; y < 400; ++y) std::memcpy(out.ScanLine(y), p.ScanLine(1200 + y) + 1700, 600 * sizeof(TColor32));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyOf600x400)->Unit(benchmark::kMillisecond);

void BM_BlurPreviewStep600x400(benchmark::State& state) {
  TFilterPreview preview(Picture(), &Mask(), 600, 400);
  preview.PanBy(-1700, -1200);
  const TFilterKind& blur = *FindFilterKind("ABlur");
  for (auto _ : state) {
    preview.Recompute(blur, {});
    benchmark::DoNotOptimize(preview.Shown().Pixel(0, 0));
  }
}
BENCHMARK(BM_BlurPreviewStep600x400)->Unit(benchmark::kMillisecond);

void BM_BalancePreviewStep600x400(benchmark::State& state) {
  TBitmap32 result = Picture();
  TBalancePreview balance(result, {1700, 1200, 2300, 1600});
  BalanceInputs in;
  int step = 0;
  for (auto _ : state) {
    in.brightness = step++ % 100;  // a bar moving
    balance.Preview(in);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BalancePreviewStep600x400)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvane

BENCHMARK_MAIN();
