#include "FollowFolds.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "PerspectiveGrid.h"
#include "TKVXLayer.h"

namespace kelvane {

namespace {

// Sums of 2r + 1 values along rows (step 1) or columns (step = width), the edge values
// repeated beyond the ends; integer, so nothing is lost.
void BoxSums(std::vector<int64_t>& v, int width, int height, int r, bool alongRows) {
  const int n = alongRows ? width : height, lines = alongRows ? height : width;
  const size_t step = alongRows ? 1 : size_t(width);
  std::vector<int64_t> line(static_cast<size_t>(n)), out(static_cast<size_t>(n));
  for (int l = 0; l < lines; ++l) {
    const size_t first = alongRows ? size_t(l) * size_t(width) : size_t(l);
    for (int i = 0; i < n; ++i) line[size_t(i)] = v[first + size_t(i) * step];
    auto at = [&](int i) { return line[size_t(std::clamp(i, 0, n - 1))]; };
    int64_t sum = 0;
    for (int i = -r; i <= r; ++i) sum += at(i);
    for (int i = 0; i < n; ++i) {
      out[size_t(i)] = sum;
      sum += at(i + r + 1) - at(i - r);
    }
    for (int i = 0; i < n; ++i) v[first + size_t(i) * step] = out[size_t(i)];
  }
}

// Three box passes each way: close to a Gaussian of sigma about r.
void Smooth(std::vector<int64_t>& v, int width, int height, int r) {
  for (int pass = 0; pass < 3; ++pass) BoxSums(v, width, height, r, true);
  for (int pass = 0; pass < 3; ++pass) BoxSums(v, width, height, r, false);
}

}  // namespace

int FoldSmoothingRadius(double cellWidth, double cellHeight) {
  // Three passes of radius r hold the sums below 2^53: (2r + 1)^6 * 255 * 255.
  return std::clamp(int(std::lround(std::max(cellWidth, cellHeight) / 2)), 1, 30);
}

Result<TMapGrid> FollowFoldsGrid(const TBitmap32& photo, const TByteMap& mask, const TFoldOptions& o) {
  if (photo.Width() != mask.Width() || photo.Height() != mask.Height())
    return fail("the mask is " + std::to_string(mask.Width()) + "x" + std::to_string(mask.Height()) +
                ", the photo " + std::to_string(photo.Width()) + "x" + std::to_string(photo.Height()));
  const auto box = MaskBounds(mask);
  if (!box) return fail("the mask covers nothing");
  const int cols = std::max(o.Cols, 1), rows = std::max(o.Rows, 1);
  TMapGrid grid;
  DivideRect(grid, box->Left, box->Top, box->Right, box->Bottom, mask.Width(), mask.Height(), cols, rows);
  if (o.Strength == 0) return grid;

  const double cw = double(box->Width()) / cols, ch = double(box->Height()) / rows;
  const int r = FoldSmoothingRadius(cw, ch);
  // The smoothing reaches 3r beyond a pixel: the box and that margin is all it needs.
  const int x0 = std::max(0, box->Left - 3 * r - 1), y0 = std::max(0, box->Top - 3 * r - 1);
  const int x1 = std::min(mask.Width(), box->Right + 3 * r + 1), y1 = std::min(mask.Height(), box->Bottom + 3 * r + 1);
  const int w = x1 - x0, h = y1 - y0;
  // Brightness weighted by the mask, and the mask: their smoothed ratio is the brightness
  // of the object alone.
  std::vector<int64_t> lit(size_t(w) * size_t(h)), weight(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const TColor32* p = photo.ScanLine(y0 + y) + x0;
    const uint8_t* m = mask.ScanLine(y0 + y) + x0;
    for (int x = 0; x < w; ++x) {
      weight[size_t(y) * size_t(w) + size_t(x)] = m[x];
      lit[size_t(y) * size_t(w) + size_t(x)] = int64_t(m[x]) * Intensity(p[x]);
    }
  }
  Smooth(lit, w, h, r);
  Smooth(weight, w, h, r);
  auto brightness = [&](int x, int y, double& out) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    const int64_t d = weight[size_t(y) * size_t(w) + size_t(x)];
    if (d <= 0) return false;
    out = double(lit[size_t(y) * size_t(w) + size_t(x)]) / double(d) / 255.0;
    return true;
  };
  // The change across one cell, from the brightness one radius either side.
  auto slope = [&](int x, int y, int dx, int dy, double cell) {
    double a = 0, b = 0;
    if (!brightness(x - dx * r, y - dy * r, a) || !brightness(x + dx * r, y + dy * r, b)) return 0.0;
    return (b - a) / (2.0 * r) * cell;
  };
  for (TMapNode& n : grid.Nodes) {
    const int x = int(std::lround(NodeToPixel(n.X, mask.Width()))) - x0;
    const int y = int(std::lround(NodeToPixel(n.Y, mask.Height()))) - y0;
    const double du = o.Strength * slope(x, y, 1, 0, cw) / box->Width();
    const double dv = o.Strength * slope(x, y, 0, 1, ch) / box->Height();
    if (du != 0) n.U = float(n.U + du);
    if (dv != 0) n.V = float(n.V + dv);
  }
  return grid;
}

Status TKVXLayer::FollowFolds(const TBitmap32& photo, const TByteMap& mask, const TFoldOptions& options) {
  if (!Grid) return fail("The object has no grid");
  auto g = FollowFoldsGrid(photo, mask, options);
  if (!g) return fail(g.error());
  RecordedEdit([&] {
    *Grid = std::move(g.value());
    Selection.clear();
    HoverNode = -1;
    SelectedEdge = {-1, -1};
  });
  return Ok{};
}

}  // namespace kelvane
