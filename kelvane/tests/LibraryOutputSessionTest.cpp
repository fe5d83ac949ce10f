// The library window's, the library editor's, printing's, export's and the batch job's
// behaviour on a document session, without a screen.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/SessionExport.h"
#include "app/SessionLibrary.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TexLibRoots.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Png(const TBitmap32& b) { return WritePng(b).value(); }

// A 40 x 30 grey picture with two objects: the left half and the right half.
struct DocFixture : ::testing::Test {
  test::TempDir dir;
  test::ScriptedWorld world;
  TKVXOptions options;
  TKVXEditSession s{world.Services(), options};

  DocFixture() {
    RegisterKvxPictureFormat();
    SetTexLibFolder(dir.file("texlib"));
  }
  ~DocFixture() override { SetTexLibFolder(""); }

  void Open() {
    const std::string path = dir.file("room.png");
    ASSERT_TRUE(SavePicture(path, TBitmap32(40, 30, 0xFF808080u)).ok());
    s.SetViewSize(400, 300);
    ASSERT_TRUE(s.Load(path));
    world.prompt.answers.push_back(std::string("right"));
    s.NewObject();
    for (int k = 0; k < 2; ++k) {
      TObjectView v = s.Doc.GetObjectView(k);
      v.Param.Color = 0xFFFFFFFFu;
      for (int y = 0; y < 30; ++y)
        for (int x = 20 * k; x < 20 * k + 20; ++x) v.Mask.SetValue(x, y, 255);
    }
    s.SetListSelection({0}, 0);
    ASSERT_EQ(s.CurrentIndex(), 0);
  }
  // A library "fabrics.kvt" in the texlib folder: a red and a blue texture.
  void Library() {
    const TBitmap32 red(8, 8, 0xFFFF0000u), blue(8, 8, 0xFF0000FFu);
    const auto bytes = WriteTextureLibrary({{"png", Png(red)}, {"png", Png(blue)}}, {red, blue});
    fs::create_directories(dir.file("texlib"));
    ASSERT_TRUE(SaveFileAtomically(dir.file("texlib/fabrics.kvt"), bytes).ok());
  }
  TLibraryTextureRef Blue() { return {true, "1", 1, "fabrics.kvt"}; }
  TPointD ViewOf(double bx, double by) { return s.View.BitmapToView(bx, by); }
};

TEST_F(DocFixture, ADropDrapesTheObjectUnderThePointAndFillsWhenAsked) {
  Open();
  Library();
  const TPointD right = ViewOf(30, 10);
  ASSERT_TRUE(DropLibraryTexture(s, Blue(), right.X, right.Y));
  // The object under the drop point became current and took the library's texture.
  EXPECT_EQ(s.CurrentIndex(), 1);
  const TKVXTexture& t = *s.Doc.Objects[1]->Texture;
  EXPECT_TRUE(t.FromLibrary);
  EXPECT_FALSE(t.FromFile);
  EXPECT_EQ(t.LibraryName, "fabrics.kvt");
  EXPECT_EQ(t.LibraryIndex, 1);
  EXPECT_EQ(s.TexturePreview().Pixel(2, 2), 0xFF0000FFu);
  EXPECT_FALSE(s.Doc.Objects[0]->Texture->FromLibrary);
  // Without "Auto Render After Drag&&Drop" nothing is draped yet.
  EXPECT_EQ(s.Doc.Result.Pixel(30, 10), 0xFF808080u);

  options.AutoRender = true;
  const TPointD left = ViewOf(5, 10);
  ASSERT_TRUE(DropLibraryTexture(s, {true, "0", 0, "fabrics.kvt"}, left.X, left.Y));
  EXPECT_EQ(s.CurrentIndex(), 0);
  const TColor32 draped = s.Doc.Result.Pixel(5, 10);
  EXPECT_GT(RedComponent(draped), BlueComponent(draped) + 40) << std::hex << draped;
  EXPECT_EQ(s.Doc.Result.Pixel(30, 10), 0xFF808080u);  // the other object is left alone
  EXPECT_TRUE(s.Modified());
}

