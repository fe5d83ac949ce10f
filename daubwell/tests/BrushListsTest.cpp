#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "TestSupport.h"
#include "files/BrushLists.h"

namespace daubwell {
namespace {

Brush numbered(int n) {
  Brush b = defaultPaletteBrush();
  b.size = n + 1;
  return b;
}

TEST(BrushPalette, FileIs2704BytesAndThumbnailBytesPlayNoPart) {
  BrushPalette p;
  test::ScriptedMessages messages;
  for (int i = 0; i < 3; ++i) addBrush(p, numbered(i), messages);
  auto bytes = encodePalette(p);
  ASSERT_EQ(bytes.size(), 2704u);
  EXPECT_EQ(bytes[60], 1);
  EXPECT_EQ(bytes[180], 0);
  for (size_t i = 4; i < 36; ++i) bytes[60 + i] = 0xAB;  // thumbnail state of slot 1
  const BrushPalette back = decodePalette(bytes);
  EXPECT_EQ(back.count(), 3);
  EXPECT_EQ(back.selected, 0);
  EXPECT_EQ(back.slots[1].entry.size, 2);
  EXPECT_EQ(std::memcmp(&back.slots[2].entry, &p.slots[2].entry, sizeof(Brush)), 0);
}

TEST(BrushPalette, ShortFilesAreReadAsFarAsTheyGo) {
  BrushPalette p;
  test::ScriptedMessages messages;
  addBrush(p, numbered(0), messages);
  addBrush(p, numbered(1), messages);
  auto bytes = encodePalette(p);
  bytes.resize(100);  // slot 0 whole, slot 1 cut
  const BrushPalette back = decodePalette(bytes);
  EXPECT_TRUE(back.slots[0].used);
  EXPECT_TRUE(back.slots[1].used);
  EXPECT_EQ(back.slots[1].entry.size, 0);  // its entry lay beyond the end
}

TEST(BrushPalette, FortyFiveBrushesAreTheLimit) {
  BrushPalette p;
  test::ScriptedMessages messages;
  for (int i = 0; i < 45; ++i) ASSERT_EQ(addBrush(p, numbered(i), messages), i);
  const auto before = encodePalette(p);
  EXPECT_EQ(addBrush(p, numbered(99), messages), -1);
  EXPECT_EQ(messages.texts(), std::vector<std::string>{"List has reached maximum limit! Try deleting a brush first."});
  EXPECT_EQ(messages.shown[0].caption, "Warning");
  EXPECT_EQ(encodePalette(p), before);
}

TEST(BrushPalette, DeletingShiftsTheLaterBrushesDown) {
  BrushPalette p;
  test::ScriptedMessages messages;
  for (int i = 0; i < 6; ++i) addBrush(p, numbered(i), messages);
  messages.answers = {Answer::No, Answer::Yes};
  EXPECT_FALSE(deleteBrush(p, 3, messages));
  EXPECT_EQ(p.count(), 6);
  EXPECT_TRUE(deleteBrush(p, 3, messages));
  EXPECT_EQ(messages.asked[0].text, "Are you sure you'd like to delete this brush?");
  EXPECT_EQ(messages.asked[0].caption, "Delete Brush");
  EXPECT_EQ(p.slots[3].entry.size, 5);
  EXPECT_EQ(p.slots[4].entry.size, 6);
  EXPECT_FALSE(p.slots[5].used);
  EXPECT_EQ(p.selected, 4);  // slot 5 was selected and is now empty
}

TEST(StrokeList, FirstStrokeCannotBeDeletedWhileSelected) {
  StrokeList s;
  test::ScriptedMessages messages;
  addStroke(s, StrokeDynamics{}, messages);
  addStroke(s, StrokeDynamics{.fadeSize = true}, messages);
  s.selected = 0;
  messages.answers = {Answer::Yes};
  EXPECT_FALSE(deleteStroke(s, 1, messages));
  EXPECT_TRUE(messages.asked.empty());
  s.selected = 1;
  EXPECT_TRUE(deleteStroke(s, 1, messages));
  EXPECT_EQ(s.count(), 1);
  ASSERT_EQ(encodeStrokes(s).size(), 604u);
  for (int i = 0; i < 9; ++i) addStroke(s, StrokeDynamics{}, messages);
  EXPECT_EQ(addStroke(s, StrokeDynamics{}, messages), -1);
  EXPECT_EQ(messages.texts().back(), "List has reached maximum limit! Try deleting a stroke first.");
}

TEST(BrushLists, SelectingMakesTheEntryCurrent) {
  PatternImages patterns;
  PaintRandom random;
  PaintEngine engine(patterns, random);
  BrushPalette p;
  StrokeList s;
  test::ScriptedMessages messages;
  addBrush(p, numbered(7), messages);
  addStroke(s, StrokeDynamics{.oscillate = true}, messages);
  engine.stroke.footprintValid = true;
  selectBrush(p, 0, engine);
  selectStroke(s, 0, engine);
  EXPECT_EQ(engine.brush.size, 8);
  EXPECT_FALSE(engine.stroke.footprintValid);
  EXPECT_TRUE(engine.dynamics.oscillate);
}

TEST(BrushLists, FilesRoundTripAndMissingPreferencesTurnBothFlagsOn) {
  test::TempDir dir;
  BrushPalette p;
  test::ScriptedMessages messages;
  addBrush(p, numbered(4), messages);
  ASSERT_TRUE(savePalette(p, dir.file("palette.dat")));
  BrushPalette back;
  ASSERT_TRUE(loadPalette(back, dir.file("palette.dat")));
  EXPECT_EQ(back.slots[0].entry.size, 5);
  EXPECT_FALSE(loadPalette(back, dir.file("none.dat")));
  const Preferences prefs = loadPreferences(dir.file("prefs.dat"));
  EXPECT_TRUE(prefs.highQuality);
  EXPECT_TRUE(prefs.lighting);
  EXPECT_EQ(std::filesystem::file_size(dir.file("prefs.dat")), 2u);
  ASSERT_TRUE(savePreferences({false, true}, dir.file("prefs.dat")));
  EXPECT_FALSE(loadPreferences(dir.file("prefs.dat")).highQuality);
  // A list that cannot be written says where.
  const std::string nowhere = dir.file("no/such/folder/list.dat");
  const Status failed[] = {savePalette(p, nowhere), saveStrokes(StrokeList{}, nowhere),
                           savePreferences({true, true}, nowhere)};
  for (const Status& s : failed) {
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().find(nowhere), std::string::npos) << s.error();
  }
}

TEST(BrushLists, ThumbnailsShowTheBrush) {
  PatternImages patterns;
  const Canvas brush = brushThumbnail(defaultPaletteBrush(), patterns);
  ASSERT_EQ(brush.width, 30u);
  EXPECT_EQ(brush.at(15, 15).red, 176);
  EXPECT_EQ(brush.at(0, 0).red, 255);
  const Canvas stroke = strokeThumbnail(StrokeDynamics{}, 0, patterns);
  ASSERT_EQ(stroke.width, 132u);
  EXPECT_LT(stroke.at(20, 7).red, 30);  // black tube paint along the row
  EXPECT_EQ(stroke.at(8, 0).red, 255);
}

}  // namespace
}  // namespace daubwell
