#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/DocumentCommands.h"
#include "app/ProjectFromPicture.h"
#include "app/TKVXEditSession.h"
#include "project/KVScene.h"
#include "project/SceneImport.h"
#include "project/TKVXFile2.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A session over a W x H picture of one colour, with the scripted services.
struct SessionFixture : ::testing::Test {
  TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};

  SessionFixture() { RegisterKvxPictureFormat(); }

  std::string Picture(const std::string& name, int w = 40, int h = 30, TColor32 c = 0xFF808080u) {
    const std::string path = dir.file(name);
    EXPECT_TRUE(SavePicture(path, TBitmap32(w, h, c)).ok());
    return path;
  }
  void Open(int w = 40, int h = 30) {
    s.SetViewSize(400, 300);
    ASSERT_TRUE(s.Load(Picture("room.png", w, h)));
  }
  // n objects, named as given, each covering one column band of the picture.
  void Objects(std::initializer_list<const char*> names) {
    Open();
    int k = 0;
    for (const char* name : names) {
      if (k > 0) {
        world.prompt.answers.push_back(std::string(name));
        s.NewObject();
      }
      TObjectView v = s.Doc.GetObjectView(k);
      v.Param.Name = name;
      for (int y = 0; y < 30; ++y) v.Mask.SetValue(k, y, 255);
      ++k;
    }
    s.SetListSelection({0}, 0);
  }
  TMouse At(double x, double y, TMouseButton b = TMouseButton::Left) {
    TMouse m;
    m.X = x;
    m.Y = y;
    m.Button = b;
    return m;
  }
};

// ---- loading

TEST_F(SessionFixture, APictureBecomesOneEmptyObjectWithTimedMessages) {
  Open();
  ASSERT_EQ(s.Doc.HighIndex(), 0);
  EXPECT_EQ(s.RowCaption(0), "KVXObject0");
  EXPECT_EQ(s.CurrentIndex(), 0);
  ASSERT_NE(s.CurrentMask(), nullptr);
  EXPECT_EQ(s.CurrentMask()->Width(), 40);
  EXPECT_EQ(s.CurrentColor(), 0xFFFFFFFFu);
  EXPECT_FALSE(s.Modified());
  EXPECT_FALSE(s.IsLoading());
  EXPECT_FALSE(s.Busy());
  // Every message carries the milliseconds since the start, written right after it.
  const std::vector<std::string> texts = {"Open file...", "Open file...", "File Loaded...", "KVX Objects Craeted...",
                                          "KVX Layer Set Size...", "KVX Layer complited...", "Loading complit..."};
  ASSERT_EQ(world.progress.messages.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string& m = world.progress.messages[i];
    ASSERT_EQ(m.substr(0, texts[i].size()), texts[i]);
    EXPECT_FALSE(m.substr(texts[i].size()).empty());
    EXPECT_EQ(m.substr(texts[i].size()).find_first_not_of("0123456789"), std::string::npos) << m;
  }
  EXPECT_EQ(world.progress.max, 7);
  EXPECT_TRUE(world.progress.endedLater);
  EXPECT_EQ(world.cursor.depth, 0);
}

TEST_F(SessionFixture, UnknownExtensionsAndBrokenFilesLeaveAUsableWindow) {
  EXPECT_FALSE(s.Load(dir.file("notes.txt")));
  EXPECT_EQ(world.messages.shown.back(), "Unknown File Type Filename");

  const std::string broken = dir.file("broken.png");
  ASSERT_TRUE(SaveFileAtomically(broken, std::vector<uint8_t>{0x89, 'P', 'N', 'G', 1, 2, 3}).ok());
  ASSERT_TRUE(s.Load(broken));
  EXPECT_EQ(world.messages.shown.size(), 2u);
  // One object to work with, and a Save that asks for a name instead of writing over
  // the file that failed.
  EXPECT_EQ(s.Doc.HighIndex(), 0);
  EXPECT_EQ(s.CurrentIndex(), 0);
  EXPECT_TRUE(s.SavePath().empty());
  EXPECT_FALSE(s.Busy());

  const std::string wrong = dir.file("wrong.kvx");
  ASSERT_TRUE(SaveFileAtomically(wrong, std::vector<uint8_t>(64, 7)).ok());
  ASSERT_TRUE(s.Load(wrong));
  EXPECT_EQ(world.messages.shown.back(), "Sorry Wrong File Format");
  EXPECT_EQ(s.Doc.HighIndex(), 0);
  EXPECT_TRUE(RunDocumentCommand(s, "AFillColor"));  // nothing to dereference, nothing breaks
}