TEST_F(DocFixture, DropsOutsideEveryObjectOrInIncludedModeChangeNothingUnexpected) {
  Open();
  Library();
  // Outside the picture: the current object takes the texture.
  ASSERT_TRUE(DropLibraryTexture(s, Blue(), 1, 1));
  EXPECT_EQ(s.CurrentIndex(), 0);
  EXPECT_TRUE(s.Doc.Objects[0]->Texture->FromLibrary);
  s.SetMode(TWindowMode::Included);
  const TPointD right = ViewOf(30, 10);
  // Included pictures are not draped: the object under the point keeps its texture.
  EXPECT_TRUE(DropLibraryTexture(s, Blue(), right.X, right.Y));
  EXPECT_FALSE(s.Doc.Objects[1]->Texture->FromLibrary);
  EXPECT_EQ(s.LibraryRef.LibraryName, "fabrics.kvt");  // the reference is still taken
}

TEST_F(DocFixture, InIncludedModeADroppedTextureBecomesThePictureUnderThePoint) {
  Open();
  Library();
  s.SetMode(TWindowMode::Included);
  // Nothing under the point: a new included picture is placed there.
  const TPointD at = ViewOf(5.5, 5.5);
  ASSERT_TRUE(DropLibraryTexture(s, Blue(), at.X, at.Y));
  ASSERT_EQ(s.Doc.Included.Count(), 1u);
  EXPECT_EQ(s.Doc.Included[0].Left, 5);
  EXPECT_EQ(s.Doc.Included[0].PicturePath, "fabrics.kvt#1");
  EXPECT_EQ(s.Included.Bitmap.Pixel(20, 20), 0xFF0000FFu);
  // On the picture: it takes the texture and keeps its place.
  const TPointD on = ViewOf(20.5, 20.5);
  ASSERT_TRUE(DropLibraryTexture(s, {true, "0", 0, "fabrics.kvt"}, on.X, on.Y));
  ASSERT_EQ(s.Doc.Included.Count(), 1u);
  EXPECT_EQ(s.Doc.Included[0].Left, 5);
  EXPECT_EQ(s.Included.Bitmap.Pixel(20, 20), 0xFFFF0000u);
  EXPECT_EQ(s.Doc.Result.Pixel(10, 10), 0xFF808080u) << "no fill without Auto Render";
  // A folder's picture is the file itself.
  const std::string silk = dir.file("silk.png");
  ASSERT_TRUE(SavePicture(silk, TBitmap32(6, 4, 0xFF00FF00u)).ok());
  ASSERT_TRUE(DropLibraryTexture(s, {false, silk, 2, "textures"}, on.X, on.Y));
  EXPECT_EQ(s.Doc.Included[0].PicturePath, silk);
  EXPECT_EQ(s.Included.Bitmap.Pixel(20, 20), 0xFF00FF00u);
  // Each drop is a step of the history.
  s.Undo();
  EXPECT_EQ(s.Included.Bitmap.Pixel(20, 20), 0xFFFF0000u);
  s.Undo();
  EXPECT_EQ(s.Included.Bitmap.Pixel(20, 20), 0xFF0000FFu);
  s.Redo();
  EXPECT_EQ(s.Doc.Included[0].PicturePath, "fabrics.kvt#0");

  // A library texture that cannot be read changes nothing and says why.
  EXPECT_FALSE(DropLibraryTexture(s, {true, "7", 7, "fabrics.kvt"}, on.X, on.Y));
  EXPECT_EQ(s.Doc.Included[0].PicturePath, "fabrics.kvt#0");
  ASSERT_FALSE(world.messages.shown.empty());
  EXPECT_NE(world.messages.shown.back().find("fabrics.kvt"), std::string::npos);

  // With "Auto Render After Drag&&Drop" the fill runs after the drop, as after any.
  options.AutoRender = true;
  ASSERT_TRUE(DropLibraryTexture(s, Blue(), on.X, on.Y));
  EXPECT_NE(s.Doc.Result.Pixel(10, 10), 0xFF808080u);

  // The library picture is found again when the project is reopened.
  world.dialogs.saves.push_back(dir.file("room.kvx"));
  ASSERT_TRUE(s.SaveAs());
  TKVXEditSession again{world.Services(), options};
  again.SetViewSize(400, 300);
  ASSERT_TRUE(again.Load(dir.file("room.kvx")));
  ASSERT_EQ(again.Doc.Included.Count(), 1u);
  EXPECT_EQ(again.Included.Bitmap.Pixel(20, 20), 0xFF0000FFu);
}

