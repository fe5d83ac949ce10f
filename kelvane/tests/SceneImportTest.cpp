#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "drape/OglRender.h"
#include "project/FastDeflate.h"
#include "project/GroupedScene.h"
#include "project/KVScene.h"
#include "project/SceneImport.h"
#include "project/Zlib.h"
#include "raster/FileIO.h"
#include "scene3d/ModelScene.h"

namespace kelvane {
namespace {

using test::TempDir;

// A 90-degree camera (by the scene's own 3.14): at depth -10 the 64 x 64 picture spans
// -10..10 on both axes, so x = -10 + 20 px / 64 and y = 10 - 20 py / 64.
constexpr float kFov = 90 * 3.14f / 180;
constexpr int kSide = 64;
float X(int px) { return -10 + 20.0f * px / kSide; }
float Y(int py) { return 10 - 20.0f * py / kSide; }

// A rectangle of picture pixels [l, r) x [t, b) at depth z, as two triangles of
// sub-material `sub`, appended to the block; u runs 0..1 across it, or `u0` on every
// vertex when given (to tell the mappings apart).
void AddQuad(TSceneBlock& b, int l, int t, int r, int bottom, float z, int32_t sub, float u0 = -1) {
  const int32_t base = int32_t(b.Vertices.size());
  const float s = z / -10.0f;
  for (auto [px, py, u, v] : {std::tuple{l, t, 0.f, 0.f}, std::tuple{r, t, 1.f, 0.f}, std::tuple{r, bottom, 1.f, 1.f},
                              std::tuple{l, bottom, 0.f, 1.f}})
    b.Vertices.push_back({X(px) * s, Y(py) * s, z, u0 >= 0 ? u0 : u, v});
  b.Triangles.push_back({base, base + 1, base + 2, sub});
  b.Triangles.push_back({base, base + 2, base + 3, sub});
}

TSceneBlock Block(const std::string& name, std::vector<std::string> subs, int32_t flag = 0) {
  TSceneBlock b;
  b.Name = name;
  b.Flag = flag;
  for (auto& s : subs) b.SubMaterials.push_back({s, flag});
  return b;
}

// The second mapping: the same blocks with U = 0.5 everywhere.
std::vector<TSceneBlock> SecondMapping(std::vector<TSceneBlock> blocks) {
  for (auto& b : blocks)
    for (auto& v : b.Vertices) v.U = 0.5f;
  return blocks;
}

std::string WriteSceneFile(const TempDir& dir, const std::vector<TSceneBlock>& blocks) {
  const std::string path = dir.file("room.kv");
  const auto second = SecondMapping(blocks);
  EXPECT_TRUE(WriteFileBytes(path, WriteScene(kFov, blocks, second)).ok());
  return path;
}

TKVXFile2 PictureDocument() {
  TKVXFile2 doc;
  doc.Width = doc.Height = kSide;
  doc.Base = doc.Result = TBitmap32(kSide, kSide);
  doc.GetObjectView(doc.AddObject()).Param.Name = "KVXObject0";
  return doc;
}

int64_t MaskCount(const TByteMap& m) {
  int64_t n = 0;
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) n += m.Value(x, y) == 255;
  return n;
}

struct Recorder final : TSceneQuestions {
  std::vector<std::string> asked;
  bool answer = true;
  bool Ask(const std::string& text) override {
    asked.push_back(text);
    return answer;
  }
};

TEST(SceneReader, RoundTripsBlocksAndNames) {
  TSceneBlock a = Block("Sofa", {"Fabric", "Wood"}, 1);
  AddQuad(a, 0, 0, 8, 8, -10, 1);
  const TSceneBlock b = Block(std::string(120, 'n'), {});
  const auto bytes = WriteScene(0.7f, std::vector{a, b}, std::vector{a, b});
  auto r = TSceneReader::FromBytes(bytes);
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_FLOAT_EQ(r->FieldOfView(), 0.7f);
  EXPECT_EQ(r->BlockCount(), 2);
  TSceneBlock read;
  ASSERT_TRUE(r->ReadBlock(read).ok());
  EXPECT_EQ(read, a);
  ASSERT_TRUE(r->ReadBlock(read).ok());
  EXPECT_EQ(read.Name, std::string(99, 'n'));  // the terminator stays in the field
}

TEST(SceneReader, EveryTruncationFailsCleanly) {
  TSceneBlock a = Block("Sofa", {"Fabric"});
  AddQuad(a, 0, 0, 8, 8, -10, 0);
  const auto bytes = WriteScene(0.7f, std::vector{a}, std::vector{a});
  for (size_t n = 0; n < bytes.size(); ++n) {
    auto r = TSceneReader::FromBytes({bytes.data(), n});
    if (!r) continue;
    TSceneBlock block;
    Status s = Ok{};
    for (int i = 0; s && i < 2 * r->BlockCount(); ++i) s = r->ReadBlock(block);
    EXPECT_TRUE(!s || r->BlockCount() == 0) << "cut at " << n;
  }
}

TEST(SceneReader, RefusesHostileCounts) {
  TSceneBlock a = Block("Sofa", {"Fabric"});
  AddQuad(a, 0, 0, 8, 8, -10, 0);
  auto bytes = WriteScene(0.7f, std::vector{a}, std::vector{a});
  auto expectFailure = [](std::vector<uint8_t> b, const std::string& words) {
    auto r = TSceneReader::FromBytes(b, "s.kv");
    TSceneBlock block;
    Status s = r ? r->ReadBlock(block) : Status(fail(r.error()));
    ASSERT_FALSE(s.ok()) << words;
    EXPECT_NE(s.error().find(words), std::string::npos) << s.error();
    EXPECT_NE(s.error().find("s.kv"), std::string::npos) << s.error();
  };
  auto patch = [&](size_t at, int32_t v) {
    auto b = bytes;
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  expectFailure(patch(4, 0x7FFFFFFF), "vertex count");
  expectFailure(patch(4, -1), "vertex count");
  expectFailure(patch(8 + 80, 1 << 30), "triangle count");
  expectFailure(patch(8 + 80 + 4 + 4, 4), "uses vertex 4 of 4");
  expectFailure(patch(bytes.size() - 4, 1 << 30), "blocks do not fit");
  expectFailure(patch(bytes.size() - 4, -2), "blocks do not fit");
  expectFailure({1, 2, 3}, "too short");
}

TEST(SceneImport, OneObjectPerSubMaterialWithoutGrouping) {
  TempDir dir;
  TSceneBlock sofa = Block("Sofa", {"Fabric", "Wood"});
  AddQuad(sofa, 8, 8, 24, 24, -10, 0);
  AddQuad(sofa, 32, 8, 48, 40, -10, 1);
  TSceneBlock wall = Block("Wall", {"Paint"});
  AddQuad(wall, 0, 48, 64, 64, -20, 0);
  const std::string kv = WriteSceneFile(dir, {sofa, wall});

  TKVXFile2 doc = PictureDocument();
  Recorder q;
  ASSERT_TRUE(ImportScene(doc, kv, {.GroupByMaterials = false}, q).ok());
  EXPECT_TRUE(q.asked.empty());
  ASSERT_EQ(doc.HighIndex(), 2);
  const struct {
    const char* name;
    int32_t key;
    int64_t pixels;
    int x, y;
  } expected[] = {
      {"Sofa - Fabric", 0, 16 * 16, 8, 8}, {"Sofa - Wood", 1, 16 * 32, 47, 39}, {"Wall - Paint", 0, 64 * 16, 0, 63}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    // Built items are in their swap files until used.
    EXPECT_TRUE(doc.Objects[size_t(i)]->Mask->SwappedOut());
    EXPECT_TRUE(doc.Objects[size_t(i)]->Grid2->NotLoaded());
    TObjectView v = doc.GetObjectView(i);
    EXPECT_EQ(v.Param.Name, expected[i].name);
    EXPECT_EQ(v.Param.MaterialKey, expected[i].key);
    EXPECT_EQ(v.Param.MaterialKey2, expected[i].key);
    EXPECT_FLOAT_EQ(v.Param.FieldOfView, kFov);
    EXPECT_EQ(v.Param.Color, 0xFFFFFFFFu);
    EXPECT_EQ(MaskCount(v.Mask), expected[i].pixels);
    EXPECT_EQ(v.Mask.Value(expected[i].x, expected[i].y), 255);
    // Every sub-material's grid holds the whole block, cells keyed by sub-material.
    const size_t cells = i < 2 ? 4 : 2;
    ASSERT_EQ(v.Grid.Cells.size(), cells);
    EXPECT_EQ(v.Grid.Cells.back().Key, i < 2 ? 1 : 0);
    EXPECT_EQ(v.Grid.Nodes[1].U, 1.0f);
    EXPECT_EQ(v.Grid2.Nodes[1].U, 0.5f);  // the second grid holds the second mapping
  }
  EXPECT_FLOAT_EQ(doc.SceneFieldOfView, kFov);
}

TEST(SceneImport, HiddenPartsDoNotBecomeObjects) {
  TempDir dir;
  TSceneBlock front = Block("Front", {"A"});
  AddQuad(front, 0, 0, 64, 64, -10, 0);
  TSceneBlock behind = Block("Behind", {"B"});
  AddQuad(behind, 16, 16, 32, 32, -30, 0);
  TKVXFile2 doc = PictureDocument();
  Recorder q;
  ASSERT_TRUE(ImportScene(doc, WriteSceneFile(dir, {front, behind}), {.GroupByMaterials = false}, q).ok());
  ASSERT_EQ(doc.HighIndex(), 0);
  EXPECT_EQ(doc.GetObjectView(0).Param.Name, "Front - A");
  EXPECT_EQ(MaskCount(doc.GetObjectView(0).Mask), 64 * 64);
}

TEST(SceneImport, GroupingMergesBlocksOfOneName) {
  TempDir dir;
  TSceneBlock left = Block("Sofa", {"Fabric"});
  AddQuad(left, 0, 0, 16, 16, -10, 0);
  TSceneBlock wall = Block("Wall", {"Paint"});
  AddQuad(wall, 0, 32, 64, 64, -10, 0);
  TSceneBlock right = Block("Sofa", {"Fabric"});
  AddQuad(right, 32, 0, 48, 16, -10, 0);
  const std::string kv = WriteSceneFile(dir, {left, wall, right});

  TKVXFile2 doc = PictureDocument();
  Recorder q;
  ASSERT_TRUE(ImportScene(doc, kv, {}, q).ok());
  EXPECT_EQ(q.asked, std::vector<std::string>{kGroupByNamesQuestion});
  // Groups run from the last part back: the second "Sofa" takes the first.
  ASSERT_EQ(doc.HighIndex(), 1);
  {
    TObjectView sofa = doc.GetObjectView(0);
    EXPECT_EQ(sofa.Param.Name, "Sofa");
    EXPECT_EQ(sofa.Param.MaterialKey, 2);
    EXPECT_EQ(sofa.Param.MaterialKey2, 2);
    EXPECT_EQ(sofa.Grid.Nodes.size(), 8u);
    ASSERT_EQ(sofa.Grid.Cells.size(), 4u);
    EXPECT_EQ(sofa.Grid.Cells[3].TopLeft, 4);  // shifted past the first mesh's vertices
    EXPECT_EQ(sofa.Grid.Cells[3].Key, 2);
    EXPECT_EQ(MaskCount(sofa.Mask), 2 * 16 * 16);
    EXPECT_EQ(sofa.Grid2.Nodes[5].U, 0.5f);
    EXPECT_EQ(doc.GetObjectView(1).Param.Name, "Wall");
    EXPECT_EQ(doc.GetObjectView(1).Param.MaterialKey, 3);
  }  // the view goes before the objects are replaced

  // An old grouped file is offered and used as it is; "No" builds it again.
  ASSERT_TRUE(WriteFileBytes(GroupedScenePath(kv), WriteScene(kFov, std::vector{wall}, std::vector{wall})).ok());
  q.asked.clear();
  ASSERT_TRUE(ImportScene(doc, kv, {}, q).ok());
  EXPECT_EQ(q.asked, (std::vector<std::string>{kGroupByNamesQuestion, kUseOldGroupedQuestion}));
  EXPECT_EQ(doc.HighIndex(), 0);
  q.answer = false;
  ASSERT_TRUE(ImportScene(doc, kv, {}, q).ok());
  EXPECT_EQ(doc.HighIndex(), 1);  // not by name, parts of flag 0 still group by block name
}

TEST(GroupedScene, FlagsDecideWhenNotByName) {
  const TMatHead plainSofa{"Sofa", "Fabric", 0, 0}, plainSofa2{"Sofa", "Leather", 1, 0};
  const TMatHead multi{"Chair", "Sofa", 0, 1}, multiFabric{"Lamp", "Fabric", 0, 1}, multiFabric2{"Bed", "Fabric", 2, 1};
  EXPECT_TRUE(PartsBelong(plainSofa, plainSofa2, false));
  EXPECT_TRUE(PartsBelong(multi, plainSofa, false));  // its sub-material names the block
  EXPECT_TRUE(PartsBelong(plainSofa, multi, false));
  EXPECT_TRUE(PartsBelong(multiFabric, multiFabric2, false));
  EXPECT_FALSE(PartsBelong(multiFabric, plainSofa, false));
  EXPECT_FALSE(PartsBelong(TMatHead{"Sofa", "Fabric", 0, 1}, plainSofa, false));
  EXPECT_TRUE(PartsBelong(TMatHead{"Sofa", "Fabric", 0, 1}, plainSofa, true));
}

// Not by name: a two-material block (flag 1) splits, each material joining the plain
// block named after it; each merged block keeps only its part's triangles.
TEST(GroupedScene, MergedBlocksKeepOnlyTheirPartsTriangles) {
  TempDir dir;
  TSceneBlock chair = Block("Chair", {"Wood", "Cloth"}, 1);
  AddQuad(chair, 0, 0, 8, 8, -10, 0);
  AddQuad(chair, 8, 0, 16, 8, -10, 1);
  TSceneBlock wood = Block("Wood", {"Wood"});
  AddQuad(wood, 0, 16, 8, 24, -10, 0);
  const std::string kv = WriteSceneFile(dir, {chair, wood}), gkv = GroupedScenePath(kv);
  ASSERT_TRUE(BuildGroupedScene(kv, gkv, false).ok());
  auto r = TSceneReader::Open(gkv);
  ASSERT_TRUE(r.ok()) << r.error();
  ASSERT_EQ(r->BlockCount(), 2);  // Wood with the chair's wood; the chair's cloth alone
  TSceneBlock b;
  ASSERT_TRUE(r->ReadBlock(b).ok());
  EXPECT_EQ(b.Name, "Wood");
  EXPECT_EQ(b.Vertices.size(), 4u + 8u);
  ASSERT_EQ(b.Triangles.size(), 4u);
  EXPECT_EQ(b.Triangles[2], (TSceneTriangle{4, 5, 6, 0}));  // the chair's first quad, shifted
  ASSERT_EQ(b.SubMaterials.size(), 1u);
  ASSERT_TRUE(r->ReadBlock(b).ok());
  EXPECT_EQ(b.Name, "Chair");
  EXPECT_EQ(b.SubMaterials[0], (TSceneSubMaterial{"Cloth", 1}));
  ASSERT_EQ(b.Triangles.size(), 2u);
  EXPECT_EQ(b.Triangles[0], (TSceneTriangle{4, 5, 6, 0}));  // the cloth quad, sub-material 0 now
  ASSERT_TRUE(r->ReadBlock(b).ok());
  EXPECT_EQ(b.Vertices[0].U, 0.5f);  // the second mapping follows in the same grouping
}

TEST(SceneImport, FailureKeepsTheDocument) {
  TempDir dir;
  TSceneBlock a = Block("Sofa", {"Fabric"});
  AddQuad(a, 0, 0, 16, 16, -10, 0);
  auto bytes = WriteScene(kFov, std::vector{a}, std::vector{a});
  const std::string kv = dir.file("cut.kv");
  bytes.erase(bytes.begin() + 40, bytes.end() - 4);
  ASSERT_TRUE(WriteFileBytes(kv, bytes).ok());
  TKVXFile2 doc = PictureDocument();
  Recorder q;
  Status s = ImportScene(doc, kv, {.GroupByMaterials = false}, q);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.error().find(kv), std::string::npos) << s.error();
  ASSERT_EQ(doc.HighIndex(), 0);
  EXPECT_EQ(doc.GetObjectView(0).Param.Name, "KVXObject0");
  EXPECT_FALSE(std::filesystem::exists(GroupedScenePath(kv)));
}

TEST(SceneImport, RefusesMorePartsThanItMayMake) {
  TempDir dir;
  TSceneBlock many = Block("Many", {});
  many.SubMaterials.resize(size_t(kMaxSceneParts) + 1, {"Sub", 0});
  TKVXFile2 doc = PictureDocument();
  Recorder q;
  Status s = ImportScene(doc, WriteSceneFile(dir, {many}), {.GroupByMaterials = false}, q);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.error().find("parts"), std::string::npos) << s.error();
  EXPECT_EQ(doc.HighIndex(), 0);
}

