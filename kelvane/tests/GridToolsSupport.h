#pragma once
#include <optional>
#include <utility>
#include <vector>

#include "drape/GridTools.h"
#include "drape/KVXGridTools.h"
#include "drape/TKVXLayer.h"

namespace kelvane::test {

// An undo history of whole grids, as the document keeps one: each recorded change is a
// (before, after) pair; undo and redo copy one back into the grid.
struct GridHistory : TGridRecorder {
  TMapGrid* grid = nullptr;
  std::vector<std::pair<TMapGrid, TMapGrid>> steps;
  size_t done = 0;
  TMapGrid pending;
  int befores = 0;

  void RecordGridBefore() override {
    pending = *grid;
    ++befores;
  }
  void RecordGridAfter() override {
    steps.resize(done);
    steps.emplace_back(pending, *grid);
    done = steps.size();
  }
  bool Undo() {
    if (done == 0) return false;
    *grid = steps[--done].first;
    return true;
  }
  bool Redo() {
    if (done == steps.size()) return false;
    *grid = steps[done++].second;
    return true;
  }
};

// The "Divide Grid" dialog answering as scripted; nothing is Cancel.
struct ScriptedDivide : TDivideGridPrompt {
  std::optional<TDivideGridAnswer> answer = TDivideGridAnswer{};
  int asked = 0;
  std::optional<TDivideGridAnswer> AskDivideGrid() override {
    ++asked;
    return answer;
  }
};

// A layer over a W x H image with a cols x rows lattice, shown whole at zoom 1 (or the
// zoom given, from the top-left corner), recording into a history.
struct LayerFixture {
  TMapGrid grid;
  TKVXLayer layer;
  GridHistory history;
  ScriptedDivide divide;

  LayerFixture(int w, int h, int cols, int rows, double zoom = 1) {
    DivideRect(grid, 0, 0, w, h, w, h, cols, rows);
    layer.SetImageSize(w, h);
    layer.SetGrid(&grid, 0);
    layer.UpdateViewMapping({0, 0, zoom, int(w * zoom) + 1, int(h * zoom) + 1});
    history.grid = &grid;
    layer.Recorder = &history;
    layer.DividePrompt = &divide;
  }
  // Node (r, c) of the lattice in image pixels.
  std::pair<double, double> pixel(int64_t node) const {
    const TMapNode& n = grid.Nodes[size_t(node)];
    return {NodeToPixel(n.X, layer.Width), NodeToPixel(n.Y, layer.Height)};
  }
  // A press, a drag through the points, a release.
  bool drag(double x, double y, std::initializer_list<std::pair<double, double>> path, TGridMouse m = {}) {
    m.Left = true;
    layer.MouseDown(x, y, m);
    for (auto [px, py] : path) layer.MouseMove(px, py, m);
    return layer.MouseUp();
  }
  void click(double x, double y, TGridMouse m = {}) { drag(x, y, {}, m); }
};

}  // namespace kelvane::test
