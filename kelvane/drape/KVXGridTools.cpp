#include "KVXGridTools.h"

#include <algorithm>
#include <cstring>

#include "../raster/ByteStream.h"
#include "../raster/FileIO.h"
#include "PlanarMath.h"

namespace kelvane {
namespace {

constexpr char kMagic[7] = {'K', 'V', 'X', 'G', 'R', 'I', 'D'};
constexpr size_t kHeaderSize = 7 + 8 + 8;
constexpr const char* kReadError = "Stream read error";

size_t nodeIndex(const TMapGrid& g, int64_t r, int64_t c) { return size_t(r * (g.Cols + 1) + c); }

// Rewrites the corner indices of every cell in lattice layout. Col, Row and Key stay
// with the array index they had; cells new at the end start with zeros.
void relinkCells(TMapGrid& g) {
  g.Cells.resize(size_t(g.Cols * g.Rows));
  for (int64_t r = 0; r < g.Rows; ++r) {
    for (int64_t c = 0; c < g.Cols; ++c) {
      TMapCell& cell = g.Cells[size_t(r * g.Cols + c)];
      cell.TopLeft = int32_t(nodeIndex(g, r, c));
      cell.TopRight = int32_t(nodeIndex(g, r, c + 1));
      cell.BottomRight = int32_t(nodeIndex(g, r + 1, c + 1));
      cell.BottomLeft = int32_t(nodeIndex(g, r + 1, c));
    }
  }
}

// A new lattice of cols x rows with nodes placed by `place` and cells numbered by
// their position.
template <class Place>
void layLattice(TMapGrid& g, int64_t cols, int64_t rows, Place place) {
  g.Cols = cols;
  g.Rows = rows;
  g.Nodes.resize(size_t((cols + 1) * (rows + 1)));  // depths of existing nodes stay
  for (int64_t r = 0; r <= rows; ++r)
    for (int64_t c = 0; c <= cols; ++c) place(g.Nodes[nodeIndex(g, r, c)], r, c);
  g.Cells.assign(size_t(cols * rows), TMapCell{});
  relinkCells(g);
  for (int64_t r = 0; r < rows; ++r) {
    for (int64_t c = 0; c < cols; ++c) {
      g.Cells[size_t(r * cols + c)].Col = int32_t(c);
      g.Cells[size_t(r * cols + c)].Row = int32_t(r);
    }
  }
}

TMapNode midpoint(const TMapNode& a, const TMapNode& b) {
  return {(a.X + b.X) / 2, (a.Y + b.Y) / 2, 0, (a.U + b.U) / 2, (a.V + b.V) / 2};
}

// Half a step outward from `edge`, away from its neighbour `inner`.
TMapNode outward(const TMapNode& edge, const TMapNode& inner) {
  return {edge.X + (edge.X - inner.X) / 2, edge.Y + (edge.Y - inner.Y) / 2, 0, edge.U + (edge.U - inner.U) / 2,
          edge.V + (edge.V - inner.V) / 2};
}

}  // namespace

bool TMapGrid::IsLattice() const {
  if (Cols < 0 || Rows < 0 || Cols > (int64_t(1) << 20) || Rows > (int64_t(1) << 20)) return false;
  return Nodes.size() == size_t((Cols + 1) * (Rows + 1)) && Cells.size() == size_t(Cols * Rows);
}

void BuildLattice(TMapGrid& grid, int width, int height, int& cellWidth, int& cellHeight) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  // Images under 3 pixels on a side would get cells of width 0: one pixel then.
  if (cellWidth < 1) cellWidth = std::max(width / 3, 1);
  if (cellHeight < 1) cellHeight = std::max(height / 3, 1);
  const int64_t cols = std::max(width / cellWidth, 1), rows = std::max(height / cellHeight, 1);
  layLattice(grid, cols, rows, [&](TMapNode& n, int64_t r, int64_t c) {
    n.X = float(2.0 * c / cols - 1);
    n.Y = float(2.0 * r / rows - 1);
    n.U = float(double(c) / cols);
    n.V = float(double(r) / rows);
  });
}

