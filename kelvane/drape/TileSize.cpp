#include "TileSize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "OglRender.h"

namespace kelvane {

namespace {

using TVec = std::array<double, 3>;

double Length(const TVec& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

}  // namespace

TGridScale MeasureGrid(const TMapGrid& grid, int imageWidth, int imageHeight, bool scene, float rotate) {
  const int64_t n = int64_t(grid.Nodes.size());
  std::vector<std::pair<float, float>> uv(grid.Nodes.size());
  for (size_t i = 0; i < uv.size(); ++i)
    uv[i] = rotate == 0 ? std::pair{grid.Nodes[i].U, grid.Nodes[i].V} : RotateUV(rotate, grid.Nodes[i].U, grid.Nodes[i].V);
  auto position = [&](int32_t i) -> TVec {
    const TMapNode& p = grid.Nodes[size_t(i)];
    if (scene) return {p.X, p.Y, p.Z};
    return {p.X * imageWidth / 2.0, p.Y * imageHeight / 2.0, 0};
  };
  double sumU = 0, sumV = 0, sumW = 0;
  // One triangle a, b, c: the edges' lengths against their (U, V) steps give the
  // derivatives of the position along U and along V.
  auto triangle = [&](int32_t a, int32_t b, int32_t c) {
    if (a < 0 || b < 0 || c < 0 || a >= n || b >= n || c >= n) return;
    const auto [ua, va] = uv[size_t(a)];
    const auto [ub, vb] = uv[size_t(b)];
    const auto [uc, vc] = uv[size_t(c)];
    const double du1 = ub - ua, dv1 = vb - va, du2 = uc - ua, dv2 = vc - va;
    const double det = du1 * dv2 - du2 * dv1;
    if (!(std::abs(det) > 1e-12)) return;
    const TVec pa = position(a), pb = position(b), pc = position(c);
    TVec dU, dV;
    for (int k = 0; k < 3; ++k) {
      const double e1 = pb[size_t(k)] - pa[size_t(k)], e2 = pc[size_t(k)] - pa[size_t(k)];
      dU[size_t(k)] = (e1 * dv2 - e2 * dv1) / det;
      dV[size_t(k)] = (e2 * du1 - e1 * du2) / det;
    }
    const double w = std::abs(det);
    sumU += Length(dU) * w;
    sumV += Length(dV) * w;
    sumW += w;
  };
  for (const TMapCell& c : grid.Cells) {
    triangle(c.TopLeft, c.TopRight, c.BottomRight);
    if (!scene) triangle(c.TopLeft, c.BottomRight, c.BottomLeft);
  }
  TGridScale s;
  if (sumW <= 0) return s;
  s.PerU = sumU / sumW;
  s.PerV = sumV / sumW;
  double lo = 0, hi = 0;
  bool first = true;
  for (const TMapCell& c : grid.Cells)
    for (int32_t i : {c.TopLeft, c.TopRight, c.BottomRight, c.BottomLeft}) {
      if (i < 0 || i >= n) continue;
      const double u = uv[size_t(i)].first;
      lo = first ? u : std::min(lo, u);
      hi = first ? u : std::max(hi, u);
      first = false;
    }
  s.URange = hi - lo;
  return s;
}

std::pair<int, int> PreparedTextureSize(int width, int height, float seamlessX, float seamlessY) {
  // MakeSeamless crops the rounded overlap from each direction.
  const int n = int(std::nearbyint(width * double(seamlessX))), m = int(std::nearbyint(height * double(seamlessY)));
  return {std::max(1, width - std::max(0, n)), std::max(1, height - std::max(0, m))};
}

Result<std::pair<float, float>> RuleTiles(const TTileRule& rule, const TKVXParamBlock& param, const TMapGrid& grid,
                                          int imageWidth, int imageHeight, int texW, int texH) {
  float tileX = param.TileX, tileY = param.TileY;
  if (rule.Empty()) return std::pair{tileX, tileY};
  if (texW <= 0 || texH <= 0) return fail("the texture has no pixels to take proportions from");
  const bool scene = param.FieldOfView != 0;
  const TGridScale s = MeasureGrid(grid, imageWidth, imageHeight, scene, param.Rotate);
  if (!s.Valid()) return fail("the grid has no cell whose size can be measured");
  const auto [w, h] = PreparedTextureSize(texW, texH, param.SeamlessX, param.SeamlessY);
  const double aspect = double(h) / w;  // the repeat's height over its width
  if (rule.ObjectWidthCm > 0 && rule.RepeatXCm > 0) {
    // Centimetres per unit of length on the object, from the width the grid spans
    // along U before any rotation.
    const TGridScale across = param.Rotate == 0 ? s : MeasureGrid(grid, imageWidth, imageHeight, scene);
    const double cmPerUnit = rule.ObjectWidthCm / (across.PerU * across.URange);
    const double repeatY = rule.RepeatYCm > 0 ? rule.RepeatYCm : rule.RepeatXCm * aspect;
    tileX = float(cmPerUnit * s.PerU / rule.RepeatXCm);
    tileY = float(cmPerUnit * s.PerV / repeatY);
  }
  if (rule.KeepProportions) {
    // One repeat is PerU / TileX wide and PerV / TileY high; its height over its width
    // must be the texture's.
    tileY = float(double(tileX) * s.PerV / (s.PerU * aspect));
  }
  return std::pair{tileX, tileY};
}

}  // namespace kelvane
