#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "TestSupport.h"
#include "app/PaintSession.h"
#include "tools/BrushEngine.h"
#include "tools/ToolTable.h"

namespace daubwell {
namespace {

TEST(ToolTable, EveryToolIdOnceInIdOrderAndFoundByIdAndName) {
  const std::set<int> unused{3, 4};
  ASSERT_EQ(tools().size(), size_t(kToolCount) - unused.size());
  int previous = -1;
  std::set<std::string_view> names, captions;
  for (const ToolInfo& t : tools()) {
    EXPECT_GT(int(t.id), previous) << t.caption;
    previous = int(t.id);
    EXPECT_EQ(findTool(int(t.id)), &t);
    EXPECT_EQ(&toolInfo(int(t.id)), &t);
    EXPECT_EQ(findTool(t.name), &t);
    EXPECT_TRUE(names.insert(t.name).second) << t.name;
    EXPECT_TRUE(captions.insert(t.caption).second) << t.caption;
    EXPECT_NE(t.dab, nullptr) << t.caption;
    EXPECT_FALSE(t.status.empty()) << t.caption;
  }
  for (int id = 0; id < kToolCount; ++id) EXPECT_EQ(findTool(id) == nullptr, unused.count(id) == 1) << id;
  EXPECT_EQ(findTool("no such tool"), nullptr);
  EXPECT_EQ(findTool(kToolCount), nullptr);
  EXPECT_EQ(findTool(-1), nullptr);
}

// Ids without a tool still go through the mouse protocol but change nothing.
TEST(ToolTable, IdsWithoutAToolDoNothing) {
  for (int id : {3, 4, -7, 19, 1000}) {
    const ToolInfo& t = toolInfo(id);
    EXPECT_EQ(t.dab, nullptr) << id;
    EXPECT_TRUE(t.status.empty()) << id;
    EXPECT_TRUE(t.caption.empty()) << id;
    EXPECT_EQ(t.button.group, ToolGroup::None) << id;
    const ToolControls& c = t.controls;
    EXPECT_FALSE(c.size || c.strength || c.depth || c.shading || c.styleTab || c.textureTab) << id;
  }
  PatternImages patterns;
  PaintRandom random(3);
  PaintEngine engine(patterns, random);
  Document doc;
  newDocument(doc, 20, 20);
  doc.canvas.kind = kDocumentCanvas;
  const std::vector<CanvasPixel> before = doc.canvas.pixels;
  engine.brush = defaultPaletteBrush();
  engine.brush.tool = 3;
  engine.press(doc, 10, 10);
  engine.frame(doc);
  engine.release();
  EXPECT_EQ(std::memcmp(before.data(), doc.canvas.pixels.data(), before.size() * sizeof(CanvasPixel)), 0);
}

// The Tools window lays out the groups two buttons to a row: every place of a group
// is taken once, from 0 up, and only Fill is left without a button.
TEST(ToolTable, ButtonsFillTheirGroupsWithoutGapsAndOnlyFillHasNone) {
  std::map<ToolGroup, std::set<int>> places;
  std::set<std::string_view> graphics;
  for (const ToolInfo& t : tools()) {
    if (t.id == ToolId::Fill) {
      EXPECT_EQ(t.button.group, ToolGroup::None);
      continue;
    }
    ASSERT_NE(t.button.group, ToolGroup::None) << t.caption;
    EXPECT_TRUE(places[t.button.group].insert(t.button.place).second) << t.caption;
    EXPECT_TRUE(graphics.insert(t.button.graphic).second) << t.button.graphic;
  }
  const std::map<ToolGroup, size_t> sizes{{ToolGroup::Brushes, 8}, {ToolGroup::Tools, 2}, {ToolGroup::Effects, 6}};
  for (auto [group, n] : sizes) {
    ASSERT_EQ(places[group].size(), n);
    EXPECT_EQ(*places[group].rbegin(), int(n) - 1);
  }
  EXPECT_EQ(toolInfo(int(ToolId::PaintBrush)).button.place, 0);  // first row, left
  EXPECT_EQ(toolInfo(int(ToolId::TubePaint)).button.place, 1);
}

// The engine reads the table: a press records the painting for every tool but the two
// that only look, and a zero-length move stops every tool but Spray Paint and Knife.
TEST(ToolTable, TheEngineRecordsUndoUnlessTheToolOnlyLooks) {
  PatternImages patterns;
  PaintRandom random(5);
  for (const ToolInfo& t : tools()) {
    PaintEngine engine(patterns, random);
    Document doc;
    newDocument(doc, 30, 30);
    engine.brush = defaultPaletteBrush();
    engine.brush.tool = int32_t(t.id);
    engine.press(doc, 15, 15);
    engine.release();
    const bool looks = t.id == ToolId::Hand || t.id == ToolId::EyeDropper;
    EXPECT_EQ(doc.history.canUndo(), !looks) << t.caption;
  }
}

TEST(ToolTable, PreviewAndThumbnailGroundsFollowWhatTheToolWorksOn) {
  // Tools that work on paint already there; Gel shows only on paint in the preview,
  // and the Finger's stroke thumbnails stay blank.
  const std::set<ToolId> onPaint{ToolId::Eraser, ToolId::Sponge, ToolId::Brighten, ToolId::Darken, ToolId::Shine,
                                 ToolId::Matte,  ToolId::Raise,  ToolId::Lower,    ToolId::Finger};
  for (const ToolInfo& t : tools()) {
    const bool paint = onPaint.count(t.id) == 1;
    if (t.id == ToolId::Fill) continue;
    EXPECT_EQ(t.thumbnailGround == SampleGround::Paint, paint) << t.caption;
    EXPECT_EQ(t.previewGround == SampleGround::Paint, paint || t.id == ToolId::Gel) << t.caption;
    EXPECT_EQ(t.strokeOnPaint, paint && t.id != ToolId::Finger) << t.caption;
  }
  EXPECT_EQ(toolInfo(int(ToolId::Sponge)).previewDabs, 5);
  EXPECT_EQ(toolInfo(int(ToolId::Gel)).previewDabs, 9);
  EXPECT_EQ(toolInfo(int(ToolId::Knife)).previewDabs, 6);
  EXPECT_EQ(toolInfo(int(ToolId::Shine)).previewDabs, 3);
}

// Style images as glossy as the installed ones are on average: gloss adds to the colour
// shown.
PatternImages glossyPatterns() {
  PatternImages p;
  for (DisplaySurface& s : p.style) {
    s.create(kPatternSide, kPatternSide);
    s.fill(100, 100, 100);
  }
  return p;
}

int distanceFromWhite(uint32_t shown) {
  return 3 * 255 - int(shown >> 16 & 0xFF) - int(shown >> 8 & 0xFF) - int(shown & 0xFF);
}

TEST(BrushThumbnail, TheStarterFillBrushShowsAFilledPatchInsideARing) {
  const BrushPalette palette = starterPalette();
  const Brush* fill = nullptr;
  for (const auto& slot : palette.slots)
    if (slot.used && slot.entry.tool == int32_t(ToolId::Fill)) fill = &slot.entry;
  ASSERT_NE(fill, nullptr);
  const PatternImages patterns = glossyPatterns();
  const Canvas thumb = brushThumbnail(*fill, patterns);
  // The patch inside carries the brush's paint, the corner stays blank.
  EXPECT_EQ(thumb.at(15, 15).red, fill->red);
  EXPECT_EQ(thumb.at(11, 15).blue, fill->blue);
  EXPECT_EQ(thumb.at(0, 0).red, 255);
  EXPECT_EQ(thumb.at(0, 0).highlight, 0);
  // And it is seen: neither washed out to white by the gloss nor the ring's colour.
  const uint32_t patch = thumb.surface.pixel(15, 15);
  EXPECT_GT(distanceFromWhite(patch), 150) << std::hex << patch;
  EXPECT_EQ(distanceFromWhite(thumb.surface.pixel(0, 0)), 0);
  EXPECT_NE(thumb.surface.pixel(15, 3), patch);  // the ring
  // The Brush Properties preview shows the same kind of patch.
  PaintRandom random(1);
  const Canvas preview = brushPreview(*fill, patterns, random, true, true);
  EXPECT_EQ(preview.at(64, 64).red, fill->red);
  EXPECT_EQ(preview.at(2, 2).red, 255);
}

}  // namespace
}  // namespace daubwell