// What users see: the perspective drape of an imported object's own grid lands on its
// mask, up to the pixels on the mask's edge.
TEST(SceneImport, MaskLinesUpWithThePerspectiveDrape) {
  TempDir dir;
  TSceneBlock slab = Block("Slab", {"Top"});
  // A tilted quadrilateral, nearer at the bottom, off centre.
  slab.Vertices = {{-6, 5, -12, 0, 0}, {7, 6, -16, 1, 0}, {5, -7, -9, 1, 1}, {-4, -4, -8, 0, 1}};
  slab.Triangles = {{0, 1, 2, 0}, {0, 2, 3, 0}};
  TKVXFile2 doc = PictureDocument();
  doc.Width = 80;  // a wide picture: the square viewport is cropped top and bottom
  Recorder q;
  ASSERT_TRUE(ImportScene(doc, WriteSceneFile(dir, {slab}), {.GroupByMaterials = false}, q).ok());
  ASSERT_EQ(doc.HighIndex(), 0);
  TObjectView v = doc.GetObjectView(0);
  TBitmap32 drape(doc.Width, doc.Height);
  ASSERT_TRUE(
      RenderPerspective(v.Grid, TBitmap32(1, 1, 0xFFFFFFFFu), drape, {}, 0xFF000000u, v.Param.FieldOfView, {}).ok());
  auto edge = [&](int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (v.Mask.Value(x + dx, y + dy) != v.Mask.Value(x, y)) return true;
    return false;
  };
  int inside = 0, off = 0;
  for (int y = 0; y < doc.Height; ++y)
    for (int x = 0; x < doc.Width; ++x) {
      const bool painted = (drape.Pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
      inside += painted && v.Mask.Value(x, y) == 255;
      off += painted != (v.Mask.Value(x, y) == 255) && !edge(x, y);
    }
  EXPECT_GT(inside, 400);
  EXPECT_EQ(off, 0);
}

// ---- 3D models made into scenes ----

// Writes an OBJ of unit squares facing +Z, one material each (its material library
// beside it); `closed` adds the cube's other five faces behind the first.
std::string WriteModel(const TempDir& dir, const std::vector<std::pair<float, float>>& squares, bool closed = false) {
  std::string mtl, obj = "mtllib m.mtl\no Panel\n";
  int v = 0;
  auto face = [&](const std::string& material, std::array<std::array<float, 3>, 4> corners) {
    mtl += "newmtl " + material + "\nKd 0.5 0.5 0.5\n";
    obj += "usemtl " + material + "\n";
    for (auto& c : corners)
      obj += "v " + std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) + "\n";
    obj += "f " + std::to_string(v + 1) + " " + std::to_string(v + 2) + " " + std::to_string(v + 3) + " " +
           std::to_string(v + 4) + "\n";
    v += 4;
  };
  for (size_t i = 0; i < squares.size(); ++i) {
    const auto [x, y] = squares[i];
    face("M" + std::to_string(i), {{{x, y, 0}, {x + 1, y, 0}, {x + 1, y + 1, 0}, {x, y + 1, 0}}});
  }
  if (closed) {
    face("Back", {{{0, 0, -1}, {0, 1, -1}, {1, 1, -1}, {1, 0, -1}}});
    face("Left", {{{0, 0, 0}, {0, 1, 0}, {0, 1, -1}, {0, 0, -1}}});
    face("Right", {{{1, 0, 0}, {1, 0, -1}, {1, 1, -1}, {1, 1, 0}}});
    face("Top", {{{0, 1, 0}, {1, 1, 0}, {1, 1, -1}, {0, 1, -1}}});
    face("Bottom", {{{0, 0, 0}, {0, 0, -1}, {1, 0, -1}, {1, 0, 0}}});
  }
  EXPECT_TRUE(WriteFileBytes(dir.file("m.mtl"), {reinterpret_cast<const uint8_t*>(mtl.data()), mtl.size()}).ok());
  EXPECT_TRUE(WriteFileBytes(dir.file("m.obj"), {reinterpret_cast<const uint8_t*>(obj.data()), obj.size()}).ok());
  return dir.file("m.obj");
}

