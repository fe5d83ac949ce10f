// Saving and opening projects beside writing and reading the same number of raw bytes;
// opening 1 and 500 objects.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "project/TKVXFile2.h"
#include "project/Zlib.h"
#include "raster/FileIO.h"

namespace kelvane {
namespace {

const std::string kDir = std::filesystem::temp_directory_path().string() + "/kelvane-bench";

// 12 megapixels, 20 objects each with a full mask (a soft blob) and a 10 x 10 grid.
TKVXFile2& bigProject() {
  static TKVXFile2 doc = [] {
    TKVXFile2 d;
    d.Base = TBitmap32(4000, 3000, 0xFF808080u);
    d.Result = d.Base;
    std::mt19937 gen(1);
    for (int i = 0; i < 20; ++i) {
      const int k = d.AddObject();
      TObjectView v = d.GetObjectView(k);
      v.Mask.SetSize(4000, 3000);
      const int cx = int(gen() % 4000), cy = int(gen() % 3000);
      for (int y = 0; y < 3000; ++y)
        for (int x = 0; x < 4000; ++x) {
          const int d2 = (x - cx) * (x - cx) / 4000 + (y - cy) * (y - cy) / 4000;
          v.Mask.ScanLine(y)[x] = uint8_t(d2 < 200 ? 255 : d2 < 300 ? 255 - (d2 - 200) * 2 : 0);
        }
      DivideRect(v.Grid, 0, 0, 4000, 3000, 4000, 3000, 10, 10);
    }
    return d;
  }();
  return doc;
}

void BM_SaveProject(benchmark::State& state) {
  std::filesystem::create_directories(kDir);
  TKVXFile2& doc = bigProject();
  for (auto _ : state) benchmark::DoNotOptimize(doc.SaveToFile(kDir + "/big.kvx").ok());
  state.counters["MB"] = double(std::filesystem::file_size(kDir + "/big.kvx")) / 1e6;
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CompressMasksOnly(benchmark::State& state) {
  TKVXFile2& doc = bigProject();
  for (auto _ : state)
    for (int i = 0; i <= doc.HighIndex(); ++i) {
      const TByteMap& m = doc.GetObjectView(i).Mask;
      benchmark::DoNotOptimize(Deflate9({m.Bits(), size_t(m.Width()) * m.Height()}).size());
    }
}
BENCHMARK(BM_CompressMasksOnly)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_WriteRawBytes(benchmark::State& state) {
  std::filesystem::create_directories(kDir);
  const std::vector<uint8_t> raw(size_t(4000) * 3000 * 3 * 2 + size_t(4000) * 3000 * 20, 1);
  for (auto _ : state) benchmark::DoNotOptimize(SaveFileAtomically(kDir + "/raw.bin", raw).ok());
}
BENCHMARK(BM_WriteRawBytes)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_OpenAndUseProject(benchmark::State& state) {
  std::filesystem::create_directories(kDir);
  (void)bigProject().SaveToFile(kDir + "/big.kvx");
  for (auto _ : state) {
    TKVXFile2 doc;
    benchmark::DoNotOptimize(doc.LoadFromFile(kDir + "/big.kvx").ok());
    for (int i = 0; i <= doc.HighIndex(); ++i) benchmark::DoNotOptimize(doc.GetObjectView(i).Mask.Bits());
  }
}
BENCHMARK(BM_OpenAndUseProject)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReadRawBytes(benchmark::State& state) {
  std::filesystem::create_directories(kDir);
  const std::vector<uint8_t> raw(size_t(4000) * 3000 * 3 * 2 + size_t(4000) * 3000 * 20, 1);
  (void)SaveFileAtomically(kDir + "/raw.bin", raw);
  for (auto _ : state) benchmark::DoNotOptimize(ReadFileBytes(kDir + "/raw.bin")->size());
}
BENCHMARK(BM_ReadRawBytes)->Unit(benchmark::kMillisecond)->Iterations(2);

// Opening reads images, table and list only: 500 objects open as fast as 1.
void BM_OpenObjects(benchmark::State& state) {
  std::filesystem::create_directories(kDir);
  const std::string path = kDir + "/objects" + std::to_string(state.range(0)) + ".kvx";
  {
    TKVXFile2 d;
    d.Base = TBitmap32(1000, 800, 0xFF808080u);
    d.Result = d.Base;
    for (int i = 0; i < state.range(0); ++i) {
      const int k = d.AddObject();
      d.GetObjectView(k).Mask.SetSize(1000, 800, uint8_t(i));
    }
    (void)d.SaveToFile(path);
  }
  for (auto _ : state) {
    TKVXFile2 doc;
    benchmark::DoNotOptimize(doc.LoadFromFile(path).ok());
  }
}
BENCHMARK(BM_OpenObjects)->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvane
