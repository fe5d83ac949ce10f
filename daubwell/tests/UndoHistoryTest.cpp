#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>

#include "TestSupport.h"
#include "canvas/Document.h"
#include "canvas/Lighting.h"
#include "canvas/RowSet.h"
#include "effects/Effects.h"
#include "tools/BrushEngine.h"
#include "tools/ToolTable.h"
#include "tools/Dab.h"

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

TEST(RowSet, RunsAcrossWordBoundariesComeBackWhole) {
  RowSet s(200);
  EXPECT_TRUE(s.empty());
  s.add(63, 65);    // across the first word boundary
  s.add(128, 192);  // exactly one word
  s.add(199, 400);  // clamped to the last row
  s.add(10, 10);    // nothing
  s.add(150, 140);  // nothing
  std::vector<std::pair<uint32_t, uint32_t>> runs;
  s.forEachRun([&](uint32_t a, uint32_t b) { runs.emplace_back(a, b); });
  EXPECT_EQ(runs, (std::vector<std::pair<uint32_t, uint32_t>>{{63, 65}, {128, 192}, {199, 200}}));
  EXPECT_EQ(s.count(), 2u + 64u + 1u);
  EXPECT_TRUE(s.contains(64));
  EXPECT_FALSE(s.contains(65));
  EXPECT_FALSE(s.contains(200));
  s.add(64, 130);  // joins the first two runs
  runs.clear();
  s.forEachRun([&](uint32_t a, uint32_t b) { runs.emplace_back(a, b); });
  EXPECT_EQ(runs, (std::vector<std::pair<uint32_t, uint32_t>>{{63, 192}, {199, 200}}));
  RowSet all(70, true);
  EXPECT_EQ(all.count(), 70u);
  runs.clear();
  all.forEachRun([&](uint32_t a, uint32_t b) { runs.emplace_back(a, b); });
  EXPECT_EQ(runs, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 70}}));
  all.clear();
  EXPECT_TRUE(all.empty());
}

bool sameBytes(const std::vector<CanvasPixel>& a, const std::vector<CanvasPixel>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(CanvasPixel)) == 0;
}

// The shown image is what relighting everything from scratch shows.
bool shownAsRelit(const Canvas& c) {
  Canvas ref = c;
  relightAllReference(ref);
  return c.surface.bytes() == ref.surface.bytes();
}

// The history as plainly as it can be kept: whole copies, moved about as the rules say.
struct PlainHistory {
  struct State {
    uint32_t w, h;
    std::vector<CanvasPixel> records;
  };
  std::deque<State> snapshots;  // front is the newest
  size_t position = 0;
  bool liveSaved = false;

  static State of(const Canvas& c) { return {c.width, c.height, c.pixels}; }
  void push(const Canvas& live) {
    if (position) {
      snapshots.erase(snapshots.begin(), snapshots.begin() + ptrdiff_t(position));
      position = 0;
      liveSaved = false;
    }
    if (snapshots.size() > 5) snapshots.pop_back();
    snapshots.push_front(of(live));
  }
  // The state Undo leads to, if any.
  std::optional<State> undo(const Canvas& live) {
    if (position >= snapshots.size()) return std::nullopt;
    if (!liveSaved) {
      if (snapshots.size() > 5) snapshots.pop_back();
      snapshots.push_front(of(live));
      ++position;
      liveSaved = true;
    }
    return snapshots[position++];
  }
  std::optional<State> redo() {
    if (position < 2) return std::nullopt;
    return snapshots[--position - 1];
  }
};

// Random strokes, effects, resizes, undos and redos, against the plain history: after
// every step the records are byte for byte the ones the plain history holds, whichever
// way the copies were made.
TEST(UndoHistory, EveryStepLeavesTheRecordsThePlainHistoryHolds) {
  for (size_t backgroundFrom : {size_t(1) << 30, size_t(0), size_t(3000)}) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE("background from " + std::to_string(backgroundFrom) + ", seed " + std::to_string(seed));
      Document doc;
      doc.history.backgroundCopyFrom = backgroundFrom;
      doc.canvas = test::randomCanvas(37, 150, seed);
      doc.canvas.kind = kDocumentCanvas;
      PlainHistory plain;
      test::ScriptedMessages messages;
      std::mt19937 gen(seed);
      auto pick = [&](uint32_t n) { return uint32_t(gen() % n); };
      for (int step = 0; step < 120; ++step) {
        Canvas& c = doc.canvas;
        const uint32_t action = pick(20);
        if (action < 9) {  // a stroke over a band of rows, written in pieces
          plain.push(c);
          doc.pushUndo();
          const uint32_t y0 = pick(c.height), y1 = std::min(c.height, y0 + 1 + pick(40));
          for (uint32_t y = y0; y < y1; y += 3) {
            const uint32_t end = std::min(y1, y + 3);
            c.aboutToWrite(y, end);
            for (uint32_t r = y; r < end; ++r) {
              c.at(pick(c.width), r).height += 1.5f;
              c.at(pick(c.width), r).highlight = uint8_t(gen());
            }
            if (pick(2)) relightRect(c, int(pick(c.width)) - 5, int(y) - 5, int(pick(c.width)) + 5, int(end) + 5);
          }
        } else if (action < 10) {  // a whole-canvas change
          plain.push(c);
          doc.pushUndo();
          c.aboutToWriteAll();
          for (CanvasPixel& p : c.pixels) p.red = uint8_t(p.red * 7 + 1);
        } else if (action < 11) {
          plain.push(c);
          ASSERT_TRUE(imageSize(doc, 20 + pick(40), 100 + pick(80), messages));
        } else if (action < 16) {
          const auto want = plain.undo(c);
          EXPECT_EQ(doc.undo(messages) != RestoreResult::Nothing, want.has_value());
          if (want) {
            ASSERT_EQ(c.width, want->w);
            ASSERT_TRUE(sameBytes(c.pixels, want->records)) << "undo at step " << step;
            ASSERT_TRUE(shownAsRelit(c)) << "undo at step " << step;
          }
        } else if (action < 19) {
          const auto want = plain.redo();
          EXPECT_EQ(doc.redo(messages) != RestoreResult::Nothing, want.has_value());
          if (want) {
            ASSERT_EQ(c.width, want->w);
            ASSERT_TRUE(sameBytes(c.pixels, want->records)) << "redo at step " << step;
            ASSERT_TRUE(shownAsRelit(c)) << "redo at step " << step;
          }
        } else {
          plain = PlainHistory();
          doc.history.reset();
        }
        ASSERT_EQ(doc.history.count(), plain.snapshots.size());
        ASSERT_EQ(doc.history.position(), plain.position);
      }
      EXPECT_TRUE(messages.shown.empty());
    }
  }
}

// A restore copies back the rows painted since, not the whole painting, and shows the
// restored records lit as a full relight would.
TEST(UndoHistory, UndoAndRedoCopyOnlyThePaintedRowsAndRelightEverything) {
  Document doc;
  doc.canvas = test::randomCanvas(50, 400, 9, 30.0f);
  test::ScriptedMessages messages;
  const std::vector<CanvasPixel> original = doc.canvas.pixels;
  doc.pushUndo();  // a fresh snapshot copies everything once
  EXPECT_EQ(doc.history.recordsCopied(), 50u * 400u);
  doc.canvas.aboutToWrite(100, 111);
  for (uint32_t y = 100; y < 111; ++y) doc.canvas.at(7, y).height = 99.0f;
  const std::vector<CanvasPixel> painted = doc.canvas.pixels;

  size_t before = doc.history.recordsCopied();
  doc.undo(messages);  // keeps the live state (a whole copy), restores eleven rows
  EXPECT_EQ(doc.history.recordsCopied() - before, 50u * 400u + 50u * 11u);
  Canvas lit = doc.canvas;
  relightAllReference(lit);
  EXPECT_EQ(doc.canvas.surface.bytes(), lit.surface.bytes());

  before = doc.history.recordsCopied();
  doc.redo(messages);
  EXPECT_EQ(doc.history.recordsCopied() - before, 50u * 11u);
  EXPECT_TRUE(sameBytes(doc.canvas.pixels, painted));

  // The next stroke's snapshot reuses a dropped one: only its out-of-date rows move.
  doc.undo(messages);
  EXPECT_TRUE(sameBytes(doc.canvas.pixels, original));
  before = doc.history.recordsCopied();
  doc.pushUndo();
  EXPECT_LE(doc.history.recordsCopied() - before, 50u * 11u);
  doc.canvas.aboutToWrite(300, 301);
  doc.canvas.at(1, 300).red = 3;
  doc.undo(messages);
  EXPECT_TRUE(sameBytes(doc.canvas.pixels, original));
}