// The model made into a picture and scene, and imported without grouping.
TKVXFile2 ImportModel(const TempDir& dir, const std::string& model, int w, int h) {
  const std::string picture = dir.file("m.png");
  TModelSceneOptions o;
  o.Width = w;
  o.Height = h;
  Status s = WriteModelScene(model, picture, o);
  EXPECT_TRUE(s.ok()) << s.error();
  TKVXFile2 doc;
  doc.Width = w;
  doc.Height = h;
  Recorder q;
  s = ImportScene(doc, SceneFileBeside(picture), {.GroupByMaterials = false}, q);
  EXPECT_TRUE(s.ok()) << s.error();
  return doc;
}

TEST(ModelScene, EveryMaterialBecomesAnObjectWithItsOwnMask) {
  TempDir dir;
  // Six squares in two rows of three, 0.25 apart.
  std::vector<std::pair<float, float>> squares;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) squares.push_back({c * 1.25f, (1 - r) * 1.25f});
  TKVXFile2 doc = ImportModel(dir, WriteModel(dir, squares), 150, 100);
  ASSERT_EQ(doc.HighIndex(), 5);
  int64_t first = 0;
  double lastX = -1;
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    TObjectView v = doc.GetObjectView(i);
    EXPECT_EQ(v.Param.Name, "Panel - M" + std::to_string(i));
    const int64_t n = MaskCount(v.Mask);
    if (i == 0) first = n;
    EXPECT_NEAR(double(n), double(first), first * 0.08);  // equal squares, equal masks
    double sx = 0, sy = 0;
    for (int y = 0; y < v.Mask.Height(); ++y)
      for (int x = 0; x < v.Mask.Width(); ++x)
        if (v.Mask.Value(x, y) == 255) sx += x, sy += y;
    sx /= double(n), sy /= double(n);
    EXPECT_EQ(sy < 50, i < 3);  // the first row on top
    if (i % 3) {
      EXPECT_GT(sx, lastX + 20);
    }
    lastX = sx;
  }
  EXPECT_GT(first, 300);
}