TEST_F(DocFixture, IncludedPicturesNameLibraryTexturesOrFiles) {
  Library();
  const std::string file = dir.file("plain.png");
  ASSERT_TRUE(SavePicture(file, TBitmap32(3, 2, 0xFF00FF00u)).ok());
  EXPECT_EQ(LoadIncludedPicture(file)->Width(), 3);
  // Not library names, so files: a folder in front, no number, something after it.
  for (const std::string& bad : {dir.file("fabrics.kvt#1"), std::string("fabrics.kvt#"), std::string("fabrics.kvt#1a"),
                                std::string("#1")}) {
    auto picture = LoadIncludedPicture(bad);
    ASSERT_FALSE(picture.ok()) << bad;
    EXPECT_NE(picture.error().find("picture file extension"), std::string::npos) << bad << ": " << picture.error();
  }
  EXPECT_NE(LoadIncludedPicture("missing.kvt#0").error().find("missing.kvt"), std::string::npos);
}

TEST_F(DocFixture, AFolderPictureIsAppliedAsAFileReference) {
  Open();
  const std::string file = dir.file("silk.png");
  ASSERT_TRUE(SavePicture(file, TBitmap32(6, 4, 0xFF00FF00u)).ok());
  TLibraryTextureRef ref;
  ref.FromLibrary = false;
  ref.TexturePath = file;
  ref.Index = 3;
  ApplyLibraryTexture(s, ref);
  const TKVXTexture& t = *s.Doc.Objects[0]->Texture;
  EXPECT_TRUE(t.FromFile);
  EXPECT_EQ(t.FilePath, file);
  EXPECT_EQ(s.TexturePreview().Width(), 6);
}

// ---- the library editor

TEST(TexLibEditor, PicturesAreAddedInTheBackgroundReorderedRemovedAndSaved) {
  test::TempDir dir;
  test::ScriptedWorld world;
  TTexLibEditorSession ed(world.Services());
  EXPECT_EQ(ed.Caption(), "Untitled.kvt");
  fs::create_directories(dir.file("pics"));
  const TColor32 colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(SavePicture(dir.file("pics/p" + std::to_string(i) + ".png"), TBitmap32(10 + i, 5, colours[i])).ok());
  ASSERT_TRUE(SaveFileAtomically(dir.file("pics/broken.png"), std::vector<uint8_t>{'x', 'y'}).ok());
  ASSERT_TRUE(SavePicture(dir.file("single.bmp"), TBitmap32(4, 4, colours[3])).ok());

  ASSERT_TRUE(ed.StartAdding({dir.file("pics"), dir.file("single.bmp")}));
  EXPECT_FALSE(ed.StartAdding({dir.file("single.bmp")}) && ed.Adding().Running());
  ed.Adding().Wait();
  EXPECT_TRUE(ed.FinishAdding());
  ASSERT_EQ(ed.Count(), 4u);  // the broken picture is left out and reported once
  ASSERT_EQ(world.messages.shown.size(), 1u);
  EXPECT_NE(world.messages.shown[0].find("broken.png"), std::string::npos);
  EXPECT_EQ(ed.Adding().Maximum(), 5);
  EXPECT_TRUE(ed.Modified());
  EXPECT_EQ(ed.Caption(), "Untitled.kvt *");
  EXPECT_EQ(ed.Thumbnail(0).Width(), 100);

  // single.bmp to the front, then p1 removed: single, p0, p2.
  EXPECT_TRUE(ed.Move(3, 0));
  EXPECT_FALSE(ed.Move(0, 9));
  ed.Remove({2, 2});
  ASSERT_EQ(ed.Count(), 3u);

  world.dialogs.saves.push_back(dir.file("out/fabrics"));
  fs::create_directories(dir.file("out"));
  ASSERT_TRUE(ed.Save());
  EXPECT_EQ(world.dialogs.saveFilters.back(), "Texture Library (*.kvt)|*.kvt");
  EXPECT_EQ(ed.Path(), dir.file("out/fabrics.kvt"));
  EXPECT_FALSE(ed.Modified());
  TKVXLibView view;
  ASSERT_TRUE(view.Open(ed.Path()).ok());
  ASSERT_EQ(view.Count(), 3u);
  EXPECT_EQ(view.LoadFormat(0).value(), "bmp");
  EXPECT_EQ(view.LoadTexture(0)->Pixel(1, 1), colours[3]);
  EXPECT_EQ(view.LoadTexture(1)->Pixel(1, 1), colours[0]);
  EXPECT_EQ(view.LoadTexture(2)->Pixel(1, 1), colours[2]);
}

