// Dabs of every tool (with the relight of their square) beside a relight of the same
// square alone; Fill beside a memset of its mask; every effect beside a plain pass over
// the records.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "canvas/Lighting.h"
#include "effects/Effects.h"
#include "patterns/PatternGenerator.h"
#include "tools/BrushEngine.h"
#include "tools/ToolTable.h"

namespace daubwell {
namespace {

const PatternImages& patterns() {
  static const PatternImages p = [] {
    PatternImages images;
    for (int n = 0; n < kPatternCount; ++n) {
      images.style[size_t(n)] = makeStylePattern(n);
      images.texture[size_t(n)] = makeTexturePattern(n);
    }
    return images;
  }();
  return p;
}

void paintSomething(Canvas& c) {
  std::mt19937 gen(2);
  for (uint32_t y = 0; y < c.height; ++y)
    for (uint32_t x = 0; x < c.width; ++x) {
      CanvasPixel& p = c.at(x, y);
      p.red = uint8_t(x);
      p.green = uint8_t(y);
      p.blue = uint8_t(gen());
      p.highlight = uint8_t(gen());
      p.shading = 200;
      p.height = float((x / 40 + y / 30) % 5);
    }
}

void BM_RelightSquare(benchmark::State& state) {
  const int size = int(state.range(0));
  Canvas c;
  c.create(600, 600);
  paintSomething(c);
  for (auto _ : state) relightRect(c, 300 - size, 300 - size, 300 + size, 300 + size);
}
BENCHMARK(BM_RelightSquare)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_Dab(benchmark::State& state) {
  const int tool = int(state.range(0)), size = int(state.range(1));
  Document doc;
  newDocument(doc, 600, 600);
  paintSomething(doc.canvas);
  PaintRandom random(4);
  PaintEngine engine(patterns(), random);
  engine.brush = Brush{.red = 200, .green = 80, .blue = 20, .style = 3, .depth = 4.0f, .tool = tool, .size = size,
                       .strength = 0.7f, .shading = 220, .texture = 2, .hardness = 60, .pad = 0};
  engine.press(doc, 300, 300);
  for (auto _ : state) {
    engine.frame(doc);
    if (tool == int(ToolId::Fill)) engine.press(doc, 300, 300);
  }
  state.SetLabel(std::string(toolInfo(tool).caption));
}
void dabArgs(benchmark::internal::Benchmark* b) {
  for (int tool = 0; tool < kToolCount; ++tool) {
    if (tool == 3 || tool == 4 || tool == int(ToolId::Fill) || tool == int(ToolId::Hand)) continue;
    for (int size : {10, 50, 100}) b->Args({tool, size});
  }
}
BENCHMARK(BM_Dab)->Apply(dabArgs)->Unit(benchmark::kMicrosecond);

constexpr uint32_t kSide = 5000;

Document& bigDocument() {
  static Document doc = [] {
    Document d;
    newDocument(d, kSide, kSide);
    paintSomething(d.canvas);
    relightAll(d.canvas);
    return d;
  }();
  return doc;
}

void BM_MemsetFillMask(benchmark::State& state) {
  std::vector<uint8_t> mask(size_t(kSide) * kSide);
  for (auto _ : state) {
    std::memset(mask.data(), 1, mask.size());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemsetFillMask)->Unit(benchmark::kMillisecond);

void BM_Fill(benchmark::State& state) {
  Document doc;
  newDocument(doc, kSide, kSide);  // one colour: the whole canvas is one region
  PaintRandom random(4);
  PaintEngine engine(patterns(), random);
  engine.brush = Brush{.red = 1, .tool = int(ToolId::Fill), .size = 10};
  for (auto _ : state) {
    state.PauseTiming();
    engine.brush.red = uint8_t(engine.brush.red + 1);  // a new colour each time
    engine.press(doc, 10, 10);
    doc.history.reset();
    state.ResumeTiming();
    engine.frame(doc);
  }
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlainRecordPass(benchmark::State& state) {
  Canvas& c = bigDocument().canvas;
  for (auto _ : state) {
    for (CanvasPixel& p : c.pixels) {
      p.red = uint8_t(255 - p.red);
      p.height = -p.height;
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PlainRecordPass)->Unit(benchmark::kMillisecond);

void BM_Effect(benchmark::State& state) {
  const Effect& e = effects()[size_t(state.range(0))];
  Document& doc = bigDocument();
  EffectParams params;
  params.patterns = &patterns();
  params.style = 3;
  params.texture = 2;
  for (auto _ : state) {
    e.apply(doc.canvas, params);  // the rule alone; the undo snapshot is a plain copy
    benchmark::ClobberMemory();
  }
  state.SetLabel(std::string(e.name));
}
BENCHMARK(BM_Effect)->DenseRange(0, 16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace daubwell