TEST_F(SessionFixture, APictureWithItsSceneOpensWithOneObjectPerPart) {
  // Two flat parts facing a 90-degree camera at depth 10: the left and right halves.
  auto part = [](const char* name, float x0, float x1) {
    TSceneBlock b;
    b.Name = name;
    b.SubMaterials.push_back({"Cloth", 0});
    for (auto [x, y] : {std::pair{x0, 10.f}, {x1, 10.f}, {x1, -10.f}, {x0, -10.f}}) b.Vertices.push_back({x, y, -10, 0, 0});
    b.Triangles = {{0, 1, 2, 0}, {0, 2, 3, 0}};
    return b;
  };
  const std::vector<TSceneBlock> blocks = {part("Sofa", -10, 0), part("Chair", 0, 10)};
  ASSERT_TRUE(WriteFileBytes(dir.file("room.kv"), WriteScene(90 * 3.14f / 180, blocks, blocks)).ok());
  world.messages.answers = {TAnswer::Yes};  // grouping by material names
  Open(64, 64);
  EXPECT_EQ(world.messages.asked.front(), kGroupByNamesQuestion);
  ASSERT_EQ(s.RowCount(), 2);  // the groups in the order of their names
  EXPECT_EQ(s.RowCaption(0), "Chair");
  EXPECT_EQ(s.RowCaption(1), "Sofa");
  EXPECT_NE(s.Doc.SceneFieldOfView, 0);
  EXPECT_EQ(s.Layer.FieldOfView, s.Doc.SceneFieldOfView);
  EXPECT_EQ(s.CurrentMask()->Value(50, 30), 255);
  EXPECT_EQ(s.CurrentMask()->Value(10, 30), 0);
  // A scene document keeps its masks on Deselect.
  s.Deselect();
  EXPECT_EQ(s.CurrentMask()->Value(50, 30), 255);
}

TEST_F(SessionFixture, SaveOfAPictureWritesTheProjectBesideItWithoutAsking) {
  Open();
  s.SetModified(true);
  EXPECT_TRUE(s.Save());
  EXPECT_TRUE(fs::exists(dir.file("room.kvx")));
  EXPECT_TRUE(world.dialogs.suggestions.empty());
  EXPECT_FALSE(s.Modified());

  TKVXFile2 back;
  ASSERT_TRUE(back.LoadFromFile(dir.file("room.kvx")).ok());
  EXPECT_EQ(back.Width, 40);
  EXPECT_EQ(back.HighIndex(), 0);
}

TEST_F(SessionFixture, SaveAsAlwaysWritesAProject) {
  Open();
  world.dialogs.saves.push_back(dir.file("x.bmp"));
  EXPECT_TRUE(s.SaveAs());
  EXPECT_EQ(world.dialogs.saveFilters.back(), "Kelvane File (*.kvx)|*.kvx");
  EXPECT_EQ(world.dialogs.suggestions.back(), "room.kvx");
  EXPECT_TRUE(fs::exists(dir.file("x.kvx")));
  EXPECT_FALSE(fs::exists(dir.file("x.bmp")));
}

TEST_F(SessionFixture, AFailingSaveSaysSoAndKeepsTheWork) {
  Open();
  s.SetModified(true);
  world.dialogs.saves.push_back(dir.file("no/such/folder/x.kvx"));
  EXPECT_FALSE(s.SaveAs());
  EXPECT_FALSE(world.messages.shown.empty());
  EXPECT_TRUE(s.Modified());
  // Closing asks; Yes tries to save and, failing, keeps the window open.
  world.messages.answers = {TAnswer::Yes};
  EXPECT_FALSE(s.CanClose());
}

TEST_F(SessionFixture, TheCloseQuery) {
  Open();
  EXPECT_TRUE(s.CanClose());  // unmodified: no question
  EXPECT_TRUE(world.messages.asked.empty());
  s.SetModified(true);
  world.messages.answers = {TAnswer::Cancel, TAnswer::No};
  EXPECT_FALSE(s.CanClose());
  EXPECT_EQ(world.messages.asked.back(), "Save chenges to document room.png before closing?");
  EXPECT_TRUE(s.CanClose());
}

