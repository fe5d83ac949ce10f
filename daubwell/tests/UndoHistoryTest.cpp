#include <gtest/gtest.h>

#include "TestSupport.h"
#include "canvas/Document.h"

namespace daubwell {
namespace {

using test::ScriptedMessages;

// A document whose pixel (0, 0) counts the strokes made on it.
struct Painting {
  Document doc;
  ScriptedMessages messages;

  explicit Painting(uint32_t side = 4, bool background = false) {
    if (background) doc.history.backgroundCopyFrom = 0;
    newDocument(doc, side, side);
  }
  void stroke() {
    doc.pushUndo();
    doc.canvas.aboutToWrite(0, 1);
    doc.canvas.at(0, 0).red = uint8_t(doc.canvas.at(0, 0).red + 1);
  }
  int strokes() const { return (doc.canvas.at(0, 0).red - 255) & 0xFF; }
  bool canUndo() const { return doc.history.canUndo(); }
  bool canRedo() const { return doc.history.canRedo(); }
};

TEST(UndoHistory, SevenStrokesKeepSixSnapshotsAndUndoGoesBackFive) {
  for (bool background : {false, true}) {
  SCOPED_TRACE(background ? "copied in the background" : "copied at once");
  Painting p(64, background);
  for (int i = 0; i < 7; ++i) p.stroke();
  EXPECT_EQ(p.strokes(), 7);
  EXPECT_EQ(p.doc.history.count(), 6u);
  for (int i = 1; i <= 5; ++i) {
    ASSERT_TRUE(p.canUndo()) << i;
    EXPECT_EQ(p.doc.undo(p.messages), RestoreResult::Restored);
    EXPECT_EQ(p.strokes(), 7 - i);
  }
  EXPECT_FALSE(p.canUndo());
  EXPECT_EQ(p.doc.undo(p.messages), RestoreResult::Nothing);
  EXPECT_EQ(p.strokes(), 2);
  EXPECT_TRUE(p.messages.shown.empty());
  // Redo walks back up to the last stroke.
  for (int i = 3; i <= 7; ++i) {
    ASSERT_TRUE(p.canRedo()) << i;
    p.doc.redo(p.messages);
    EXPECT_EQ(p.strokes(), i);
  }
  EXPECT_FALSE(p.canRedo());
  // Undo, then strokes again: the dropped states' memory serves the next snapshots.
  p.doc.undo(p.messages);
  for (int i = 0; i < 4; ++i) p.stroke();
  EXPECT_EQ(p.strokes(), 10);
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 9);
  }
}

// Rows written straight after the snapshot was begun, before its background copy got
// there, are in the snapshot as they were.
TEST(UndoHistory, BackgroundSnapshotHoldsTheRecordsAsTheyWereWhenTaken) {
  for (int round = 0; round < 20; ++round) {
    Painting p(4, true);
    newDocument(p.doc, 96, 700);
    for (uint32_t y = 0; y < 700; ++y)
      for (uint32_t x = 0; x < 96; ++x) p.doc.canvas.at(x, y).height = float(y * 96 + x);
    const std::vector<CanvasPixel> before = p.doc.canvas.pixels;
    p.doc.pushUndo();
    // Writers ahead of the copy, from the bottom up where it comes last.
    for (uint32_t y = 699; y >= 600; y -= 3) {
      p.doc.canvas.aboutToWrite(y, y + 2);
      p.doc.canvas.at(5, y).height = -1.0f;
      p.doc.canvas.at(5, y + 1 < 700 ? y + 1 : y).red = 1;
    }
    p.doc.canvas.aboutToWrite(10, 20);
    p.doc.canvas.at(0, 15).height = -2.0f;
    const UndoSnapshot& s = p.doc.history.snapshot(1);
    ASSERT_EQ(s.pixels.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      ASSERT_EQ(s.pixels[i].height, before[i].height) << "round " << round << " record " << i;
      ASSERT_EQ(s.pixels[i].red, before[i].red) << "round " << round << " record " << i;
    }
    // Recreating the canvas while the copy runs waits for it.
    p.doc.pushUndo();
    p.doc.canvas.create(10, 10);
    EXPECT_EQ(p.doc.history.snapshot(1).pixels[699 * 96 + 5].height, -1.0f);
    EXPECT_EQ(p.doc.history.snapshot(1).pixels[699 * 96 + 6].height, float(699 * 96 + 6));
  }
}

TEST(UndoHistory, UndoRestoresTheStateBeforeTheStrokeAndRedoBringsItBack) {
  Painting p;
  EXPECT_FALSE(p.canUndo());
  EXPECT_FALSE(p.canRedo());
  p.stroke();
  p.stroke();
  p.doc.modified = false;
  EXPECT_TRUE(p.canUndo());
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
  EXPECT_TRUE(p.doc.modified);
  EXPECT_TRUE(p.canRedo());
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 0);
  p.doc.redo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
  p.doc.redo(p.messages);
  EXPECT_EQ(p.strokes(), 2);
  EXPECT_FALSE(p.canRedo());
  EXPECT_EQ(p.doc.redo(p.messages), RestoreResult::Nothing);
  // The live state was kept once: undo again goes straight back to stroke 1.
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
}

TEST(UndoHistory, NewStrokeAfterUndoDiscardsTheRedoStates) {
  Painting p;
  for (int i = 0; i < 3; ++i) p.stroke();
  p.doc.undo(p.messages);
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
  p.stroke();
  EXPECT_FALSE(p.canRedo());
  EXPECT_EQ(p.doc.history.position(), 0u);
  EXPECT_FALSE(p.doc.history.liveSaved());
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 0);
}

TEST(UndoHistory, EditsThatDoNotChangeTheCanvasRecordNothing) {
  Painting p;
  p.doc.pushUndo(false);
  EXPECT_EQ(p.doc.history.count(), 0u);
  EXPECT_FALSE(p.doc.modified);
}

TEST(UndoHistory, ResetForgetsEverySnapshot) {
  Painting p;
  for (int i = 0; i < 7; ++i) p.stroke();
  p.doc.undo(p.messages);
  p.doc.history.reset();
  EXPECT_EQ(p.doc.history.count(), 0u);
  EXPECT_FALSE(p.canUndo());
  EXPECT_FALSE(p.canRedo());
}

TEST(UndoHistory, UndoOfImageSizeRestoresTheOldSize) {
  struct Observer : DocumentObserver {
    int resized = 0, refreshed = 0;
    void canvasResized() override { ++resized; }
    void toolWindowsChanged() override { ++refreshed; }
  } observer;
  Painting p;
  p.doc.observer = &observer;
  p.doc.canvas.at(3, 3).height = 2.5f;
  ASSERT_TRUE(imageSize(p.doc, 8, 2, p.messages));
  EXPECT_EQ(observer.resized, 1);
  EXPECT_EQ(p.doc.undo(p.messages), RestoreResult::SizeChanged);
  EXPECT_EQ(observer.resized, 2);
  EXPECT_EQ(observer.refreshed, 1);
  EXPECT_EQ(p.doc.canvas.width, 4u);
  EXPECT_EQ(p.doc.canvas.surface.width(), 4u);
  EXPECT_EQ(p.doc.canvas.at(3, 3).height, 2.5f);
  EXPECT_TRUE(p.doc.canvas.lightingValid);
  EXPECT_EQ(p.doc.redo(p.messages), RestoreResult::SizeChanged);
  EXPECT_EQ(p.doc.canvas.width, 8u);
  EXPECT_EQ(p.doc.canvas.height, 2u);
}

}  // namespace
}  // namespace daubwell