void ResetNodePositions(TMapGrid& grid) {
  if (!grid.IsLattice() || grid.Cols == 0 || grid.Rows == 0) return;
  for (int64_t r = 0; r <= grid.Rows; ++r) {
    for (int64_t c = 0; c <= grid.Cols; ++c) {
      TMapNode& n = grid.Nodes[nodeIndex(grid, r, c)];
      n.X = float(2.0 * c / grid.Cols - 1);
      n.Y = float(2.0 * r / grid.Rows - 1);
    }
  }
}

void DivideRect(TMapGrid& grid, int left, int top, int right, int bottom, int width, int height, int cols,
                int rows) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (top == bottom) ++bottom;
  cols = std::max(cols, 1);
  rows = std::max(rows, 1);
  const double x0 = 2.0 * left / width - 1, y0 = 2.0 * top / height - 1;
  const double stepX = 2.0 * (right - left) / width / cols, stepY = 2.0 * (bottom - top) / height / rows;
  layLattice(grid, cols, rows, [&](TMapNode& n, int64_t r, int64_t c) {
    n.X = float(x0 + c * stepX);
    n.Y = float(y0 + r * stepY);
    n.Z = 0;
    n.U = float(double(c) / cols);
    n.V = float(double(r) / rows);
  });
}

bool InsertColumn(TMapGrid& grid, int64_t k) {
  if (!grid.IsLattice() || grid.Cols < 1 || k < 0 || k > grid.Cols) return false;
  const TMapGrid old = grid;
  grid.Cols += 1;
  grid.Nodes.resize(size_t((grid.Cols + 1) * (grid.Rows + 1)));
  for (int64_t r = 0; r <= grid.Rows; ++r) {
    for (int64_t t = 0; t <= grid.Cols; ++t) {
      auto at = [&](int64_t c) { return old.Nodes[nodeIndex(old, r, c)]; };
      TMapNode& n = grid.Nodes[nodeIndex(grid, r, t)];
      if (t < k)
        n = at(t);
      else if (t > k)
        n = at(t - 1);
      else
        n = k > 0 ? midpoint(at(k - 1), at(k)) : outward(at(0), at(1));
    }
  }
  relinkCells(grid);
  return true;
}

bool InsertRow(TMapGrid& grid, int64_t k) {
  if (!grid.IsLattice() || grid.Rows < 1 || k < 0 || k > grid.Rows) return false;
  const TMapGrid old = grid;
  grid.Rows += 1;
  grid.Nodes.resize(size_t((grid.Cols + 1) * (grid.Rows + 1)));
  for (int64_t t = 0; t <= grid.Rows; ++t) {
    for (int64_t c = 0; c <= grid.Cols; ++c) {
      auto at = [&](int64_t r) { return old.Nodes[nodeIndex(old, r, c)]; };
      TMapNode& n = grid.Nodes[nodeIndex(grid, t, c)];
      if (t < k)
        n = at(t);
      else if (t > k)
        n = at(t - 1);
      else
        n = k > 0 ? midpoint(at(k - 1), at(k)) : outward(at(0), at(1));
    }
  }
  relinkCells(grid);
  return true;
}

void TranslateNodes(TMapGrid& grid, double dx, double dy) {
  for (TMapNode& n : grid.Nodes) {
    n.X = float(n.X + dx);
    n.Y = float(n.Y + dy);
  }
}

void MoveNode(TMapGrid& grid, int64_t node, double dx, double dy) {
  if (node < 0 || size_t(node) >= grid.Nodes.size()) return;
  grid.Nodes[size_t(node)].X = float(grid.Nodes[size_t(node)].X + dx);
  grid.Nodes[size_t(node)].Y = float(grid.Nodes[size_t(node)].Y + dy);
}

