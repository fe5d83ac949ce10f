// The block codec on a 5000 x 5000 plane against memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "files/BlockCodec.h"

namespace daubwell {
namespace {

constexpr uint32_t kSide = 5000;

// A plane like a painting's colour plane: smooth areas, edges and some grain.
const std::vector<uint8_t>& plane() {
  static const std::vector<uint8_t> p = [] {
    std::vector<uint8_t> v(size_t(kSide) * kSide);
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> grain(0, 6);
    for (uint32_t y = 0; y < kSide; ++y)
      for (uint32_t x = 0; x < kSide; ++x) {
        const double s = 120 + 90 * std::sin(x * 0.013) * std::cos(y * 0.021) + ((x / 97 + y / 61) % 2) * 30;
        v[size_t(y) * kSide + x] = uint8_t(std::clamp(int(s) + grain(gen), 0, 255));
      }
    return v;
  }();
  return p;
}

void BM_Memcpy(benchmark::State& state) {
  const auto& src = plane();
  std::vector<uint8_t> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(src.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_EncodePlane(benchmark::State& state) {
  const auto& src = plane();
  std::vector<uint8_t> out;
  for (auto _ : state) {
    out.clear();
    encodePlane(out, src, kSide, kSide, int(state.range(0)));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(src.size()));
  state.counters["ratio"] = double(out.size()) / double(src.size());
}
BENCHMARK(BM_EncodePlane)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_DecodePlane(benchmark::State& state) {
  const auto& src = plane();
  std::vector<uint8_t> stored, out(src.size());
  encodePlane(stored, src, kSide, kSide, int(state.range(0)));
  for (auto _ : state) {
    ByteReader in(stored);
    benchmark::DoNotOptimize(decodePlane(in, out, kSide, kSide, int(state.range(0))).ok());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(src.size()));
}
BENCHMARK(BM_DecodePlane)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace daubwell
