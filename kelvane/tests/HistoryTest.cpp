#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "app/THistory.h"
#include "project/TempFiles.h"

namespace kelvane {
namespace {

struct HistoryFixture : ::testing::Test {
  TByteMap mask{4, 4, 0};
  TMapGrid grid;
  THistory history;
  HistoryFixture() { history.SetCurrent(&mask, &grid); }

  // One selection edit: the mask before, the change, the mask after.
  void edit(uint8_t value) {
    history.RecordBefore(TSnapshotKind::Mask);
    mask.Clear(value);
    history.RecordAfter(TSnapshotKind::Mask);
  }
};

TEST_F(HistoryFixture, UndoRightAfterOpeningRestoresNothingButMoves) {
  EXPECT_FALSE(history.Undo());
  EXPECT_EQ(history.Position(), 9);
}

TEST_F(HistoryFixture, OneEditUndoesAndRedoes) {
  edit(5);
  EXPECT_TRUE(history.Undo());
  EXPECT_EQ(mask.Value(0, 0), 0);
  EXPECT_TRUE(history.Redo());
  EXPECT_EQ(mask.Value(0, 0), 5);
  EXPECT_FALSE(history.Redo());
  EXPECT_EQ(mask.Value(0, 0), 5);
}

TEST_F(HistoryFixture, TwelveEditsOverwriteTheFirstSnapshots) {
  for (int i = 1; i <= 12; ++i) edit(uint8_t(i));
  int steps = 0;
  while (history.Undo()) ++steps;
  // The ring of ten holds the state after edit 12, the states before edits 12..5, and
  // the slot after it, emptied by the last edit: eight steps back, to before edit 5.
  EXPECT_EQ(steps, 8);
  EXPECT_EQ(mask.Value(0, 0), 4);
}

TEST_F(HistoryFixture, GridSnapshotsRestoreTheGrid) {
  int cw = 0, ch = 0;
  BuildLattice(grid, 30, 30, cw, ch);
  const TMapGrid before = grid;
  history.RecordBefore(TSnapshotKind::Grid);
  TranslateNodes(grid, 0.5, 0);
  history.RecordAfter(TSnapshotKind::Grid);
  EXPECT_TRUE(history.Undo());
  EXPECT_EQ(grid, before);
}

TEST_F(HistoryFixture, ChangingTheCurrentObjectDropsTheSnapshots) {
  edit(5);
  TByteMap other(4, 4, 77);
  history.SetCurrent(&other, &grid);
  EXPECT_FALSE(history.Undo());
  EXPECT_FALSE(history.Redo());
  EXPECT_EQ(other.Value(0, 0), 77);  // never the first object's mask
  for (int s = 0; s < THistory::kSlots; ++s) EXPECT_FALSE(history.HasSnapshot(s));
}

TEST_F(HistoryFixture, EditsOfDifferentKindsUndoAndRedoEachTheirOwn) {
  int cw = 0, ch = 0;
  BuildLattice(grid, 30, 30, cw, ch);
  const TMapGrid start = grid;
  edit(5);
  history.RecordBefore(TSnapshotKind::Grid);
  TranslateNodes(grid, 0.5, 0);
  history.RecordAfter(TSnapshotKind::Grid);
  const TMapGrid moved = grid;
  edit(9);

  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(mask.Value(0, 0), 5);
  EXPECT_TRUE(history.Restored(TSnapshotKind::Mask));
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(grid, start);
  EXPECT_EQ(mask.Value(0, 0), 5) << "undoing the grid leaves the mask";
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(mask.Value(0, 0), 0);
  // Each Redo gives back the state after the edit it redoes, whatever came next.
  ASSERT_TRUE(history.Redo());
  EXPECT_EQ(mask.Value(0, 0), 5);
  EXPECT_EQ(grid, start);
  ASSERT_TRUE(history.Redo());
  EXPECT_EQ(grid, moved);
  EXPECT_TRUE(history.Restored(TSnapshotKind::Grid));
  ASSERT_TRUE(history.Redo());
  EXPECT_EQ(mask.Value(0, 0), 9);
  EXPECT_FALSE(history.Redo());
}

TEST_F(HistoryFixture, AnEditAfterUndoDropsTheStepsAhead) {
  edit(5);
  edit(6);
  ASSERT_TRUE(history.Undo());
  edit(7);
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(mask.Value(0, 0), 5);
  ASSERT_TRUE(history.Redo());
  EXPECT_EQ(mask.Value(0, 0), 7);
  EXPECT_FALSE(history.Redo()) << "the undone edit 6 is gone";
  EXPECT_EQ(mask.Value(0, 0), 7);
}

TEST_F(HistoryFixture, IncludedObjectsComeBackWithTheirSelectionAndLoadedPictures) {
  TIncObjList list;
  history.SetIncluded(&list);
  list.AddIncludedObject({0, 0, 10, 10});
  list[0].PicturePath = "a.png";
  list[0].Picture = std::make_shared<TBitmap32>(2, 2, 0xFF112233u);
  list.AddIncludedObject({20, 0, 30, 10});
  list[1].PicturePath = "b.png";
  list.Select(0);
  const std::shared_ptr<TBitmap32> picture = list[0].Picture;

  const std::vector<uint8_t> before = history.Snapshot(TSnapshotKind::Included);
  list[0].Left = 50;
  list.Delete(1);
  history.RecordBefore(TSnapshotKind::Included, before);
  history.RecordAfter(TSnapshotKind::Included);

  ASSERT_TRUE(history.Undo());
  EXPECT_TRUE(history.Restored(TSnapshotKind::Included));
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0].Left, 0);
  EXPECT_EQ(list[1].PicturePath, "b.png");
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(list[0].Picture, picture) << "the same file is not read again";
  EXPECT_FALSE(list[1].Picture);
  ASSERT_TRUE(history.Redo());
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list[0].Left, 50);
  EXPECT_EQ(list.Selected(), -1);
  // The included objects are the document's: they are still recorded and restored
  // after another object became current.
  TByteMap other(4, 4, 0);
  history.SetCurrent(&other, &grid);
  history.RecordBefore(TSnapshotKind::Included);
  list[0].Opacity = 7;
  history.RecordAfter(TSnapshotKind::Included);
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(list[0].Opacity, 255);
  EXPECT_EQ(list[0].Left, 50);
}

TEST(TempFiles, NamesUseDigitsAndLettersUpToY) {
  for (int i = 0; i < 200; ++i) {
    const std::string n = RandomTempName();
    ASSERT_EQ(n.size(), 8u);
    for (char c : n) ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'y')) << n;
  }
  const std::string a = CreateTempFile(".tmp"), b = CreateTempFile(".tmp");
  EXPECT_NE(a, b);
  EXPECT_TRUE(std::filesystem::exists(a));
  RegisterExitTempFile(a);
  RegisterExitTempFile(b);
  DeleteExitTempFiles();
  EXPECT_FALSE(std::filesystem::exists(a));
}

}  // namespace
}  // namespace kelvane
