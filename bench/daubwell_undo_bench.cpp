// Undo snapshots, Undo and Redo, and opening, on the largest painting (5000 x 5000),
// beside a plain copy of the same records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "canvas/Document.h"
#include "canvas/Lighting.h"
#include "files/PaintDocument.h"

namespace daubwell {
namespace {

constexpr uint32_t kSide = 5000;

void paint(Canvas& c) {
  for (uint32_t y = 0; y < c.height; ++y)
    for (uint32_t x = 0; x < c.width; ++x) {
      CanvasPixel& p = c.at(x, y);
      p.red = uint8_t(x), p.green = uint8_t(y), p.blue = uint8_t(x ^ y), p.shading = 200;
      p.height = float((x / 50 + y / 70) % 9);
    }
}

Document& largeDocument() {
  static Document doc;
  if (doc.canvas.width != kSide) {
    newDocument(doc, kSide, kSide);
    paint(doc.canvas);
    relightAll(doc.canvas);
    doc.history.prepareSpare(doc.canvas.pixels.size());
  }
  return doc;
}

// The baseline: one copy of every record into memory already in use.
void BM_CopyRecords(benchmark::State& state) {
  Document& doc = largeDocument();
  static std::vector<CanvasPixel> target(doc.canvas.pixels.size());
  for (auto _ : state) {
    copyRecords(doc.canvas.pixels.data(), target.data(), target.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(target.size() * sizeof(CanvasPixel)));
}
BENCHMARK(BM_CopyRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a press on the canvas costs before the first dab: the snapshot is begun and the
// dab's rows are taken; the rest of the copy runs in the background (not timed).
void BM_UndoSnapshotPush(benchmark::State& state) {
  Document& doc = largeDocument();
  for (auto _ : state) {
    doc.pushUndo();
    doc.canvas.aboutToWrite(2400, 2600);
    state.PauseTiming();
    doc.history.settle();
    state.ResumeTiming();
  }
  doc.history.reset();
}
BENCHMARK(BM_UndoSnapshotPush)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// The first Undo after a stroke (the live state kept, the old one restored and relit),
// then Redo back to it.
void BM_UndoThenRedo(benchmark::State& state) {
  Document& doc = largeDocument();
  SilentMessages messages;
  for (auto _ : state) {
    state.PauseTiming();
    doc.history.reset();
    doc.pushUndo();
    doc.canvas.aboutToWriteAll();
    doc.canvas.at(10, 10).height += 1.0f;
    doc.history.settle();
    state.ResumeTiming();
    doc.undo(messages);
    doc.redo(messages);
  }
  state.counters["per step ms"] = benchmark::Counter(2e-3 * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UndoThenRedo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

// Opening a saved painting: reading, decoding and the canvas it becomes (relit by the
// main loop afterwards, measured in the canvas benchmarks).
void BM_OpenDocument(benchmark::State& state) {
  Document& doc = largeDocument();
  const std::string path = (std::filesystem::temp_directory_path() / "daubwell-bench-open.dwp").string();
  if (!writeDocument(doc.canvas, path)) {
    state.SkipWithError("cannot write the painting");
    return;
  }
  static Document opened;
  SilentMessages messages;
  for (auto _ : state) {
    if (!readDocument(opened, path, messages)) state.SkipWithError("cannot read the painting");
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace daubwell