// A canvas given new records behind the history's back (assignment) is copied whole.
TEST(UndoHistory, AnAssignedCanvasIsNotTrustedToAgreeWithItsSnapshots) {
  Document doc;
  doc.canvas = test::randomCanvas(16, 16, 1);
  test::ScriptedMessages messages;
  doc.pushUndo();
  const std::vector<CanvasPixel> first = doc.canvas.pixels;
  doc.canvas = test::randomCanvas(16, 16, 2);
  doc.undo(messages);
  EXPECT_TRUE(sameBytes(doc.canvas.pixels, first));
}

// Every tool's stroke comes back out exactly with Undo and back in with Redo, also where
// the dab hangs over the edges: a tool writing a row it did not announce would fail here.
TEST(UndoHistory, StrokesOfEveryToolUndoAndRedoExactly) {
  PatternImages patterns;
  for (int i = 0; i < kPatternCount; ++i) {
    patterns.style[size_t(i)].create(kPatternSide, kPatternSide);
    patterns.texture[size_t(i)].create(kPatternSide, kPatternSide);
    for (int y = 0; y < kPatternSide; y += 7)
      for (int x = 0; x < kPatternSide; x += 3) {
        const uint8_t v = uint8_t(x * 5 + y * 3 + i);
        patterns.style[size_t(i)].setPixel(x, y, v, v, v);
        patterns.texture[size_t(i)].setPixel(x, y, uint8_t(255 - v), uint8_t(255 - v), uint8_t(255 - v));
      }
  }
  for (const ToolInfo& info : tools()) {
    const int tool = int(info.id);
    if (info.id == ToolId::EyeDropper || info.id == ToolId::Hand || !info.dab) continue;
    SCOPED_TRACE(std::string(info.caption));
    PaintRandom random(uint32_t(tool + 1));
    PaintEngine engine(patterns, random);
    test::ScriptedMessages messages;
    engine.messages = &messages;
    engine.brush = Brush{.red = 200, .green = 40, .blue = 90, .style = 3, .depth = 6.0f, .tool = tool,
                         .size = 9, .strength = 0.8f, .shading = 150, .texture = 2, .hardness = 60};
    Document doc;
    doc.canvas = test::randomCanvas(45, 38, uint32_t(tool), 5.0f);
    doc.canvas.kind = kDocumentCanvas;
    std::vector<std::vector<CanvasPixel>> states{doc.canvas.pixels};
    const int strokes[][4] = {{20, 20, 26, 17}, {0, 0, 3, 2}, {44, 37, 40, 30}, {-4, 18, 2, 18}};
    for (const auto& s : strokes) {
      engine.press(doc, s[0], s[1]);
      for (int i = 0; i < 3; ++i) {
        engine.frame(doc);
        engine.move(s[2] - i, s[3] + i);
      }
      engine.frame(doc);
      engine.release();
      states.push_back(doc.canvas.pixels);
    }
    for (size_t k = states.size() - 1; k-- > 0;) {
      ASSERT_NE(doc.undo(messages), RestoreResult::Nothing);
      ASSERT_TRUE(sameBytes(doc.canvas.pixels, states[k])) << "undo to state " << k;
    }
    for (size_t k = 1; k < states.size(); ++k) {
      ASSERT_NE(doc.redo(messages), RestoreResult::Nothing);
      ASSERT_TRUE(sameBytes(doc.canvas.pixels, states[k])) << "redo to state " << k;
    }
  }
}

// Whole-canvas effects undo exactly, in the background as well.
TEST(UndoHistory, EffectsUndoExactly) {
  Document doc;
  doc.history.backgroundCopyFrom = 0;
  doc.canvas = test::randomCanvas(70, 90, 5, 10.0f);
  test::ScriptedMessages messages;
  const std::vector<CanvasPixel> start = doc.canvas.pixels;
  EffectParams params;
  for (const char* name : {"inflate", "solarize"}) {
    const Effect* effect = findEffect(name);
    ASSERT_NE(effect, nullptr);
    applyEffect(doc, *effect, params);
  }
  const std::vector<CanvasPixel> after = doc.canvas.pixels;
  doc.undo(messages);
  doc.undo(messages);
  EXPECT_TRUE(sameBytes(doc.canvas.pixels, start));
  doc.redo(messages);
  doc.redo(messages);
  EXPECT_TRUE(sameBytes(doc.canvas.pixels, after));
}

}  // namespace
}  // namespace daubwell
