// The document window's costs: opening a 12-megapixel photograph and a 500-object
// project until the window is usable (beside reading and decoding the same file), and
// one repaint of the view at 100 % and at fit zoom with the result and the ants layer
// (beside a plain copy of the view's pixels).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <filesystem>
#include <random>

#include "../kelvane/tests/ScriptedServices.h"
#include "app/ProjectFromPicture.h"
#include "app/TKVXEditSession.h"
#include "app/ui/TImgView32.h"
#include "project/TKVXFile2.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
const fs::path kDir = fs::temp_directory_path() / "kelvane-app-bench";

void FillBox(TByteMap& m, int l, int t, int r, int b) {
  for (int y = t; y < b; ++y) std::memset(m.ScanLine(y) + l, 255, size_t(r - l));
}

// A photograph-like 4000 x 3000 picture: smooth shading with grain, so JPEG has work.
TBitmap32 Photo() {
  TBitmap32 b(4000, 3000);
  std::mt19937 gen(7);
  for (int y = 0; y < b.Height(); ++y) {
    TColor32* row = b.ScanLine(y);
    for (int x = 0; x < b.Width(); ++x) {
      const int n = int(gen() % 24);
      row[x] = Color32(uint8_t(90 + x / 40 + n), uint8_t(70 + y / 30 + n), uint8_t(60 + (x + y) / 80 + n));
    }
  }
  return b;
}

const std::string& PhotoFile() {
  static const std::string path = [] {
    fs::create_directories(kDir);
    const std::string p = (kDir / "photo.jpg").string();
    if (!SavePicture(p, Photo(), {.jpegQuality = 90}).ok()) std::abort();
    return p;
  }();
  return path;
}

const std::string& BigProjectFile() {
  static const std::string path = [] {
    fs::create_directories(kDir);
    const std::string p = (kDir / "objects.kvx").string();
    TKVXFile2 doc;
    NewProjectFromPicture(doc, TBitmap32(2000, 1500, 0xFF808080u));
    for (int i = 1; i < 500; ++i) {
      TObjectView v = doc.GetObjectView(doc.AddObject());
      v.Param.Name = "Part " + std::to_string(i);
      v.Mask.SetSize(2000, 1500);
      FillBox(v.Mask, i, i, i + 300, i + 200);
      int cw = 0, ch = 0;
      BuildLattice(v.Grid, 2000, 1500, cw, ch);
    }
    if (!doc.SaveToFile(p).ok()) std::abort();
    return p;
  }();
  return path;
}

struct Window {
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession session{world.Services(), options};
  Window() { session.SetViewSize(1280, 800); }
};

// ---- opening

void BM_DecodePhotoAlone(benchmark::State& state) {
  const std::string& path = PhotoFile();
  for (auto _ : state) benchmark::DoNotOptimize(LoadPicture(path));
}
BENCHMARK(BM_DecodePhotoAlone)->Unit(benchmark::kMillisecond);

void BM_OpenPhotoUntilUsable(benchmark::State& state) {
  const std::string& path = PhotoFile();
  for (auto _ : state) {
    Window w;
    w.session.Load(path);
    benchmark::DoNotOptimize(w.session.CurrentMask());
  }
}
BENCHMARK(BM_OpenPhotoUntilUsable)->Unit(benchmark::kMillisecond);

void BM_Open500ObjectProjectUntilUsable(benchmark::State& state) {
  RegisterKvxPictureFormat();
  const std::string& path = BigProjectFile();
  for (auto _ : state) {
    Window w;
    w.session.Load(path);
    if (w.session.RowCount() != 500) state.SkipWithError("not all objects");
  }
}
BENCHMARK(BM_Open500ObjectProjectUntilUsable)->Unit(benchmark::kMillisecond);

// ---- repainting

struct Painted {
  Window w;
  QImage target{1280, 800, QImage::Format_RGB32};
  Painted(bool fit) {
    w.session.Load(PhotoFile());
    FillBox(*w.session.CurrentMask(), 1000, 800, 3000, 2400);
    w.session.SetZoom(1);
    if (fit) w.session.ZoomFit();
    else w.session.View.CentreOn(2000, 1500);
    w.session.UpdateSelectionDisplay();
  }
};

void Repaint(benchmark::State& state, bool fit) {
  Painted p(fit);
  const bool opaque = ui::AllOpaque(p.w.session.Doc.Result);
  for (auto _ : state) {
    QPainter painter(&p.target);
    ui::PaintDocumentView(painter, p.w.session, opaque);
  }
}
void BM_RepaintAt100Percent(benchmark::State& state) { Repaint(state, false); }
void BM_RepaintAtFit(benchmark::State& state) { Repaint(state, true); }
BENCHMARK(BM_RepaintAt100Percent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAtFit)->Unit(benchmark::kMillisecond);

void BM_CopyOfTheViewsPixels(benchmark::State& state) {
  QImage a(1280, 800, QImage::Format_RGB32), b(1280, 800, QImage::Format_RGB32);
  a.fill(Qt::gray);
  for (auto _ : state) {
    std::memcpy(b.bits(), a.constBits(), size_t(a.sizeInBytes()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyOfTheViewsPixels)->Unit(benchmark::kMillisecond);

// Recomputing the selection display after a zoom or a scroll at fit zoom.
void BM_SelectionDisplayAtFit(benchmark::State& state) {
  Painted p(true);
  for (auto _ : state) p.w.session.UpdateSelectionDisplay();
}
BENCHMARK(BM_SelectionDisplayAtFit)->Unit(benchmark::kMillisecond);

// One 300 ms tick of the ants at fit zoom over a 12-megapixel mask: the cached edge
// pixels recoloured.
void BM_MarchingAntsTickAtFit(benchmark::State& state) {
  Painted p(true);
  for (auto _ : state) p.w.session.MarchingAntsTick();
}
BENCHMARK(BM_MarchingAntsTickAtFit)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvane

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