TEST(ModelScene, AClosedCubeSeenFromTheFrontShowsOneFace) {
  TempDir dir;
  TKVXFile2 doc = ImportModel(dir, WriteModel(dir, {{0, 0}}, true), 100, 100);
  ASSERT_EQ(doc.HighIndex(), 0);
  TObjectView v = doc.GetObjectView(0);
  EXPECT_EQ(v.Param.Name, "Panel - M0");
  // Framed with a margin, the face is a square in the middle.
  const int64_t n = MaskCount(v.Mask);
  EXPECT_GT(n, 40 * 40);
  EXPECT_EQ(v.Mask.Value(50, 50), 255);
  EXPECT_EQ(v.Mask.Value(2, 50), 0);
  // The second grid holds the box mapping: U follows X across the front face.
  const TMapNode& a = v.Grid2.Nodes[v.Grid2.Cells[0].TopLeft];
  const TMapNode& b = v.Grid2.Nodes[v.Grid2.Cells[0].TopRight];
  EXPECT_NE(a.U, b.U);
}

TEST(ModelScene, TexturesThatAreNoPictureFilesOnlyWarn) {
  TempDir dir;
  const std::string mtl = "newmtl Stream\nKd 1 1 1\nmap_Kd /dev/zero\n",
                    obj = "mtllib t.mtl\nusemtl Stream\nv 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nf 1/1 2/2 3/3\n";
  ASSERT_TRUE(WriteFileBytes(dir.file("t.mtl"), {reinterpret_cast<const uint8_t*>(mtl.data()), mtl.size()}).ok());
  ASSERT_TRUE(WriteFileBytes(dir.file("t.obj"), {reinterpret_cast<const uint8_t*>(obj.data()), obj.size()}).ok());
  auto m = LoadModel(dir.file("t.obj"));
  ASSERT_TRUE(m.ok()) << m.error();
  ASSERT_EQ(m->Warnings.size(), 1u);
  EXPECT_NE(m->Warnings[0].find("/dev/zero"), std::string::npos) << m->Warnings[0];
  EXPECT_TRUE(m->Materials[0].Texture.Empty());
}

