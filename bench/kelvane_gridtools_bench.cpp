// Dragging a node with "Show texture when drag" on a 12-megapixel photo at fit zoom: each
// mouse move re-renders the visible part at view resolution. Beside it, in the same run,
// the baseline a full-size render per move would cost, and the drag without the preview.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "drape/TKVXLayer.h"

namespace kelvane {
namespace {

constexpr int kW = 4000, kH = 3000, kViewW = 1400, kViewH = 1000;

TBitmap32 Noise(int w, int h) {
  TBitmap32 b(w, h);
  std::mt19937 gen(5);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, TColor32(gen()) | 0xFF000000u);
  return b;
}

// A 6 x 4 lattice over the photo with its inside bent, the texture tiled three times.
struct Scene {
  TMapGrid grid;
  TKVXLayer layer;
  explicit Scene(int textureW, int textureH, bool preview) {
    DivideRect(grid, 0, 0, kW, kH, kW, kH, 6, 4);
    for (size_t i = 0; i < grid.Nodes.size(); ++i) grid.Nodes[i].X += 0.02f * float(i % 3);
    layer.SetImageSize(kW, kH);
    layer.SetGrid(&grid, 0);
    layer.SetTexture(Noise(textureW, textureH));
    layer.PreviewParam.TileX = layer.PreviewParam.TileY = 3;
    layer.ShowTextureWhenDrag = preview;
    const double zoom = std::min((kViewW - 19.0) / kW, (kViewH - 19.0) / kH);
    layer.UpdateViewMapping({(kViewW - kW * zoom) / 2, (kViewH - kH * zoom) / 2, zoom, kViewW, kViewH});
  }
};

void Drag(benchmark::State& state, int textureW, int textureH, bool preview) {
  Scene s(textureW, textureH, preview);
  const double x = NodeToPixel(s.grid.Nodes[8].X, kW), y = NodeToPixel(s.grid.Nodes[8].Y, kH);
  s.layer.MouseDown(x, y, {.Left = true});
  if (s.layer.PressedNode != 8) state.SkipWithError("the node was not grabbed");
  int step = 0;
  for (auto _ : state) {
    ++step;
    s.layer.MouseMove(x + (step & 1) * 5, y, {.Left = true});
    benchmark::DoNotOptimize(s.layer.TakeDirtyRect());
  }
  if (preview && !s.layer.PreviewShown) state.SkipWithError("no OpenGL context");
  s.layer.MouseUp();
}

void BM_DragMoveWithPreview(benchmark::State& state) { Drag(state, 1024, 1024, true); }
BENCHMARK(BM_DragMoveWithPreview)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// A texture whose sides are not powers of two, as most photographed fabrics are.
void BM_DragMoveWithPreviewOddTexture(benchmark::State& state) { Drag(state, 1500, 1100, true); }
BENCHMARK(BM_DragMoveWithPreviewOddTexture)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_DragMoveWithoutPreview(benchmark::State& state) { Drag(state, 1024, 1024, false); }
BENCHMARK(BM_DragMoveWithoutPreview)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Baseline: the full image rendered on every move, as Fill renders it.
void BM_FullSizeRenderPerMove(benchmark::State& state) {
  Scene s(1024, 1024, false);
  TBitmap32 target(kW, kH);
  for (auto _ : state) {
    if (!s.layer.RenderObject(target, 0xFFFFFFFFu, s.layer.PreviewParam)) state.SkipWithError("no OpenGL context");
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FullSizeRenderPerMove)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
}  // namespace kelvane