std::optional<std::pair<double, double>> GridCentre(const TMapGrid& grid) {
  if (grid.Nodes.empty()) return std::nullopt;
  float x0 = grid.Nodes[0].X, x1 = x0, y0 = grid.Nodes[0].Y, y1 = y0;
  for (const TMapNode& n : grid.Nodes) {
    x0 = std::min(x0, n.X);
    x1 = std::max(x1, n.X);
    y0 = std::min(y0, n.Y);
    y1 = std::max(y1, n.Y);
  }
  return std::pair{(double(x0) + x1) / 2, (double(y0) + y1) / 2};
}

std::optional<std::pair<int32_t, int32_t>> FindEdge(const TMapGrid& grid, double x, double y, double tolerance) {
  const TPlanarVector p{x, y};
  const int64_t count = int64_t(grid.Nodes.size());
  for (const TMapCell& cell : grid.Cells) {
    const std::pair<int32_t, int32_t> edges[4] = {{cell.TopLeft, cell.TopRight},
                                                  {cell.BottomRight, cell.TopRight},
                                                  {cell.BottomRight, cell.BottomLeft},
                                                  {cell.TopLeft, cell.BottomLeft}};
    for (auto [a, b] : edges) {
      if (a < 0 || b < 0 || a >= count || b >= count) continue;
      const TMapNode &na = grid.Nodes[size_t(a)], &nb = grid.Nodes[size_t(b)];
      if (SegmentDistance({na.X, na.Y}, {nb.X, nb.Y}, p) < tolerance) return std::pair{a, b};
    }
  }
  return std::nullopt;
}

void AppendGrid(TMapGrid& target, const TMapGrid& source, int32_t key, int32_t sourceKey) {
  const int32_t base = int32_t(target.Nodes.size());
  target.Nodes.insert(target.Nodes.end(), source.Nodes.begin(), source.Nodes.end());
  for (TMapCell cell : source.Cells) {
    cell.TopLeft += base;
    cell.TopRight += base;
    cell.BottomRight += base;
    cell.BottomLeft += base;
    cell.Key = cell.Key == sourceKey ? key : -1;
    target.Cells.push_back(cell);
  }
  std::erase_if(target.Cells, [key](const TMapCell& c) { return c.Key != key; });
}

std::optional<std::pair<int32_t, int32_t>> RelabelCorners(TMapGrid& grid,
                                                          std::optional<std::pair<int32_t, int32_t>> edge) {
  if (grid.Cells.empty()) return edge;
  if (!edge) return std::pair{grid.Cells.back().BottomRight, grid.Cells.back().BottomLeft};
  if (grid.Cells.size() != 1 || grid.Nodes.size() < 4) return edge;  // defined for one cell only
  // New records 0..3 are these old records, by the sum of the edge's node indices.
  static constexpr struct {
    int sum;
    int order[4];
  } kMoves[] = {{1, {3, 2, 1, 0}}, {4, {2, 0, 3, 1}}, {2, {1, 3, 0, 2}}, {5, {0, 1, 2, 3}}};
  const int sum = edge->first + edge->second;
  for (const auto& m : kMoves) {
    if (m.sum != sum) continue;
    const TMapNode old[4] = {grid.Nodes[0], grid.Nodes[1], grid.Nodes[2], grid.Nodes[3]};
    for (int i = 0; i < 4; ++i) grid.Nodes[size_t(i)] = old[m.order[i]];
  }
  grid.Cells[0] = {0, 1, 3, 2, 0, 0, grid.Cells[0].Key};
  return std::pair{3, 2};
}

std::vector<uint8_t> WriteGridStream(const TMapGrid& grid) {
  ByteWriter out;
  out.bytes().assign(kMagic, kMagic + sizeof kMagic);
  out.le<int64_t>(grid.Cols);
  out.le<int64_t>(grid.Rows);
  for (const TMapNode& n : grid.Nodes) {
    out.le(n.X);
    out.le(n.Y);
    out.le(n.Z);
    out.le(n.U);
    out.le(n.V);
  }
  const int64_t cellTable = int64_t(out.size());
  for (const TMapCell& c : grid.Cells)
    for (int32_t v : {c.TopLeft, c.TopRight, c.BottomRight, c.BottomLeft, c.Col, c.Row, c.Key}) out.le(v);
  out.le<int64_t>(cellTable);
  return std::move(out.bytes());
}