TEST(TexLibEditor, UnsavedChangesAreAskedAboutAndCancelledAddsKeepTheLibrary) {
  test::TempDir dir;
  test::ScriptedWorld world;
  TTexLibEditorSession ed(world.Services());
  EXPECT_TRUE(ed.CanClose());  // nothing to lose: nothing asked
  EXPECT_TRUE(world.messages.asked.empty());
  ASSERT_TRUE(SavePicture(dir.file("a.png"), TBitmap32(3, 3, 0xFF123456u)).ok());
  ASSERT_TRUE(ed.StartAdding({dir.file("a.png")}));
  ed.Adding().Wait();
  ed.FinishAdding();
  world.messages.answers = {TAnswer::Cancel};
  EXPECT_FALSE(ed.New());
  EXPECT_EQ(ed.Count(), 1u);
  world.messages.answers = {TAnswer::No};
  EXPECT_TRUE(ed.New());
  EXPECT_EQ(ed.Count(), 0u);
  // A folder with nothing readable says so.
  fs::create_directories(dir.file("empty"));
  ASSERT_TRUE(ed.StartAdding({dir.file("empty")}));
  ed.Adding().Wait();
  EXPECT_FALSE(ed.FinishAdding());
  EXPECT_EQ(world.messages.shown.back(), "No pictures to add.");
  EXPECT_FALSE(ed.Modified());
  // A damaged library is refused with its reason, the open one kept.
  ASSERT_TRUE(SaveFileAtomically(dir.file("bad.kvt"), std::vector<uint8_t>{'K', 'V', 'X', 'L', 'I', 'B', 9, 0, 0, 0}).ok());
  EXPECT_FALSE(ed.Open(dir.file("bad.kvt")));
  EXPECT_TRUE(ed.Path().empty());
}

