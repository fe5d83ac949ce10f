#include "PerspectiveGrid.h"

#include <cmath>
#include <string>

namespace kelvane {
namespace {

double Cross(const TPlanarVector& o, const TPlanarVector& a, const TPlanarVector& b) {
  return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
}

TPlanarVector ToNodeUnits(const TPlanarVector& p, int width, int height) {
  return {PixelToNode(p.X, width), PixelToNode(p.Y, height)};
}

}  // namespace

bool IsConvexQuad(const TQuad& q) {
  int sign = 0;
  for (size_t i = 0; i < 4; ++i) {
    const double c = Cross(q[i], q[(i + 1) % 4], q[(i + 2) % 4]);
    if (!std::isfinite(c)) return false;
    if (std::fabs(c) < 1e-12) return false;  // three corners in a line
    const int s = c > 0 ? 1 : -1;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  // Four corners turning the same way at each one cannot cross: the outline is convex.
  return true;
}

std::optional<TProjectiveMap> TProjectiveMap::FromUnitSquare(const TQuad& q) {
  if (!IsConvexQuad(q)) return std::nullopt;
  TProjectiveMap m;
  const double sx = q[0].X - q[1].X + q[2].X - q[3].X, sy = q[0].Y - q[1].Y + q[2].Y - q[3].Y;
  if (std::fabs(sx) < 1e-15 && std::fabs(sy) < 1e-15) {
    // A parallelogram: the mapping is affine.
    m.a_ = q[1].X - q[0].X;
    m.b_ = q[2].X - q[1].X;
    m.d_ = q[1].Y - q[0].Y;
    m.e_ = q[2].Y - q[1].Y;
  } else {
    const double dx1 = q[1].X - q[2].X, dx2 = q[3].X - q[2].X, dy1 = q[1].Y - q[2].Y, dy2 = q[3].Y - q[2].Y;
    const double det = dx1 * dy2 - dx2 * dy1;
    m.g_ = (sx * dy2 - dx2 * sy) / det;
    m.h_ = (dx1 * sy - sx * dy1) / det;
    m.a_ = q[1].X - q[0].X + m.g_ * q[1].X;
    m.b_ = q[3].X - q[0].X + m.h_ * q[3].X;
    m.d_ = q[1].Y - q[0].Y + m.g_ * q[1].Y;
    m.e_ = q[3].Y - q[0].Y + m.h_ * q[3].Y;
  }
  m.c_ = q[0].X;
  m.f_ = q[0].Y;
  return m;
}

TPlanarVector TProjectiveMap::operator()(double u, double v) const {
  const double w = g_ * u + h_ * v + 1;
  return {(a_ * u + b_ * v + c_) / w, (d_ * u + e_ * v + f_) / w};
}

std::optional<std::array<int32_t, 4>> LatticeCornerNodes(const TMapGrid& grid) {
  if (!grid.IsLattice() || grid.Cols < 1 || grid.Rows < 1) return std::nullopt;
  const int64_t stride = grid.Cols + 1;
  return std::array<int32_t, 4>{0, int32_t(grid.Cols), int32_t(grid.Rows * stride + grid.Cols),
                                int32_t(grid.Rows * stride)};
}

std::optional<TQuad> LatticeOutline(const TMapGrid& grid) {
  const auto nodes = LatticeCornerNodes(grid);
  if (!nodes) return std::nullopt;
  TQuad q;
  for (size_t i = 0; i < 4; ++i) q[i] = {grid.Nodes[size_t((*nodes)[i])].X, grid.Nodes[size_t((*nodes)[i])].Y};
  return q;
}

bool ApplyPerspective(TMapGrid& grid, const TQuad& corners) {
  if (!LatticeCornerNodes(grid)) return false;
  const auto map = TProjectiveMap::FromUnitSquare(corners);
  if (!map) return false;
  for (int64_t r = 0; r <= grid.Rows; ++r) {
    for (int64_t c = 0; c <= grid.Cols; ++c) {
      const TPlanarVector p = (*map)(double(c) / grid.Cols, double(r) / grid.Rows);
      TMapNode& n = grid.Nodes[size_t(r * (grid.Cols + 1) + c)];
      n.X = float(p.X);
      n.Y = float(p.Y);
    }
  }
  return true;
}

Status BuildPerspectiveGrid(TMapGrid& grid, const TQuad& pixelCorners, int width, int height, int cols, int rows) {
  if (width < 1 || height < 1) return fail("Perspective grid: the image size must be at least 1 x 1");
  if (cols < 1 || rows < 1) return fail("Perspective grid: columns and rows must be at least 1");
  TQuad q;
  for (size_t i = 0; i < 4; ++i) q[i] = ToNodeUnits(pixelCorners[i], width, height);
  if (!IsConvexQuad(q))
    return fail("Perspective grid: the corners (top left, top right, bottom right, bottom left) do not make a "
                "convex quadrilateral");
  TMapGrid g;
  DivideRect(g, 0, 0, width, height, width, height, cols, rows);  // the lattice, its U and V
  ApplyPerspective(g, q);
  grid = std::move(g);
  return Ok{};
}

std::optional<TRect> MaskBounds(const TByteMap& mask) {
  TRect r{mask.Width(), mask.Height(), 0, 0};
  for (int y = 0; y < mask.Height(); ++y) {
    const uint8_t* row = mask.ScanLine(y);
    int x0 = 0;
    while (x0 < mask.Width() && row[x0] == 0) ++x0;
    if (x0 == mask.Width()) continue;
    int x1 = mask.Width();
    while (row[x1 - 1] == 0) --x1;
    r.Left = std::min(r.Left, x0);
    r.Right = std::max(r.Right, x1);
    r.Top = std::min(r.Top, y);
    r.Bottom = y + 1;
  }
  if (r.Empty()) return std::nullopt;
  return r;
}

bool FitGridToMask(TMapGrid& grid, const TByteMap& mask) {
  if (!grid.IsLattice() || grid.Cols < 1 || grid.Rows < 1) return false;
  const auto box = MaskBounds(mask);
  if (!box) return false;
  DivideRect(grid, box->Left, box->Top, box->Right, box->Bottom, mask.Width(), mask.Height(), int(grid.Cols),
             int(grid.Rows));
  return true;
}

}  // namespace kelvane