TEST(ModelScene, DamagedReaderAnswersAreRefused) {
  // status 0, then a material count far beyond the bytes sent
  const std::vector<uint8_t> huge = {0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
  auto m = ReadModelMessage(huge, "m.obj");
  ASSERT_FALSE(m.ok());
  EXPECT_NE(m.error().find("damaged"), std::string::npos) << m.error();
  const std::vector<uint8_t> said = {1, 3, 0, 0, 0, 'b', 'a', 'd'};
  EXPECT_EQ(ReadModelMessage(said, "m.obj").error(), "Model m.obj: bad");
  EXPECT_FALSE(ReadModelMessage({}, "m.obj").ok());
}

TEST(ModelScene, BrokenModelsGiveAMessage) {
  TempDir dir;
  const std::string bad = dir.file("bad.obj"), text = "v 0 0 0\nf 1 2 3\n";
  ASSERT_TRUE(WriteFileBytes(bad, {reinterpret_cast<const uint8_t*>(text.data()), text.size()}).ok());
  auto m = LoadModel(bad);
  ASSERT_FALSE(m.ok());
  EXPECT_NE(m.error().find("bad.obj"), std::string::npos) << m.error();
  EXPECT_FALSE(LoadModel(dir.file("none.obj")).ok());
}

// ---- masks of whole pictures deflated run by run ----

TEST(FastDeflate, RoundTripsRunsOfEveryLengthAndValue) {
  std::mt19937 gen(3);
  for (int value : {0, 1, 200, 201, 254, 255})
    for (size_t extra : {0, 1, 2, 3, 10, 11, 130, 131, 257, 258, 259, 1000})
      for (size_t noise : {0, 1, 777}) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < noise; ++i) bytes.push_back(uint8_t(gen()));
        bytes.insert(bytes.end(), kRunDeflateMinSize + extra, uint8_t(value));
        for (size_t i = 0; i < noise; ++i) bytes.push_back(uint8_t(gen()));
        bytes.insert(bytes.end(), extra, uint8_t(255 - value));  // a short run after a long one
        auto z = DeflateWithRuns(bytes);
        ASSERT_TRUE(z.has_value());
        auto back = InflateExact(*z, bytes.size());
        ASSERT_TRUE(back.ok()) << value << " " << extra << " " << noise;
        EXPECT_EQ(back.value(), bytes) << value << " " << extra << " " << noise;
      }
}

TEST(FastDeflate, PictureMasksStaySmallAndOtherDataGoesToZlib) {
  TByteMap mask(4000, 3000);
  for (int y = 1000; y < 1300; ++y)
    for (int x = 1000; x < 1300; ++x) mask.SetValue(x, y, x == 1000 ? 128 : 255);
  const std::span<const uint8_t> bytes{mask.Bits(), size_t(4000) * 3000};
  const auto z = Deflate9(bytes);
  EXPECT_LT(z.size(), 30000u);  // zlib at level 9 alone makes about 12 000
  ASSERT_EQ(InflateExact(z, bytes.size()).value(), std::vector<uint8_t>(bytes.begin(), bytes.end()));
  std::vector<uint8_t> noise(kRunDeflateMinSize * 2);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i * 7 % 251);
  EXPECT_FALSE(DeflateWithRuns(noise).has_value());
}

}  // namespace
}  // namespace kelvane
