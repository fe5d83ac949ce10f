// Importing a scene of 200 parts and 200 000 triangles onto a 12-megapixel picture, and
// the identification render beside RenderPerspective of the same triangles in the same
// run. The peak resident memory of the process after the import is reported as a counter.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>

#include "drape/OglRender.h"
#include "project/GroupedScene.h"
#include "project/KVScene.h"
#include "project/SceneImport.h"
#include "raster/FileIO.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000;
constexpr float kFov = 0.8f;
const std::string kDir = std::filesystem::temp_directory_path().string() + "/kelvane-scene-bench";

// 20 x 10 patches covering the view at depth about -100, each a bumpy sheet of 25 x 20
// quads (1000 triangles) overlapping its neighbours, so depth decides what is seen.
std::vector<TSceneBlock> Blocks() {
  std::vector<TSceneBlock> blocks;
  const double half = 100 * std::tan(kFov / 2);
  for (int p = 0; p < 200; ++p) {
    TSceneBlock b;
    b.Name = "Part" + std::to_string(p);
    b.SubMaterials = {{"Fabric", 0}};
    const double x0 = -half + 2 * half * (p % 20) / 20.0, y0 = -half * 0.75 + 1.5 * half * (p / 20) / 10.0;
    const double w = 2 * half / 20 * 1.2, h = 1.5 * half / 10 * 1.2;
    for (int j = 0; j <= 20; ++j)
      for (int i = 0; i <= 25; ++i) {
        const double x = x0 + w * i / 25, y = y0 + h * j / 20;
        const float z = float(-100 + 2 * std::sin(x * 0.7 + p) * std::cos(y * 0.5));
        b.Vertices.push_back({float(x), float(y), z, i / 25.0f, j / 20.0f});
      }
    for (int j = 0; j < 20; ++j)
      for (int i = 0; i < 25; ++i) {
        const int32_t a = j * 26 + i;
        b.Triangles.push_back({a, a + 1, a + 27, 0});
        b.Triangles.push_back({a, a + 27, a + 26, 0});
      }
    blocks.push_back(std::move(b));
  }
  return blocks;
}

const std::string& ScenePath() {
  static const std::string path = [] {
    std::filesystem::create_directories(kDir);
    const auto blocks = Blocks();
    const std::string p = kDir + "/scene.kv";
    (void)WriteFileBytes(p, WriteScene(kFov, blocks, blocks));
    return p;
  }();
  return path;
}

double PeakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_maxrss) / 1024.0;
}

void Import(benchmark::State& state, bool grouping) {
  const std::string& kv = ScenePath();
  size_t objects = 0;
  for (auto _ : state) {
    TKVXFile2 doc;
    doc.Width = kW;
    doc.Height = kH;
    TSceneAnswers answers;
    answers.UseOld = false;
    if (Status s = ImportScene(doc, kv, {.GroupByMaterials = grouping}, answers); !s)
      state.SkipWithError(s.error().c_str());
    objects = doc.Objects.size();
  }
  state.counters["objects"] = double(objects);
  state.counters["peak_rss_MB"] = PeakMegabytes();
}
void BM_ImportScene(benchmark::State& state) { Import(state, false); }
void BM_ImportSceneGrouped(benchmark::State& state) { Import(state, true); }
BENCHMARK(BM_ImportScene)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportSceneGrouped)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same 200 000 triangles: flat identification colours, then textured in perspective.
void BM_IdentificationRender(benchmark::State& state) {
  TIdentificationMesh mesh;
  uint32_t colour = 1;
  for (const TSceneBlock& b : Blocks()) {
    for (const TSceneTriangle& t : b.Triangles)
      mesh.Add(b.Vertices[size_t(t.A)], b.Vertices[size_t(t.B)], b.Vertices[size_t(t.C)], colour);
    ++colour;
  }
  TBitmap32 target(kW, kH);
  for (auto _ : state) (void)RenderIdentification(mesh, kFov, target);
}
BENCHMARK(BM_IdentificationRender)->Unit(benchmark::kMillisecond);

void BM_RenderPerspectiveBaseline(benchmark::State& state) {
  TMapGrid grid;
  for (const TSceneBlock& b : Blocks()) {
    const auto base = int32_t(grid.Nodes.size());
    grid.Nodes.insert(grid.Nodes.end(), b.Vertices.begin(), b.Vertices.end());
    for (const TSceneTriangle& t : b.Triangles)
      grid.Cells.push_back({t.A + base, t.B + base, t.C + base, t.C + base, 0, 0, 0});
  }
  const TBitmap32 texture(64, 64, 0xFFC08040u);
  TBitmap32 target(kW, kH);
  for (auto _ : state) (void)RenderPerspective(grid, texture, target, {}, 0xFF000000u, kFov, {});
}
BENCHMARK(BM_RenderPerspectiveBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvane
