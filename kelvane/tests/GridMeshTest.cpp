#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "drape/KVXGridTools.h"
#include "raster/FileIO.h"

namespace kelvane {
namespace {

TMapGrid lattice(int w, int h) {
  TMapGrid g;
  int cw = 0, ch = 0;
  BuildLattice(g, w, h, cw, ch);
  return g;
}

TEST(GridMesh, DefaultLatticeOfA300By200Image) {
  TMapGrid g;
  int cw = 0, ch = 0;
  BuildLattice(g, 300, 200, cw, ch);
  EXPECT_EQ(cw, 100);
  EXPECT_EQ(ch, 66);
  EXPECT_EQ(g.Cols, 3);
  EXPECT_EQ(g.Rows, 3);
  ASSERT_EQ(g.Nodes.size(), 16u);
  ASSERT_EQ(g.Cells.size(), 9u);
  const TMapNode& n = g.Nodes[1 * 4 + 2];  // row 1, column 2
  EXPECT_FLOAT_EQ(n.X, 1.0f / 3);
  EXPECT_FLOAT_EQ(n.Y, -1.0f / 3);
  EXPECT_FLOAT_EQ(n.U, 2.0f / 3);
  EXPECT_FLOAT_EQ(n.V, 1.0f / 3);
  const TMapCell& c = g.Cells[1 * 3 + 2];
  EXPECT_EQ(c, (TMapCell{6, 7, 11, 10, 2, 1, 0}));
}

TEST(GridMesh, TinyImagesStillGetALattice) {
  TMapGrid g = lattice(2, 1);
  EXPECT_EQ(g.Cols, 2);
  EXPECT_EQ(g.Rows, 1);
  EXPECT_TRUE(g.IsLattice());
  EXPECT_EQ(lattice(5, 100).Cols, 5);
}

TEST(GridMesh, LatticeStreamIs603BytesWith343InItsTrailerAndReadsBackBitForBit) {
  const TMapGrid g = lattice(300, 200);
  const auto bytes = WriteGridStream(g);
  ASSERT_EQ(bytes.size(), 603u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 7), "KVXGRID");
  int64_t trailer;
  std::memcpy(&trailer, bytes.data() + 595, 8);
  EXPECT_EQ(trailer, 343);
  auto back = ReadGridStream(bytes);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value(), g);
  EXPECT_EQ(WriteGridStream(back.value()), bytes);
}

TEST(GridMesh, DrawGridDefaultsGiveOneCellOnTheRectangle) {
  TMapGrid g;
  DivideRect(g, 30, 20, 90, 60, 120, 80, 1, 1);
  ASSERT_EQ(g.Nodes.size(), 4u);
  EXPECT_FLOAT_EQ(g.Nodes[0].X, -0.5f);
  EXPECT_FLOAT_EQ(g.Nodes[0].Y, -0.5f);
  EXPECT_FLOAT_EQ(g.Nodes[3].X, 0.5f);
  EXPECT_FLOAT_EQ(g.Nodes[3].Y, 0.5f);
  EXPECT_FLOAT_EQ(g.Nodes[3].U, 1.0f);
  EXPECT_FLOAT_EQ(g.Nodes[1].V, 0.0f);
}

TEST(GridMesh, ColumnInsertedAtTheLeftEdgeLiesHalfACellOutside) {
  TMapGrid g = lattice(300, 200);
  ASSERT_TRUE(InsertColumn(g, 0));
  EXPECT_EQ(g.Cols, 4);
  ASSERT_TRUE(g.IsLattice());
  for (int r = 0; r <= 3; ++r) {
    EXPECT_FLOAT_EQ(g.Nodes[size_t(r * 5)].U, -1.0f / 6);
    EXPECT_FLOAT_EQ(g.Nodes[size_t(r * 5)].X, -4.0f / 3);
    EXPECT_FLOAT_EQ(g.Nodes[size_t(r * 5 + 1)].X, -1.0f);  // the old left edge, moved along
  }
  EXPECT_EQ(g.Cells[3].TopLeft, 3);
  EXPECT_EQ(g.Cells[3].Col, 0);  // cells keep Col and Row at their old indices
  EXPECT_EQ(g.Cells[11].Col, 0);  // and new ones start at 0
  EXPECT_EQ(g.Cells[11].BottomRight, 19);
}

TEST(GridMesh, RowInsertedThroughADeformedLatticeLandsOnMidpoints) {
  TMapGrid g = lattice(300, 300);
  MoveNode(g, 5, 0.2, 0.1);  // row 1, column 1
  const TMapGrid old = g;
  ASSERT_TRUE(InsertRow(g, 2));
  EXPECT_EQ(g.Rows, 4);
  for (int c = 0; c <= 3; ++c) {
    const TMapNode &a = old.Nodes[size_t(4 + c)], &b = old.Nodes[size_t(8 + c)], &n = g.Nodes[size_t(8 + c)];
    EXPECT_FLOAT_EQ(n.X, (a.X + b.X) / 2);
    EXPECT_FLOAT_EQ(n.Y, (a.Y + b.Y) / 2);
    EXPECT_FLOAT_EQ(n.V, (a.V + b.V) / 2);
    EXPECT_EQ(g.Nodes[size_t(12 + c)], old.Nodes[size_t(8 + c)]);
  }
  EXPECT_FALSE(InsertRow(g, 9));
  EXPECT_FALSE(InsertColumn(g, -1));
}

