#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "app/PaintSession.h"
#include "app/ShellRules.h"
#include "tools/ToolTable.h"

using namespace daubwell;

TEST(ShellRules, ToolRefreshTable) {
  const ToolControls& dropper = toolInfo(8).controls;
  EXPECT_FALSE(dropper.size || dropper.strength || dropper.depth || dropper.shading || dropper.styleTab ||
               dropper.textureTab);
  EXPECT_EQ(toolInfo(8).status, " Click on the canvas to get the color of a pixel");
  const ToolControls& gel = toolInfo(9).controls;
  EXPECT_TRUE(gel.depth && gel.textureTab);
  EXPECT_FALSE(gel.styleTab);
  EXPECT_EQ(toolInfo(18).status, " Click on the canvas to move paint with your Finger!");
  EXPECT_TRUE(toolInfo(3).status.empty());
  EXPECT_TRUE(toolInfo(99).status.empty());
}

TEST(ShellRules, SlidersMapToTheBrushAndBack) {
  EXPECT_EQ(sizeFromSlider(0), 1);
  EXPECT_EQ(sizeFromSlider(100), 100);
  EXPECT_FLOAT_EQ(strengthFromSlider(0), 0.01f);
  EXPECT_FLOAT_EQ(depthFromSlider(90), 10);
  EXPECT_EQ(shadingFromSlider(100), 255);
  EXPECT_EQ(channelFromSlider(50), 127);
  EXPECT_FLOAT_EQ(sliderFromSize(30), 30);
  EXPECT_FLOAT_EQ(sliderFromChannel(255), 100);
  EXPECT_FLOAT_EQ(sliderValueAt(-5, 6, 100), 0);
  EXPECT_FLOAT_EQ(sliderValueAt(56, 6, 100), 50);
  EXPECT_FLOAT_EQ(sliderValueAt(500, 6, 100), 100);
  EXPECT_EQ(styleIndexAt(2, 0), 17);
  EXPECT_EQ(styleIndexAt(1, 3), 12);
}

TEST(ShellRules, StatusTextsAndProfile) {
  EXPECT_EQ(fileSizeText(600, 600), "File size: 4.12mb");
  EXPECT_EQ(sizeText(640, 420), "640x420");
  EXPECT_EQ(zoomText(0.25), "Zoom: 25%");
  const FootprintProfile p = footprintProfile(50);
  EXPECT_EQ(p.points[1].x, 13);
  EXPECT_EQ(p.points[2].x, 41);
  EXPECT_EQ(footprintProfile(0).points[1].x, footprintProfile(1).points[1].x);
}

TEST(ShellRules, PrintingScalesToThePageAndCentres) {
  EXPECT_EQ(printPlacement(600, 300, 4800, 6000), (PrintPlacement{240, 1920, 4320, 2160}));
  // Too tall for the width: fitted to the height instead.
  EXPECT_EQ(printPlacement(300, 600, 4800, 6000), (PrintPlacement{1050, 300, 2700, 5400}));
  EXPECT_EQ(printPlacement(0, 10, 100, 100), (PrintPlacement{0, 0, 0, 0}));
}

TEST(ShellRules, CommandLinePathDropsQuotes) {
  EXPECT_EQ(commandLinePath("\"/home/me/a b.dwp\""), "/home/me/a b.dwp");
  EXPECT_EQ(commandLinePath("\"/a.dwp\" \"/b.dwp\""), "/a.dwp");
  EXPECT_EQ(commandLinePath("a.d"), "");
  EXPECT_EQ(commandLinePath("ab.dwp"), "ab.dwp");
}

TEST(ShellRules, OneInstancePerUserAndSession) {
  const std::string here = instanceSocketName(1000, "/run/user/1000", ":0", "");
  EXPECT_EQ(here, "/run/user/1000/DAREZADAZERID-1000-_0");
  EXPECT_NE(instanceSocketName(1000, "/run/user/1000", ":1", ""), here);
  EXPECT_NE(instanceSocketName(1001, "/run/user/1000", ":0", ""), here);
  EXPECT_NE(instanceSocketName(1000, "/run/user/1000", ":0", "c2"), here);
  // No runtime folder: a bare name; odd characters never reach the path.
  EXPECT_EQ(instanceSocketName(7, "", "host/x:0.0", "a b"), "DAREZADAZERID-7-host_x_0_0-a_b");
  EXPECT_EQ(instanceSocketName(7, "/tmp/", "", ""), "/tmp/DAREZADAZERID-7-nodisplay");
}

TEST(ShellRules, BrushPreviewDabsAtTheCentre) {
  PaintSession s;
  s.engine.brush = defaultPaletteBrush();
  Canvas preview = brushPreview(s.engine.brush, s.patterns, s.random, true, true);
  EXPECT_EQ(preview.width, 128u);
  EXPECT_GT(preview.at(64, 64).height, 0.0f);
  EXPECT_EQ(preview.at(2, 2).height, 0.0f);
  // The Eye Dropper leaves the preview blank.
  s.engine.brush.tool = int(ToolId::EyeDropper);
  preview = brushPreview(s.engine.brush, s.patterns, s.random, true, true);
  EXPECT_EQ(preview.at(64, 64).height, 0.0f);
  // Fill has no button: the starter palette must reach it.
  const BrushPalette palette = starterPalette();
  EXPECT_EQ(palette.count(), 13);
  EXPECT_TRUE(std::any_of(palette.slots.begin(), palette.slots.end(),
                          [](const auto& s) { return s.used && s.entry.tool == int(ToolId::Fill); }));
}

// Exit writes all three files, trying each; a folder that takes none names them all.
TEST(PaintSession, ListsAndPreferencesThatCannotBeSavedNameEveryFile) {
  test::TempDir dir;
  PaintSession s;
  s.palette = starterPalette();
  const std::string folder = dir.file("missing") + "/";
  const Status failed = s.saveListsAndPreferences(folder);
  ASSERT_FALSE(failed.ok());
  for (const char* name : {"palette.dat", "strokes.dat", "prefs.dat"})
    EXPECT_NE(failed.error().find(folder + name), std::string::npos) << failed.error();
  // Written where they can be, and read back at the next start.
  ASSERT_TRUE(s.saveListsAndPreferences(dir.file("")).ok());
  PaintSession next;
  next.loadListsAndPreferences(dir.file(""));
  EXPECT_EQ(next.palette.count(), s.palette.count());
  EXPECT_EQ(next.brush().size, 30);
  EXPECT_EQ(next.brush().tool, s.palette.slots[0].entry.tool);
}

// Space lends the Hand Tool once, and only a release after a press gives the tool back.
TEST(PaintSession, TheHandIsLentWhileSpaceIsHeld) {
  PaintSession s;
  s.chooseTool(int(ToolId::Knife));
  EXPECT_FALSE(s.letGoOfHand());
  EXPECT_TRUE(s.holdHand());
  EXPECT_EQ(s.brush().tool, int(ToolId::Hand));
  EXPECT_EQ(s.engine.stroke.working.tool, int(ToolId::Hand));
  EXPECT_FALSE(s.holdHand());  // a second press changes nothing
  EXPECT_TRUE(s.letGoOfHand());
  EXPECT_EQ(s.brush().tool, int(ToolId::Knife));
  EXPECT_FALSE(s.letGoOfHand());
  EXPECT_EQ(s.brush().tool, int(ToolId::Knife));
}
