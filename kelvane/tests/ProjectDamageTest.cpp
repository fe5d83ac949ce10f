#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>

#include "TestSupport.h"
#include "project/TKVXFile2.h"
#include "project/Zlib.h"
#include "raster/FileIO.h"

namespace kelvane {
namespace {

// Two objects, "first" and "second", each with a mask, a 3 x 2 lattice and a texture.
TKVXFile2 twoObjects() {
  TKVXFile2 doc;
  doc.Base = test::gradient(12, 8);
  doc.Result = doc.Base;
  for (const char* name : {"first", "second"}) {
    TObjectView v = doc.GetObjectView(doc.AddObject());
    v.Mask.SetSize(12, 8, 200);
    int cw = 0, ch = 0;
    BuildLattice(v.Grid, 3, 2, cw, ch);
    v.Texture = test::gradient(4, 4);
    v.Param.Name = name;
  }
  return doc;
}

std::vector<uint8_t> savedBytes(TKVXFile2& doc, const std::string& path) {
  EXPECT_TRUE(doc.SaveToFile(path).ok());
  return ReadFileBytes(path).value();
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// Where object i's table record lies, and the item whose position is at `field` of it
// (101 mask, 109 grid, 117 second grid, 125 texture, 133 parameters).
size_t recordAt(const std::vector<uint8_t>& file, int object) {
  int64_t table;
  std::memcpy(&table, file.data() + file.size() - 16, 8);
  return size_t(table) + size_t(object) * kObjectRecordSize;
}
size_t itemAt(const std::vector<uint8_t>& file, int object, size_t field) {
  int64_t at;
  std::memcpy(&at, file.data() + recordAt(file, object) + field, 8);
  return size_t(at);
}

TEST(ProjectDamage, AnUnreadableItemIsNamedAndTheSaveRefusedUntilTheUserWasTold) {
  test::TempDir dir;
  TKVXFile2 doc = twoObjects();
  auto file = savedBytes(doc, dir.file("p.kvx"));
  file[itemAt(file, 1, 101) + 12 + 4] ^= 0xFF;  // inside object 1's mask stream
  writeBytes(dir.file("p.kvx"), file);

  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("p.kvx")).ok());
  EXPECT_TRUE(back.DamagedItems().empty());  // nothing read yet
  EXPECT_TRUE(back.GetObjectView(1).Mask.Empty());
  EXPECT_EQ(back.Objects[1]->Mask->LoadStatus().error(), "ZLib error: target buffer may be too small");
  // The swapper does not make the loss go away.
  ASSERT_TRUE(back.Objects[1]->Mask->SwapOut().ok());
  (void)back.Objects[1]->Mask->Get();
  const auto damage = back.CheckItems();
  ASSERT_EQ(damage.size(), 1u);
  EXPECT_EQ(damage[0].Text(), "object 1 \"second\", mask: ZLib error: target buffer may be too small");
  EXPECT_EQ(back.GetObjectView(0).Mask.Value(3, 3), 200);  // the other object is whole

  const Status refused = back.SaveToFile(dir.file("p.kvx"));
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().find("object 1 \"second\", mask: ZLib error"), std::string::npos) << refused.error();
  EXPECT_EQ(ReadFileBytes(dir.file("p.kvx")).value(), file);
  // Told, the user saves the object without its mask; the new file is whole.
  ASSERT_TRUE(back.SaveToFile(dir.file("p.kvx"), nullptr, TDamagedItems::SaveEmpty).ok());
  EXPECT_TRUE(back.DamagedItems().empty());
  TKVXFile2 again;
  ASSERT_TRUE(again.LoadFromFile(dir.file("p.kvx")).ok());
  EXPECT_TRUE(again.CheckItems().empty());
}

TEST(ProjectDamage, EachKindOfDamageNamesItsItem) {
  test::TempDir dir;
  TKVXFile2 doc = twoObjects();
  const auto good = savedBytes(doc, dir.file("good.kvx"));
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* item;
    const char* message;
  };
  const int32_t huge = 1 << 30;
  const Case cases[] = {
      {"impossible node count", [&](auto& f) { std::memcpy(&f[itemAt(f, 0, 109) + 8], &huge, 4); }, "grid",
       "grid: nodes do not fit their stream"},
      {"unknown texture kind", [&](auto& f) { f[itemAt(f, 0, 125)] = 7; }, "texture", "texture: unknown kind 7"},
      {"second grid beyond the file", [&](auto& f) { std::memset(&f[recordAt(f, 0) + 117], 0x7F, 7); },
       "second grid", nullptr},
  };
  for (const Case& c : cases) {
    auto file = good;
    c.spoil(file);
    writeBytes(dir.file("bad.kvx"), file);
    TKVXFile2 back;
    ASSERT_TRUE(back.LoadFromFile(dir.file("bad.kvx")).ok()) << c.name;
    const auto damage = back.CheckItems();
    ASSERT_EQ(damage.size(), 1u) << c.name;
    EXPECT_EQ(damage[0].Object, 0) << c.name;
    EXPECT_EQ(damage[0].Item, c.item) << c.name;
    if (c.message) {
      EXPECT_EQ(damage[0].Message, c.message) << c.name;
    }
    EXPECT_FALSE(back.SaveToFile(dir.file("out.kvx")).ok()) << c.name;
  }
}

TEST(ProjectDamage, ItemsThatHoldNothingReadAsEmpty) {
  EXPECT_TRUE(InflateExact({}, 0).ok());           // no stream at all
  EXPECT_TRUE(InflateExact(Deflate9({}), 0).ok());  // a stream of nothing
  EXPECT_FALSE(InflateExact(Deflate9(std::vector<uint8_t>(3, 1)), 0).ok());
  EXPECT_FALSE(InflateExact({}, 3).ok());

  // A 0 x 0 mask and a second grid of no nodes and no cells, as other tools write them.
  test::TempDir dir;
  TKVXFile2 doc = twoObjects();
  TObjectView v = doc.GetObjectView(0);
  v.Mask = TByteMap();
  v.Grid2 = TMapGrid{0, 0, {}, {}};
  ASSERT_TRUE(doc.SaveToFile(dir.file("e.kvx")).ok());
  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("e.kvx")).ok());
  EXPECT_TRUE(back.CheckItems().empty());
  EXPECT_TRUE(back.GetObjectView(0).Mask.Empty());
  EXPECT_TRUE(back.GetObjectView(0).Grid2.Nodes.empty());
}

TEST(ProjectDamage, AnObjectCountBeyondTheTableIsRefusedEverywhere) {
  test::TempDir dir;
  TKVXFile2 doc = twoObjects();
  doc.Included.AddIncludedObject({0, 0, 4, 4});  // 591 bytes after the table: room for phantoms
  auto file = savedBytes(doc, dir.file("p.kvx"));
  const int64_t three = 3;
  std::memcpy(file.data() + file.size() - 8, &three, 8);
  writeBytes(dir.file("p.kvx"), file);
  TKVXFile2 back;
  const Status s = back.LoadFromFile(dir.file("p.kvx"));
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error(), "Sorry Wrong File Format: the trailer counts 3 objects, the object table has room for 2");
  EXPECT_EQ(back.HighIndex(), -1);
}

}  // namespace
}  // namespace kelvane