TEST(BackgroundWork, CancelReachesTheWorkAndProgressIsReadWhileItRuns) {
  TBackgroundWork w;
  std::atomic<bool> sawCancel{false};
  ASSERT_TRUE(w.Start([&](TProgress& p, const std::atomic<bool>& cancel) {
    p.Begin("Working", 1000);
    for (int i = 0; i < 1000 && !cancel; ++i) {
      p.Step();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    sawCancel = cancel.load();
  }));
  EXPECT_FALSE(w.Start([](TProgress&, const std::atomic<bool>&) {}));  // one at a time
  while (w.Position() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(w.MessageText(), "Working");
  EXPECT_EQ(w.Maximum(), 1000);
  w.Cancel();
  w.Wait();
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(sawCancel);
  EXPECT_LT(w.Position(), 1000);
}

// ---- printing

struct FakePrinter : TPrinter {
  int w = 1000, h = 1400;
  bool landscape = false;
  std::string title;
  TRect destination;
  int pictureWidth = 0;
  TStretchFilter filter = TStretchFilter::sfNearest;
  int PageWidth() override { return landscape ? h : w; }
  int PageHeight() override { return landscape ? w : h; }
  bool Landscape() override { return landscape; }
  void SetLandscape(bool l) override { landscape = l; }
  Status PrintPage(const std::string& t, const TBitmap32& picture, const TRect& d) override {
    title = t;
    destination = d;
    pictureWidth = picture.Width();
    filter = picture.StretchFilter;
    return Ok{};
  }
};

TEST_F(DocFixture, ThePictureFillsThePageAlongItsLimitingSideCentred) {
  Open();  // 40 x 30: a landscape picture
  FakePrinter printer;
  ASSERT_TRUE(PrintDocument(s, printer, "room.png").ok());
  EXPECT_EQ(printer.title, "room.png");
  EXPECT_EQ(printer.destination, (TRect{0, 325, 1000, 1075}));  // full width, centred vertically
  EXPECT_EQ(printer.pictureWidth, 40);
  EXPECT_EQ(printer.filter, TStretchFilter::sfLinear);
  EXPECT_EQ(s.Doc.Result.StretchFilter, TStretchFilter::sfNearest);  // a copy was printed
  printer.SetLandscape(true);
  ASSERT_TRUE(PrintDocument(s, printer, "room.png").ok());
  EXPECT_EQ(printer.destination, (TRect{33, 0, 1366, 1000}));  // full height, centred across
  EXPECT_EQ(world.cursor.depth, 0);
}

// ---- export

struct FixedQuality : TJpegQualityDialog {
  std::optional<int> answer;
  int asked = 0;
  std::optional<int> AskQuality(const TBitmap32&) override {
    ++asked;
    return answer;
  }
};

TEST_F(DocFixture, ExportWritesOnlyOnOkAndLeavesTheProjectModified) {
  Open();
  s.SetModified(true);
  FixedQuality quality;
  // Cancel in the save dialog: the quality dialog never shows.
  EXPECT_FALSE(ExportDocumentJpeg(s, quality));
  EXPECT_EQ(quality.asked, 0);
  EXPECT_EQ(world.dialogs.saveFilters.back(), "JPEG Image File (*.jpg)|*.jpg");
  EXPECT_EQ(world.dialogs.suggestions.back(), dir.file("room.jpg"));
  // Cancel in the export dialog: nothing written.
  world.dialogs.saves.push_back(dir.file("out.jpg"));
  EXPECT_FALSE(ExportDocumentJpeg(s, quality));
  EXPECT_EQ(quality.asked, 1);
  EXPECT_FALSE(fs::exists(dir.file("out.jpg")));
  // OK: the file, at the picture's size; the project itself is still unsaved.
  quality.answer = 60;
  world.dialogs.saves.push_back(dir.file("out"));
  EXPECT_TRUE(ExportDocumentJpeg(s, quality));
  auto bytes = ReadFileBytes(dir.file("out.jpg"));
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(ReadJpeg(bytes.value())->Width(), 40);
  EXPECT_TRUE(s.Modified());
  // PNG is exact.
  s.Doc.Result.SetPixel(3, 4, 0xFF102030u);
  world.dialogs.saves.push_back(dir.file("out.png"));
  EXPECT_TRUE(ExportDocumentPng(s));
  EXPECT_EQ(LoadPicture(dir.file("out.png"))->Pixel(3, 4), 0xFF102030u);
  // A folder that does not exist: reported, not reported as success.
  world.dialogs.saves.push_back(dir.file("missing/out.png"));
  EXPECT_FALSE(ExportDocumentPng(s));
  ASSERT_FALSE(world.messages.shown.empty());
  EXPECT_EQ(world.messages.shown.back().rfind("Cannot export", 0), 0u);
}

// ---- the batch job

TEST_F(DocFixture, BatchChoicesAreCheckedBeforeAnythingRunsAndTheResultIsNeverTouched) {
  Open();
  Library();
  TBatchChoice c;
  c.Object = 5;
  EXPECT_EQ(CheckBatchChoice(s, c), "Choose the object to drape.");
  c.Object = 1;
  EXPECT_TRUE(CheckBatchChoice(s, c).has_value());
  c.Textures = dir.file("room.png");
  EXPECT_EQ(CheckBatchChoice(s, c), "The textures must be a folder, a texture library or a texture list.");
  c.Textures = dir.file("texlib/fabrics.kvt");
  EXPECT_EQ(CheckBatchChoice(s, c), "Choose the folder the pictures go to.");
  c.OutFolder = dir.file("out");
  c.Format = "gif";
  EXPECT_EQ(CheckBatchChoice(s, c), "Pictures cannot be written as \"gif\".");
  c.Format = "png";
  EXPECT_FALSE(CheckBatchChoice(s, c).has_value());

  const TBitmap32 before = s.Doc.Result;
  TBatchDrape job = MakeBatchJob(s, c);
  job.OnItem = [&](const TBatchItem&) { EXPECT_EQ(s.Doc.Result.Pixel(30, 10), before.Pixel(30, 10)); };
  auto report = BatchDrape(s.Doc, job);
  ASSERT_TRUE(report.ok()) << report.error();
  EXPECT_EQ(report->Failures(), 0u);
  EXPECT_EQ(s.Doc.Result.Pixel(30, 10), before.Pixel(30, 10));
  const TColor32 blue = LoadPicture(dir.file("out/fabrics-1.png"))->Pixel(30, 10);
  EXPECT_GT(BlueComponent(blue), RedComponent(blue) + 40) << std::hex << blue;
  EXPECT_EQ(BatchSummary(report.value(), c.OutFolder), "2 pictures written to " + c.OutFolder + ".");
  TBatchReport partial;
  partial.Items.resize(3);
  partial.Items[1].Error = "bad";
  partial.Cancelled = true;
  EXPECT_EQ(BatchSummary(partial, "/o"), "2 pictures written to /o; 1 of 3 textures failed (cancelled).");
}

}  // namespace
}  // namespace kelvane
