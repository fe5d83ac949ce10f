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
