// Undo snapshots, Undo and Redo, and opening, on the largest painting (5000 x 5000),
// beside a plain copy of the same records.
#include <benchmark/benchmark.h>

#include <chrono>
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
BENCHMARK(BM_CopyRecords)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// What a press on the canvas costs before the first dab: the snapshot is begun and the
// dab's rows are taken; the rest of the copy runs in the background (not timed). The
// painting's first snapshot has no dropped one to reuse: everything is copied, into
// memory made ready when the painting was opened (argument 1), or into fresh memory
// (argument 0).
void BM_UndoSnapshotPushFirst(benchmark::State& state) {
  Document& doc = largeDocument();
  const bool prepared = state.range(0) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc.history = UndoHistory();
    if (prepared) {
      doc.history.prepareSpare(doc.canvas.pixels.size());
      doc.history.waitForSpare();
    }
    state.ResumeTiming();
    doc.pushUndo();
    doc.canvas.aboutToWrite(2400, 2600);
    state.PauseTiming();
    doc.history.settle();
    doc.history.waitForSpare();
    state.ResumeTiming();
  }
  state.SetLabel(prepared ? "memory made ready" : "fresh memory");
  doc.history = UndoHistory();
}
BENCHMARK(BM_UndoSnapshotPushFirst)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(4);

// A press after earlier strokes: six snapshots are held, the oldest one's memory is
// brought up to date (the rows painted since) for the new one.
void BM_UndoSnapshotPush(benchmark::State& state) {
  Document& doc = largeDocument();
  doc.history = UndoHistory();
  auto stroke = [&](uint32_t y) {
    doc.pushUndo();
    doc.canvas.aboutToWrite(y, y + 200);
    doc.canvas.at(2500, y + 100).height += 1.0f;
  };
  for (uint32_t i = 0; i < 7; ++i) stroke(300 + 600 * i);
  doc.history.settle();
  uint32_t i = 0;
  for (auto _ : state) {
    stroke(200 + 37 * (i++ % 100));
    state.PauseTiming();
    doc.history.settle();
    state.ResumeTiming();
  }
  doc.history = UndoHistory();
}
BENCHMARK(BM_UndoSnapshotPush)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(20);

// The first Undo after a change (the live state kept, the old one restored and relit),
// then Redo back to it, each timed on its own. The change is a stroke over 200 rows, or
// an effect that rewrites every row.
void BM_UndoThenRedo(benchmark::State& state) {
  Document& doc = largeDocument();
  const bool wholeCanvas = state.range(0) != 0;
  SilentMessages messages;
  double undoSeconds = 0, redoSeconds = 0;
  doc.history = UndoHistory();
  for (auto _ : state) {
    state.PauseTiming();
    doc.history.reset();
    doc.pushUndo();
    if (wholeCanvas)
      doc.canvas.aboutToWriteAll();
    else
      doc.canvas.aboutToWrite(2400, 2600);
    doc.canvas.at(10, 2500).height += 1.0f;
    doc.history.settle();
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    doc.undo(messages);
    const auto t1 = std::chrono::steady_clock::now();
    doc.redo(messages);
    const auto t2 = std::chrono::steady_clock::now();
    undoSeconds += std::chrono::duration<double>(t1 - t0).count();
    redoSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  const double n = double(state.iterations());
  state.counters["undo ms"] = 1e3 * undoSeconds / n;
  state.counters["redo ms"] = 1e3 * redoSeconds / n;
  state.SetLabel(wholeCanvas ? "after an effect" : "after a stroke");
  doc.history = UndoHistory();
}
BENCHMARK(BM_UndoThenRedo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(4);

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
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);

}  // namespace
}  // namespace daubwell
