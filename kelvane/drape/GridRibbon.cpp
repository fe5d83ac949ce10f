#include "GridRibbon.h"

#include <cmath>
#include <numbers>

#include "BasicMath.h"

namespace kelvane {
namespace {

using V2 = TPlanarVector;

V2 At(const TMapGrid& g, int32_t i) { return {g.Nodes[size_t(i)].X, g.Nodes[size_t(i)].Y}; }
void Put(TMapGrid& g, int32_t i, const V2& p) {
  g.Nodes[size_t(i)].X = float(p.X);
  g.Nodes[size_t(i)].Y = float(p.Y);
}
V2 Mid(const V2& a, const V2& b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }
V2 Add(const V2& a, const V2& b) { return {a.X + b.X, a.Y + b.Y}; }
V2 Sub(const V2& a, const V2& b) { return {a.X - b.X, a.Y - b.Y}; }
V2 QuarterTurn(const V2& v) { return {v.Y, -v.X}; }
double Angle(const V2& v) { return VectorAngle(v.X, v.Y); }

// The last cell's bottom edge: the segment M-P turned a quarter turn about its middle.
void SetBottomEdge(TMapGrid& g, const TMapCell& last, const V2& m, const V2& p) {
  const V2 c = Mid(m, p);
  Put(g, last.BottomLeft, Add(c, QuarterTurn(Sub(m, c))));
  Put(g, last.BottomRight, Add(c, QuarterTurn(Sub(p, c))));
}

// A new cell below the last, its bottom nodes the last cell's bottom nodes moved by d;
// then U across, V by cell and by length, one more row.
void AppendCell(TMapGrid& g, const V2& d) {
  const TMapCell last = g.Cells.back();
  const int32_t n = int32_t(g.Nodes.size());
  TMapCell cell;
  cell.TopLeft = last.BottomLeft;
  cell.TopRight = last.BottomRight;
  cell.BottomRight = n + 1;
  cell.BottomLeft = n;
  g.Cells.push_back(cell);
  const V2 bl = Add(At(g, last.BottomLeft), d), br = Add(At(g, last.BottomRight), d);
  g.Nodes.push_back({float(bl.X), float(bl.Y), 0, 0, 0});
  g.Nodes.push_back({float(br.X), float(br.Y), 0, 0, 0});
  for (size_t i = 0; i < g.Cells.size(); ++i) {
    const TMapCell& c = g.Cells[i];
    const float top = float(i), bottom = float(i + 1);
    g.Nodes[size_t(c.TopLeft)].U = g.Nodes[size_t(c.BottomLeft)].U = 0;
    g.Nodes[size_t(c.TopRight)].U = g.Nodes[size_t(c.BottomRight)].U = 1;
    g.Nodes[size_t(c.TopLeft)].V = g.Nodes[size_t(c.TopRight)].V = top;
    g.Nodes[size_t(c.BottomLeft)].V = g.Nodes[size_t(c.BottomRight)].V = bottom;
  }
  NormalizeRibbonV(g);
  g.Rows += 1;
}

}  // namespace

bool IsRibbon(const TMapGrid& grid) { return grid.Cols == 1 && grid.Rows >= 1 && grid.IsLattice(); }

void ExtendRibbon(TMapGrid& grid, const TPlanarVector& p, bool append) {
  if (!IsRibbon(grid)) return;
  const TMapCell last = grid.Cells.back();
  const V2 m = Mid(At(grid, last.BottomLeft), At(grid, last.TopRight));  // the cell's centre
  SetBottomEdge(grid, last, m, p);
  if (append) AppendCell(grid, Sub(p, m));
}

void ExtendRibbonMitred(TMapGrid& grid, const TPlanarVector& p, bool append) {
  if (!IsRibbon(grid)) return;
  const TMapCell last = grid.Cells.back();
  const V2 t = Mid(At(grid, last.TopLeft), At(grid, last.TopRight));
  const V2 b = Mid(At(grid, last.BottomLeft), At(grid, last.BottomRight));
  const double w = Distance(At(grid, 0), At(grid, 1));
  if (grid.Cells.size() == 1) {
    // Turn the cell about the middle of its top edge to point at the mouse.
    const double phi = -AngleDifference(Angle(Sub(b, t)), Angle(Sub(p, t)));
    const double c = std::cos(phi), s = std::sin(phi);
    for (int32_t i : {last.TopLeft, last.TopRight, last.BottomRight, last.BottomLeft}) {
      const V2 v = Sub(At(grid, i), t);
      Put(grid, i, {t.X + c * v.X - s * v.Y, t.Y + s * v.X + c * v.Y});
    }
  } else {
    // The joint with the previous cell bisects the bend and keeps the ribbon's width.
    constexpr double pi = std::numbers::pi;
    const TMapCell& prev = grid.Cells[grid.Cells.size() - 2];
    const V2 u = Mid(At(grid, prev.TopLeft), At(grid, prev.TopRight));
    const double beta0 = AngleDifference(Angle(Sub(b, t)), Angle(Sub(u, t)));
    const double beta = beta0 > pi / 2 ? pi - beta0 : beta0 < -pi / 2 ? beta0 + pi : beta0;
    const double gamma = beta0 < 0 ? beta0 : beta0 - 2 * pi;
    const double delta = Angle(Sub(u, t)) + gamma / 2;
    const double h = (w / 2) / std::sin(beta / 2 + pi / 2);
    const V2 half{h * std::cos(delta), h * std::sin(delta)};
    Put(grid, last.TopLeft, Add(t, half));
    Put(grid, last.TopRight, Sub(t, half));
    SetBottomEdge(grid, last, Mid(At(grid, last.BottomLeft), At(grid, last.TopRight)), p);
  }
  if (append) AppendCell(grid, Sub(At(grid, last.BottomLeft), At(grid, last.TopLeft)));
}

void NormalizeRibbonV(TMapGrid& grid) {
  auto length = [&](const TMapCell& c) {
    auto mid = [&](int32_t a, int32_t b) {
      const TMapNode &na = grid.Nodes[size_t(a)], &nb = grid.Nodes[size_t(b)];
      return V2{float((na.X + nb.X) / 2), float((na.Y + nb.Y) / 2)};
    };
    return Distance(mid(c.TopLeft, c.TopRight), mid(c.BottomLeft, c.BottomRight));
  };
  const int32_t count = int32_t(grid.Nodes.size());
  for (const TMapCell& c : grid.Cells)
    for (int32_t i : {c.TopLeft, c.TopRight, c.BottomRight, c.BottomLeft})
      if (i < 0 || i >= count) return;
  double total = 0;
  for (const TMapCell& c : grid.Cells) total += length(c);
  if (!(total > 0) || !std::isfinite(total)) return;
  double s = 0;
  for (const TMapCell& c : grid.Cells) {
    s += length(c);
    grid.Nodes[size_t(c.BottomRight)].V = grid.Nodes[size_t(c.BottomLeft)].V = float(s / total);
  }
}

}  // namespace kelvane
