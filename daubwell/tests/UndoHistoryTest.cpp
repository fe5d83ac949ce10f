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

  Painting() { newDocument(doc, 4, 4); }
  void stroke() {
    doc.pushUndo();
    doc.canvas.at(0, 0).red = uint8_t(doc.canvas.at(0, 0).red + 1);
  }
  int strokes() const { return (doc.canvas.at(0, 0).red - 255) & 0xFF; }
  bool undoEnabled() const { return doc.history.menuEnabled(kUndoMenuId); }
  bool redoEnabled() const { return doc.history.menuEnabled(kRedoMenuId); }
};

TEST(UndoHistory, SevenStrokesKeepSixSnapshotsAndUndoGoesBackFive) {
  Painting p;
  for (int i = 0; i < 7; ++i) p.stroke();
  EXPECT_EQ(p.strokes(), 7);
  EXPECT_EQ(p.doc.history.count(), 6u);
  for (int i = 1; i <= 5; ++i) {
    ASSERT_TRUE(p.undoEnabled()) << i;
    EXPECT_EQ(p.doc.undo(p.messages), RestoreResult::Restored);
    EXPECT_EQ(p.strokes(), 7 - i);
  }
  EXPECT_FALSE(p.undoEnabled());
  EXPECT_EQ(p.doc.undo(p.messages), RestoreResult::Nothing);
  EXPECT_EQ(p.strokes(), 2);
  EXPECT_TRUE(p.messages.shown.empty());
}

TEST(UndoHistory, UndoRestoresTheStateBeforeTheStrokeAndRedoBringsItBack) {
  Painting p;
  EXPECT_FALSE(p.undoEnabled());
  EXPECT_FALSE(p.redoEnabled());
  p.stroke();
  p.stroke();
  p.doc.modified = false;
  EXPECT_TRUE(p.undoEnabled());
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
  EXPECT_TRUE(p.doc.modified);
  EXPECT_TRUE(p.redoEnabled());
  p.doc.undo(p.messages);
  EXPECT_EQ(p.strokes(), 0);
  p.doc.redo(p.messages);
  EXPECT_EQ(p.strokes(), 1);
  p.doc.redo(p.messages);
  EXPECT_EQ(p.strokes(), 2);
  EXPECT_FALSE(p.redoEnabled());
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
  EXPECT_FALSE(p.redoEnabled());
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
  EXPECT_FALSE(p.undoEnabled());
  EXPECT_FALSE(p.redoEnabled());
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