TEST_F(SessionFixture, AProjectReopensWithItsObjects) {
  Objects({"Sofa", "Curtain"});
  EXPECT_TRUE(s.Save());
  TKVXEditSession again(world.Services(), options);
  ASSERT_TRUE(again.Load(dir.file("room.kvx")));
  ASSERT_EQ(again.RowCount(), 2);
  EXPECT_EQ(again.RowCaption(1), "Curtain");
  EXPECT_EQ(again.CurrentMask()->Value(0, 5), 255);
}

TEST_F(SessionFixture, ADamagedProjectSaysSoAndSavesItEmptyOnlyWhenAllowed) {
  Objects({"Sofa", "Curtain"});
  ASSERT_TRUE(s.Save());
  // Spoil a byte inside the second object's mask stream.
  auto file = ReadFileBytes(dir.file("room.kvx")).value();
  int64_t table, mask;
  std::memcpy(&table, file.data() + file.size() - 16, 8);
  std::memcpy(&mask, file.data() + table + kObjectRecordSize + 101, 8);
  file[size_t(mask) + 16] ^= 0xFF;
  ASSERT_TRUE(WriteFileBytes(dir.file("room.kvx"), file).ok());

  TKVXEditSession again(world.Services(), options);
  ASSERT_TRUE(again.Load(dir.file("room.kvx")));
  world.messages.shown.clear();
  again.SetListSelection({1}, 1);  // its mask is read now: the user is told, once
  ASSERT_EQ(world.messages.shown.size(), 1u);
  EXPECT_NE(world.messages.shown[0].find("object 1 \"Curtain\", mask"), std::string::npos) << world.messages.shown[0];
  again.SetListSelection({0}, 0);
  again.SetListSelection({1}, 1);
  EXPECT_EQ(world.messages.shown.size(), 1u);

  // A save asks first; No writes nothing and keeps the work unsaved.
  again.SetModified(true);
  world.messages.answers = {TAnswer::No};
  EXPECT_FALSE(again.Save());
  EXPECT_TRUE(again.Modified());
  EXPECT_EQ(ReadFileBytes(dir.file("room.kvx")).value(), file);
  world.messages.answers = {TAnswer::Yes};
  EXPECT_TRUE(again.Save());
  TKVXFile2 saved;
  ASSERT_TRUE(saved.LoadFromFile(dir.file("room.kvx")).ok());
  EXPECT_TRUE(saved.CheckItems().empty());
  EXPECT_EQ(saved.GetObjectView(0).Mask.Value(0, 5), 255);  // the whole object is kept
}

TEST_F(SessionFixture, WithoutGroupByMaterialsAProjectAsksToGroup) {
  Objects({"Chair - Wood", "Table - Wood"});
  ASSERT_TRUE(s.Save());
  options.GroupByMaterials = false;
  world.messages.answers = {TAnswer::Yes};
  TKVXEditSession again(world.Services(), options);
  ASSERT_TRUE(again.Load(dir.file("room.kvx")));
  EXPECT_EQ(world.messages.asked.back(), "Grouping by submaterials?");
  EXPECT_EQ(again.RowCount(), 1);
}

// ---- objects

TEST_F(SessionFixture, NewObjectAsksForItsNameAndCancelKeepsTheCount) {
  Open();
  world.prompt.answers.push_back(std::nullopt);
  s.NewObject();
  EXPECT_EQ(s.Doc.HighIndex(), 0);
  EXPECT_EQ(world.prompt.prompts.back(), "New KVX Object|Enter KVX Object Name|KVXObject1");

  world.prompt.answers.push_back(std::string(40, 'n'));
  s.NewObject();
  ASSERT_EQ(s.RowCount(), 2);
  EXPECT_EQ(s.RowCaption(1), std::string(30, 'n'));
  EXPECT_EQ(s.CurrentIndex(), 1);
  EXPECT_TRUE(s.RowSelected(1));
  EXPECT_EQ(s.CurrentColor(), 0xFFFFFFFFu);
  EXPECT_EQ(s.CurrentMask()->Width(), 40);
  EXPECT_EQ(s.CurrentMask()->Value(3, 3), 0);
}

TEST_F(SessionFixture, DeleteObjectKeepsTheLastOne) {
  Open();
  s.DeleteObject();
  EXPECT_EQ(s.Doc.HighIndex(), 0);
  world.prompt.answers.push_back(std::string("Second"));
  s.NewObject();
  s.DeleteObject();  // the current row, Second
  ASSERT_EQ(s.Doc.HighIndex(), 0);
  EXPECT_EQ(s.RowCaption(0), "KVXObject0");
  EXPECT_EQ(s.CurrentIndex(), 0);
}

