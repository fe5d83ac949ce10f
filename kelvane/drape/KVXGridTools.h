#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "../raster/Result.h"

namespace kelvane {

// One node: position in node units (-1..+1 across the image, Y down), depth, and the
// texture coordinate (0, 0 top-left of the texture, 1, 1 bottom-right).
struct TMapNode {
  float X = 0, Y = 0, Z = 0, U = 0, V = 0;
  friend bool operator==(const TMapNode&, const TMapNode&) = default;
};
static_assert(sizeof(TMapNode) == 20, "a node is a 20-byte stream record");

// One cell: four node indices (a scene-mesh cell is the triangle TopLeft, TopRight,
// BottomRight), the lattice column and row it was built at, and its material key.
struct TMapCell {
  int32_t TopLeft = 0, TopRight = 0, BottomRight = 0, BottomLeft = 0;
  int32_t Col = 0, Row = 0, Key = 0;
  friend bool operator==(const TMapCell&, const TMapCell&) = default;
};
static_assert(sizeof(TMapCell) == 28, "a cell is a 28-byte stream record");

// A grid mesh. In a lattice, node (r, c) is Nodes[r (Cols + 1) + c] and cell (r, c) is
// Cells[r Cols + c]; scene meshes and merged grids have arrays of their own lengths.
struct TMapGrid {
  int64_t Cols = 0;
  int64_t Rows = 0;
  std::vector<TMapNode> Nodes;
  std::vector<TMapCell> Cells;

  // Whether the arrays follow the lattice layout of Cols x Rows.
  bool IsLattice() const;
  friend bool operator==(const TMapGrid&, const TMapGrid&) = default;
};

// Pixel position <-> node units for an image of `size` pixels along that axis.
inline double PixelToNode(double p, double size) { return 2.0 * p / size - 1.0; }
inline double NodeToPixel(double n, double size) { return (n + 1.0) * size / 2.0; }

// The default lattice over a W x H image. A cell size below 1 becomes a third of the
// side (at least 1 pixel); the sizes used are written back for the caller to keep.
void BuildLattice(TMapGrid& grid, int width, int height, int& cellWidth, int& cellHeight);
// Puts every lattice node back on the regular lattice; texture coordinates, depths and
// cells stay. Grids that are not lattices are left alone.
void ResetNodePositions(TMapGrid& grid);
// A lattice of `cols` x `rows` cells over the pixel rectangle of a W x H image.
void DivideRect(TMapGrid& grid, int left, int top, int right, int bottom, int width, int height, int cols,
                int rows);
// A column of nodes and cells before lattice column k (0..Cols); k = 0 adds one half a
// cell outside the left edge. Only on lattices of at least one column; false otherwise.
bool InsertColumn(TMapGrid& grid, int64_t k);
bool InsertRow(TMapGrid& grid, int64_t k);
void TranslateNodes(TMapGrid& grid, double dx, double dy);
void MoveNode(TMapGrid& grid, int64_t node, double dx, double dy);
// Centre of the bounding box of all nodes; nothing for a grid without nodes.
std::optional<std::pair<double, double>> GridCentre(const TMapGrid& grid);
// The first cell edge (cells in order; top, right, bottom, left) closer than `tolerance`
// to the point; cells with indices outside the node table are skipped.
std::optional<std::pair<int32_t, int32_t>> FindEdge(const TMapGrid& grid, double x, double y, double tolerance);
// Appends the source's nodes and cells; source cells keyed `sourceKey` get `key`, the
// rest are dropped together with every target cell not keyed `key`.
void AppendGrid(TMapGrid& target, const TMapGrid& source, int32_t key, int32_t sourceKey);
// Makes the selected edge of a one-cell grid its bottom edge; returns the new selection.
std::optional<std::pair<int32_t, int32_t>> RelabelCorners(TMapGrid& grid,
                                                          std::optional<std::pair<int32_t, int32_t>> edge);

// The "KVXGRID" stream: magic, Cols, Rows, the nodes, the cells, and the byte offset of
// the cells as a trailer.
std::vector<uint8_t> WriteGridStream(const TMapGrid& grid);
// Reads a stream. The array lengths come from the trailer when it is consistent with
// the stream's size (so scene meshes and merged grids keep every node and cell), else
// from Cols and Rows; a stream that cannot hold them fails with "Stream read error: "
// and what is wrong.
Result<TMapGrid> ReadGridStream(std::span<const uint8_t> bytes);

// Grid files (".kvg"): the stream alone. Saving goes through a temporary file. A damaged
// file fails with "Stream read error: FILE: " and what is wrong.
Status SaveGridFile(const std::string& path, const TMapGrid& grid);
Result<TMapGrid> LoadGridFile(const std::string& path);

}  // namespace kelvane