namespace {

// The grid of a stream, or what is wrong with it (the callers put "Stream read error"
// first).
Result<TMapGrid> ParseGridStream(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize + 8)
    return fail("the stream is " + std::to_string(bytes.size()) + " bytes, shorter than its " +
                std::to_string(kHeaderSize + 8) + "-byte header and trailer");
  ByteReader in(bytes);
  in.seek(bytes.size() - 8);
  const int64_t trailer = in.le<int64_t>("cell table offset").value();
  in.seek(7);  // the magic is not checked
  TMapGrid g;
  g.Cols = in.le<int64_t>("columns").value();
  g.Rows = in.le<int64_t>("rows").value();
  const size_t body = bytes.size() - kHeaderSize - 8;

  // Counts from the trailer when they describe this stream exactly.
  uint64_t nodes = 0, cells = 0;
  const bool trailerFits = trailer >= int64_t(kHeaderSize) && uint64_t(trailer) <= bytes.size() - 8 &&
                           (uint64_t(trailer) - kHeaderSize) % 20 == 0 &&
                           (bytes.size() - 8 - uint64_t(trailer)) % 28 == 0;
  if (trailerFits) {
    nodes = (uint64_t(trailer) - kHeaderSize) / 20;
    cells = (bytes.size() - 8 - uint64_t(trailer)) / 28;
  } else {
    // Lattice counts, refused unless the stream can hold them.
    const std::string lattice = "a lattice of " + std::to_string(g.Cols) + " x " + std::to_string(g.Rows) + " cells";
    const std::string why = " (the cell table offset " + std::to_string(trailer) + " does not fit the " +
                            std::to_string(bytes.size()) + "-byte stream either)";
    if (g.Cols < 0 || g.Rows < 0) return fail(lattice + " is impossible" + why);
    const uint64_t maxNodes = body / 20;
    const bool fits = uint64_t(g.Cols) + 1 <= maxNodes && uint64_t(g.Rows) + 1 <= maxNodes / (uint64_t(g.Cols) + 1);
    nodes = fits ? uint64_t(g.Cols + 1) * uint64_t(g.Rows + 1) : 0;
    cells = fits ? uint64_t(g.Cols) * uint64_t(g.Rows) : 0;
    if (!fits || cells > (body - nodes * 20) / 28)
      return fail(lattice + " needs more than the " + std::to_string(body) +
                  " bytes the stream holds for nodes and cells" + why);
  }
  auto nodeBytes = in.bytes(size_t(nodes) * 20, "nodes");
  auto cellBytes = in.bytes(size_t(cells) * 28, "cells");
  if (!nodeBytes || !cellBytes) return fail(!nodeBytes ? nodeBytes.error() : cellBytes.error());
  g.Nodes.resize(size_t(nodes));
  g.Cells.resize(size_t(cells));
  if (nodes) std::memcpy(g.Nodes.data(), nodeBytes->data(), nodeBytes->size());
  if (cells) std::memcpy(g.Cells.data(), cellBytes->data(), cellBytes->size());
  return g;
}

}  // namespace

Result<TMapGrid> ReadGridStream(std::span<const uint8_t> bytes) {
  auto g = ParseGridStream(bytes);
  if (!g) return fail(std::string(kReadError) + ": " + g.error());
  return g;
}

Status SaveGridFile(const std::string& path, const TMapGrid& grid) {
  return SaveFileAtomically(path, WriteGridStream(grid));
}

Result<TMapGrid> LoadGridFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return fail(bytes.error());
  auto g = ParseGridStream(bytes.value());
  if (!g) return fail(std::string(kReadError) + ": " + path + ": " + g.error());
  return g;
}

}  // namespace kelvane