TEST(GridMesh, ResetKeepsTextureCoordinates) {
  TMapGrid g = lattice(90, 90);
  g.Nodes[5].U = 0.9f;
  TranslateNodes(g, 0.5, -0.25);
  ResetNodePositions(g);
  EXPECT_EQ(g, [] {
    TMapGrid r = lattice(90, 90);
    r.Nodes[5].U = 0.9f;
    return r;
  }());
  EXPECT_EQ(GridCentre(g)->first, 0.0);
  EXPECT_FALSE(GridCentre(TMapGrid{}).has_value());
}

TEST(GridMesh, FindEdgeReturnsTheFirstEdgeInCellOrder) {
  const TMapGrid g = lattice(300, 300);
  // The shared edge between cells 0 and 1 is found through cell 0, as its right edge.
  auto e = FindEdge(g, -1.0 / 3 + 0.001, -0.7, 0.01);
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(*e, (std::pair<int32_t, int32_t>{5, 1}));
  EXPECT_FALSE(FindEdge(g, -0.8, -0.8, 0.01).has_value());
  TMapGrid broken = g;
  broken.Cells[0].TopRight = 999;  // indices outside the node table are skipped
  EXPECT_TRUE(FindEdge(broken, 0.0, -1.0, 0.01).has_value());
}

TEST(GridMesh, AppendGridReKeysAndCompacts) {
  TMapGrid a = lattice(30, 30), b = lattice(60, 30);
  for (TMapCell& c : a.Cells) c.Key = 4;
  for (TMapCell& c : b.Cells) c.Key = 7;
  b.Cells[0].Key = 8;  // not the source key: dropped
  TMapGrid target;
  AppendGrid(target, a, 1, 4);
  AppendGrid(target, b, 1, 7);
  EXPECT_EQ(target.Nodes.size(), a.Nodes.size() + b.Nodes.size());
  ASSERT_EQ(target.Cells.size(), a.Cells.size() + b.Cells.size() - 1);
  for (const TMapCell& c : target.Cells) EXPECT_EQ(c.Key, 1);
  EXPECT_EQ(target.Cells[9].TopLeft, int32_t(a.Nodes.size()) + b.Cells[1].TopLeft);
  AppendGrid(target, TMapGrid{}, 2, 0);  // a new key keeps nothing of the old cells
  EXPECT_TRUE(target.Cells.empty());
}

TEST(GridMesh, RelabelCornersMakesTheChosenEdgeTheBottom) {
  TMapGrid g;
  DivideRect(g, 0, 0, 10, 10, 10, 10, 1, 1);
  const TMapGrid old = g;
  auto edge = RelabelCorners(g, std::pair<int32_t, int32_t>{0, 2});
  EXPECT_EQ(*edge, (std::pair<int32_t, int32_t>{3, 2}));
  EXPECT_EQ(g.Nodes[0], old.Nodes[1]);
  EXPECT_EQ(g.Nodes[1], old.Nodes[3]);
  EXPECT_EQ(g.Nodes[2], old.Nodes[0]);
  EXPECT_EQ(g.Nodes[3], old.Nodes[2]);
  EXPECT_EQ(g.Cells[0], (TMapCell{0, 1, 3, 2, 0, 0, 0}));
  EXPECT_EQ(*RelabelCorners(g, std::nullopt), (std::pair<int32_t, int32_t>{3, 2}));
}

TEST(GridMesh, MeshesThatAreNotLatticesKeepEveryNodeAndCell) {
  TMapGrid mesh;  // a scene mesh: Cols = Rows = 0, arrays of their own lengths
  for (int i = 0; i < 7; ++i) mesh.Nodes.push_back({float(i), 1, 2, 3, 4});
  mesh.Cells.push_back({0, 1, 2, 0, 0, 0, 5});
  mesh.Cells.push_back({3, 4, 6, 0, 0, 0, 5});
  auto back = ReadGridStream(WriteGridStream(mesh));
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value(), mesh);
  EXPECT_FALSE(InsertColumn(mesh, 0));
}

TEST(GridMesh, ShortOrHostileStreamsFailWithStreamReadError) {
  const auto good = WriteGridStream(lattice(300, 200));
  for (size_t n = 0; n < good.size(); ++n) {
    auto r = ReadGridStream({good.data(), n});
    // A cut stream may still describe a smaller grid through its last 8 bytes; it must
    // never read past its end.
    if (!r.ok()) {
      EXPECT_EQ(r.error().rfind("Stream read error: ", 0), 0u) << n;
    }
  }
  auto huge = good;
  const int64_t big = int64_t(1) << 40;
  std::memcpy(huge.data() + 7, &big, 8);
  std::memcpy(huge.data() + 595, &big, 8);  // a trailer that does not fit either
  auto r = ReadGridStream(huge);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error(), "Stream read error: a lattice of 1099511627776 x 3 cells needs more than the 572 bytes the "
                       "stream holds for nodes and cells (the cell table offset 1099511627776 does not fit the "
                       "603-byte stream either)");
}

TEST(GridMesh, GridFilesRoundTripAndMissingFilesSaySo) {
  test::TempDir dir;
  const TMapGrid g = lattice(640, 480);
  ASSERT_TRUE(SaveGridFile(dir.file("g.kvg"), g).ok());
  auto back = LoadGridFile(dir.file("g.kvg"));
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value(), g);
  auto missing = LoadGridFile(dir.file("none.kvg"));
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error(), "Cannot open file " + dir.file("none.kvg"));
  ASSERT_TRUE(WriteFileBytes(dir.file("cut.kvg"), std::vector<uint8_t>(30, 0)).ok());
  auto cut = LoadGridFile(dir.file("cut.kvg"));
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.error(), "Stream read error: " + dir.file("cut.kvg") +
                             ": the stream is 30 bytes, shorter than its 31-byte header and trailer");
}

}  // namespace
}  // namespace kelvane
