#pragma once
// The memory-bandwidth floor of every 12-megapixel pass, registered by each benchmark
// that needs it: one memcpy of 48 MB into a buffer that is already mapped.
#include <benchmark/benchmark.h>

#include <cstring>

#include "raster/TBitmap32.h"

inline void BM_Memcpy12MP(benchmark::State& state) {
  constexpr int w = 4000, h = 3000;
  const kelvane::TBitmap32 from(w, h, 0xFF808080u);
  kelvane::TBitmap32 to(w, h);
  for (auto _ : state) {
    std::memcpy(to.Bits(), from.Bits(), size_t(w) * h * sizeof(kelvane::TColor32));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(w) * h * 4);
}
BENCHMARK(BM_Memcpy12MP)->Unit(benchmark::kMillisecond)->UseRealTime();