TEST_F(SessionFixture, GroupBySubmaterialMergesByTheNameAfterTheDash) {
  Objects({"Chair - Wood", "Table - Wood", "Lamp - Metal"});
  s.GroupBySubmaterial();
  ASSERT_EQ(s.RowCount(), 2);
  EXPECT_EQ(s.RowCaption(0), "Chair - Wood");
  EXPECT_EQ(s.RowCaption(1), "Lamp - Metal");
  // The merged mask covers both objects' bands.
  TObjectView v = s.Doc.GetObjectView(0);
  EXPECT_EQ(v.Mask.Value(0, 3), 255);
  EXPECT_EQ(v.Mask.Value(1, 3), 255);
  EXPECT_EQ(v.Mask.Value(2, 3), 0);
  EXPECT_EQ(SubmaterialKey("Lamp"), "Lamp");
}

TEST_F(SessionFixture, PickingTakesTheEarlierObjectAndModifiersEditTheSelection) {
  Objects({"A", "B"});
  // Both masks exceed 20 at (5, 5).
  s.Doc.GetObjectView(0).Mask.SetValue(5, 5, 21);
  s.Doc.GetObjectView(1).Mask.SetValue(5, 5, 200);
  s.PickAt(5.5, 5.5, false, false);
  EXPECT_EQ(s.CurrentIndex(), 0);
  s.PickAt(1.5, 3.5, true, false);  // Shift adds B
  EXPECT_EQ(s.SelectedCount(), 2);
  s.PickAt(1.5, 3.5, false, true);  // Ctrl removes it
  EXPECT_EQ(s.SelectedCount(), 1);
  s.PickAt(30.5, 3.5, false, false);  // nothing there: nothing happens
  EXPECT_EQ(s.SelectedCount(), 1);
}

