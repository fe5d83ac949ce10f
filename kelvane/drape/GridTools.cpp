#include "GridTools.h"

#include <algorithm>
#include <cmath>

namespace kelvane {
namespace {

bool Within(const TPlanarVector& n, const TPlanarVector& p, double tolA, double tolB) {
  return std::fabs(n.X - p.X) < tolA && std::fabs(n.Y - p.Y) < tolB;
}

double AxisFactor(double a, double pivot, double d) {
  const double num = a - pivot, den = a - pivot - d;
  const double f = num / den;
  if (std::fabs(num) < 1e-9 || std::fabs(den) < 1e-9 || !std::isfinite(f)) return 1;
  return f;
}

}  // namespace

int32_t FirstNodeWithin(const TMapGrid& g, const TNodePlane& plane, const TPlanarVector& p, double tolA,
                        double tolB) {
  for (size_t i = 0; i < g.Nodes.size(); ++i)
    if (Within(plane.At(g.Nodes[i]), p, tolA, tolB)) return int32_t(i);
  return -1;
}

int32_t LastNodeWithin(const TMapGrid& g, const TNodePlane& plane, const TPlanarVector& p, double tolA,
                       double tolB) {
  for (size_t i = g.Nodes.size(); i-- > 0;)
    if (Within(plane.At(g.Nodes[i]), p, tolA, tolB)) return int32_t(i);
  return -1;
}

void MoveNodes(TMapGrid& g, const TNodePlane& plane, std::span<const int64_t> nodes, const TPlanarVector& d) {
  for (int64_t i : nodes) {
    if (i < 0 || size_t(i) >= g.Nodes.size()) continue;
    TMapNode& n = g.Nodes[size_t(i)];
    const TPlanarVector p = plane.At(n);
    plane.Set(n, {p.X + d.X, p.Y + d.Y});
  }
}

void MoveAllNodes(TMapGrid& g, const TNodePlane& plane, const TPlanarVector& d) {
  for (TMapNode& n : g.Nodes) {
    const TPlanarVector p = plane.At(n);
    plane.Set(n, {p.X + d.X, p.Y + d.Y});
  }
}

TPlanarVector ScaleFactors(const TPlanarVector& pressed, const TPlanarVector& pivot, const TPlanarVector& d) {
  return {AxisFactor(pressed.X, pivot.X, d.X), AxisFactor(pressed.Y, pivot.Y, d.Y)};
}

void ScaleNodesAbout(TMapGrid& g, const TNodePlane& plane, const TPlanarVector& pivot, const TPlanarVector& f) {
  for (TMapNode& n : g.Nodes) {
    const TPlanarVector p = plane.At(n);
    plane.Set(n, {pivot.X + (p.X - pivot.X) * f.X, pivot.Y + (p.Y - pivot.Y) * f.Y});
  }
}

float RotationStep(double dx, double dy, bool leftOfPivot) {
  constexpr double kDegree = 3.14159265358979323846 / 180;
  return float((leftOfPivot ? dx - dy : dy - dx) * kDegree);
}

void TurnNodesAbout(TMapGrid& g, const TNodePlane& plane, const TPlanarVector& pivot, float theta) {
  const double c = std::cos(double(theta)), s = std::sin(double(theta));
  for (TMapNode& n : g.Nodes) {
    const TPlanarVector p = plane.At(n);
    const double x = p.X - pivot.X, y = p.Y - pivot.Y;
    plane.Set(n, {pivot.X + c * x - s * y, pivot.Y + s * x + c * y});
  }
}

std::optional<int32_t> InsertLineAtNode(TMapGrid& g, int32_t node, bool column) {
  if (!g.IsLattice() || node < 0 || size_t(node) >= g.Nodes.size()) return std::nullopt;
  const int64_t r = node / (g.Cols + 1), c = node - r * (g.Cols + 1);
  if (column) {
    if (!InsertColumn(g, c)) return std::nullopt;
    return int32_t(node + r + 1);
  }
  if (!InsertRow(g, r)) return std::nullopt;
  return int32_t(node + g.Cols + 1);
}

bool RecordGridChange(TGridRecorder* recorder, TMapGrid& grid, TMapGrid& before) {
  if (before == grid) return false;
  if (recorder) {
    std::swap(before, grid);
    recorder->RecordGridBefore();
    std::swap(before, grid);
    recorder->RecordGridAfter();
  }
  return true;
}

void SelectNode(std::vector<int64_t>& selection, int64_t node) {
  DeselectNode(selection, node);
  selection.push_back(node);
}

void DeselectNode(std::vector<int64_t>& selection, int64_t node) { std::erase(selection, node); }

}  // namespace kelvane
