// One main-loop iteration of the paint program while the left button is held on the
// canvas, with the largest brush (size 100) of several tools, beside an idle iteration
// in the same run. The windows run offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "app/MainFrame.h"
#include "canvas/Lighting.h"
#include "tools/ToolTable.h"

namespace daubwell {
namespace {

struct App {
  App() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "daubwell_frame_bench";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
    session = std::make_unique<PaintSession>();
    frame = std::make_unique<MainFrame>(*session);
    frame->setLoopRunning(false);
    newDocument(session->doc, 1000, 800);
    frame->show();
    frame->frameTick();
  }
  std::unique_ptr<QApplication> app;
  std::unique_ptr<PaintSession> session;
  std::unique_ptr<MainFrame> frame;
};

App& app() {
  static App a;
  return a;
}

void BM_FrameIdle(benchmark::State& state) {
  App& a = app();
  for (auto _ : state) a.frame->frameTick();
}
BENCHMARK(BM_FrameIdle)->Unit(benchmark::kMicrosecond);

void BM_FramePaintingSize100(benchmark::State& state) {
  App& a = app();
  Brush& b = a.session->engine.brush;
  b = defaultPaletteBrush();
  b.tool = int(state.range(0));
  b.size = 100;
  a.frame->canvasPress(300, 300);
  int step = 0;
  for (auto _ : state) {
    a.frame->canvasMove(300 + (step % 200), 300 + (step / 200 % 200), true);
    a.frame->frameTick();
    ++step;
  }
  a.frame->canvasRelease();
  state.SetLabel(std::string(toolInfo(b.tool).caption));
}
BENCHMARK(BM_FramePaintingSize100)
    ->Arg(int(ToolId::TubePaint))
    ->Arg(int(ToolId::PaintBrush))
    ->Arg(int(ToolId::Knife))
    ->Arg(int(ToolId::Spray))
    ->Arg(int(ToolId::Gel))
    ->Arg(int(ToolId::Finger))
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace daubwell