TEST_F(SessionFixture, TwoSelectedObjectsDisableTheSelectionCommands) {
  Objects({"A", "B"});
  s.SetListSelection({0, 1}, 1);
  for (const char* id : {"ASaveSelection", "AInvertSelection", "aselectRectangle", "ADeSelect"}) {
    const TDocumentCommand* c = FindDocumentCommand(id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_FALSE(DocumentCommandEnabled(s, *c)) << id;
    EXPECT_FALSE(RunDocumentCommand(s, id)) << id;
  }
  EXPECT_EQ(s.RowCount(), 2);
  EXPECT_TRUE(DocumentCommandEnabled(s, *FindDocumentCommand("AFillColor")));
  // The union of both masks is what the ants show.
  EXPECT_EQ(s.UnionMask().Value(0, 1), 255);
  EXPECT_EQ(s.UnionMask().Value(1, 1), 255);
}

TEST_F(SessionFixture, CommandsOfTheSelectionAndFillingGroupsMarkTheDocument) {
  Open();
  EXPECT_FALSE(s.Modified());
  RunDocumentCommand(s, "AZoomIN");
  EXPECT_FALSE(s.Modified());
  RunDocumentCommand(s, "ASelectAll");
  EXPECT_TRUE(s.Modified());
  EXPECT_EQ(s.CurrentMask()->Value(39, 29), 255);
}

// ---- fill

TEST_F(SessionFixture, FillDrapesTheColourThroughTheMaskWithTheShading) {
  Open();
  s.CurrentMask()->SetValue(4, 4, 255);
  s.SetCurrentColor(0xFFFF0000u);
  RunDocumentCommand(s, "AFillColor");
  EXPECT_FALSE(s.Busy());
  EXPECT_TRUE(s.Modified());
  // Red times red times grey 128: (255 * 255 * 128) div 65536 = 127.
  EXPECT_EQ(s.Doc.Result.Pixel(4, 4) & 0xFFFFFF, 0x7F0000u);
  EXPECT_EQ(s.Doc.Result.Pixel(5, 4), 0xFF808080u);
  EXPECT_EQ(s.Doc.Base.Pixel(4, 4), 0xFF808080u);
  RunDocumentCommand(s, "AClearDrape");
  EXPECT_EQ(s.Doc.Result.Pixel(4, 4), 0xFF808080u);
}

TEST_F(SessionFixture, ATextureIsKeptWithItsObject) {
  Objects({"A", "B"});
  s.SetTexture(TBitmap32(8, 8, 0xFF00FF00u));
  EXPECT_EQ(s.TexturePreview().Width(), 8);
  s.SetListSelection({1}, 1);
  EXPECT_TRUE(s.TexturePreview().Empty());
  s.SetListSelection({0}, 0);
  EXPECT_EQ(s.TexturePreview().Pixel(1, 1), 0xFF00FF00u);
  s.ClearTexture();
  EXPECT_TRUE(s.CurrentTexture()->Empty());
}

// ---- undo

TEST_F(SessionFixture, UndoNeverWritesOneObjectsMaskIntoAnother) {
  Objects({"A", "B"});
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  const TPointD o = s.View.BitmapToView(0, 0);
  s.MouseDown(At(o.X + 10, o.Y + 10));
  s.MouseUp(At(o.X + 20, o.Y + 20));
  ASSERT_GT(s.CurrentMask()->Value(12, 12), 0);
  RunDocumentCommand(s, "AUndo");
  EXPECT_EQ(s.CurrentMask()->Value(12, 12), 0);
  RunDocumentCommand(s, "AReUndo");
  EXPECT_GT(s.CurrentMask()->Value(12, 12), 0);

  s.SetListSelection({1}, 1);  // another object: its own history
  const TByteMap before = *s.CurrentMask();
  RunDocumentCommand(s, "AUndo");
  RunDocumentCommand(s, "AUndo");
  EXPECT_EQ(*s.CurrentMask(), before);
  s.SetListSelection({0}, 0);
  EXPECT_GT(s.CurrentMask()->Value(12, 12), 0);
}

TEST_F(SessionFixture, DeselectIsUndoneAndSceneDocumentsKeepTheirMasks) {
  Open();
  s.SelectAll();
  s.Deselect();
  EXPECT_EQ(s.CurrentMask()->Value(3, 3), 0);
  s.Undo();
  EXPECT_EQ(s.CurrentMask()->Value(3, 3), 255);
  s.Doc.SceneFieldOfView = 0.5f;
  s.Deselect();
  EXPECT_EQ(s.CurrentMask()->Value(3, 3), 255);
}

// ---- the view

TEST_F(SessionFixture, ZoomLimits) {
  Open();
  s.SetZoom(15);
  s.ZoomIn();
  EXPECT_DOUBLE_EQ(s.View.Scale(), 16);
  s.SetZoom(0.011);
  s.ZoomOut();
  EXPECT_DOUBLE_EQ(s.View.Scale(), 0.01);
  s.ZoomFit();
  EXPECT_DOUBLE_EQ(s.View.Scale(), std::min((400.0 - 19) / 40, (300.0 - 19) / 30));
}

TEST_F(SessionFixture, ZoomRegionClickZoomsToTheMostAndAnUpwardDragResets) {
  Open();
  s.SetMode(TWindowMode::ZoomRegion);
  s.MouseDown(At(200, 150));
  s.MouseUp(At(200, 150));
  EXPECT_DOUBLE_EQ(s.View.Scale(), 16);
  // The clicked point stays in the middle of the view.
  const TPointD centre = s.View.ViewToBitmap(200, 150);
  EXPECT_NEAR(centre.X, 20, 1);
  s.MouseDown(At(200, 150));
  s.MouseMove(At(100, 100));
  s.MouseUp(At(100, 100));
  EXPECT_DOUBLE_EQ(s.View.Scale(), 1);
}

TEST_F(SessionFixture, TheHandScrollsALargeImage) {
  Open(2000, 1500);
  s.SetZoom(1);
  s.SetMode(TWindowMode::Hand);
  const double x0 = s.View.OffsetX();
  s.MouseDown(At(100, 100));
  s.MouseMove(At(60, 100));
  s.MouseUp(At(60, 100));
  EXPECT_DOUBLE_EQ(s.View.OffsetX(), x0 - 40);
}

// ---- selection gestures

TEST_F(SessionFixture, ARectangleDraggedEitherWaySelects) {
  Open();
  s.SetZoom(1);
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  const TPointD o = s.View.BitmapToView(0, 0);
  s.MouseDown(At(o.X + 20.5, o.Y + 20.5));
  s.MouseMove(At(o.X + 15.5, o.Y + 15.5));
  EXPECT_TRUE(s.Selection().BandActive);
  s.MouseUp(At(o.X + 10.5, o.Y + 10.5));
  EXPECT_FALSE(s.Selection().BandActive);
  EXPECT_EQ(s.CurrentMask()->Value(10, 10), 255);
  EXPECT_EQ(s.CurrentMask()->Value(19, 19), 255);
  EXPECT_EQ(s.CurrentMask()->Value(20, 20), 0);
  EXPECT_TRUE(s.Modified());
  EXPECT_TRUE(s.SelectionLayerVisible());
}

TEST_F(SessionFixture, PolygonsTakeClicksAndEndWithTheRightButton) {
  Open();
  s.SetZoom(1);
  s.ChooseSelectionTool(TSelectionTool::stPolygon);
  const TPointD o = s.View.BitmapToView(0, 0);
  s.MouseDown(At(o.X + 2, o.Y + 2));
  s.MouseDown(At(o.X + 30, o.Y + 2));
  s.MouseDown(At(o.X + 5, o.Y + 5));
  s.KeyDown(false, false, true);  // Delete takes the last vertex back
  EXPECT_EQ(s.Selection().Vertices.size(), 2u);
  s.MouseDown(At(o.X + 30, o.Y + 25, TMouseButton::Right));
  EXPECT_TRUE(s.Selection().Vertices.empty());
  EXPECT_EQ(s.CurrentMask()->Value(25, 10), 255);
  EXPECT_EQ(s.CurrentMask()->Value(3, 25), 0);
}

TEST_F(SessionFixture, ShiftAddsAndAltSubtracts) {
  Open();
  s.SetZoom(1);
  s.ChooseSelectionTool(TSelectionTool::stRectangle);
  const TPointD o = s.View.BitmapToView(0, 0);
  auto drag = [&](int x0, int y0, int x1, int y1) {
    s.MouseDown(At(o.X + x0 + 0.5, o.Y + y0 + 0.5));
    s.MouseUp(At(o.X + x1 + 0.5, o.Y + y1 + 0.5));
  };
  drag(0, 0, 10, 10);
  s.KeyDown(true, false, false);
  drag(20, 0, 30, 10);
  s.KeyUp();
  EXPECT_EQ(s.CurrentMask()->Value(5, 5), 255);
  EXPECT_EQ(s.CurrentMask()->Value(25, 5), 255);
  s.KeyDown(false, true, false);
  drag(0, 0, 5, 5);
  s.KeyUp();
  EXPECT_EQ(s.CurrentMask()->Value(2, 2), 0);
  EXPECT_EQ(s.CurrentMask()->Value(8, 8), 255);
}

TEST_F(SessionFixture, TheEyedropperTakesTheImageColour) {
  Open();
  s.Doc.Base.SetPixel(3, 4, 0xFF123456u);
  s.SetZoom(1);
  RunDocumentCommand(s, "Aeyedropper");
  const TPointD p = s.View.BitmapToView(3.5, 4.5);
  s.MouseDown(At(p.X, p.Y));
  EXPECT_EQ(s.CurrentColor(), 0xFF123456u);
  EXPECT_EQ(s.CurrentParam()->Color, 0xFF123456u);
}

TEST_F(SessionFixture, QuarterTurnsTurnTheMasksWithTheImages) {
  Open(40, 30);
  s.CurrentMask()->SetValue(0, 0, 255);
  s.Rotate(1);
  EXPECT_EQ(s.Doc.Base.Width(), 30);
  EXPECT_EQ(s.Doc.Width, 30);
  ASSERT_EQ(s.CurrentMask()->Width(), 30);
  EXPECT_EQ(s.CurrentMask()->Value(29, 0), 255);
  s.Flip(true);
  EXPECT_EQ(s.CurrentMask()->Value(0, 0), 255);
  s.ImageSize(15, 20, TStretchFilter::sfNearest);
  EXPECT_EQ(s.CurrentMask()->Width(), 15);
}

TEST(SessionHelpers, NamesAndExtensions) {
  EXPECT_EQ(ReplaceExtension("/a.b/c.bmp", ".kvx"), "/a.b/c.kvx");
  EXPECT_EQ(ReplaceExtension("/a.b/c", ".kvx"), "/a.b/c.kvx");
  EXPECT_EQ(SubmaterialKey("Chair - Wood - Oak"), " - Wood - Oak");
  EXPECT_EQ(PassesOfAALevel(0), -1);
  EXPECT_EQ(PassesOfAALevel(7), 66);
}

}  // namespace
}  // namespace kelvane
