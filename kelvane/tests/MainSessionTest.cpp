#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "app/MainCommands.h"
#include "app/TMainSession.h"
#include "project/TKVXFile2.h"
#include "project/TempFiles.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Document windows as plain sessions; the last one made is the active one.
struct ScriptedHost : TMainHost {
  test::ScriptedWorld* world = nullptr;
  TKVXOptions* options = nullptr;
  std::vector<std::unique_ptr<TKVXEditSession>> docs;
  std::vector<std::string> captions, log;
  std::optional<TKVXOptions> optionsAnswer;  // what the dialog leaves; none: Cancel

  TKVXEditSession* ActiveDocument() override { return docs.empty() ? nullptr : docs.back().get(); }
  TKVXEditSession* NewDocument(const std::string& caption) override {
    captions.push_back(caption);
    docs.push_back(std::make_unique<TKVXEditSession>(world->Services(), *options));
    docs.back()->SetViewSize(300, 200);
    return docs.back().get();
  }
  void CloseActiveDocument() override { docs.pop_back(); }
  void Arrange(TArrange) override { log.push_back("arrange"); }
  void ToggleToolWindow(TToolWindow) override { log.push_back("toggle"); }
  bool ToolWindowVisible(TToolWindow) override { return false; }
  void ToggleDocumentPanels() override { log.push_back("panels"); }
  void Exit() override { log.push_back("exit"); }
  bool EditOptions(TKVXOptions& o) override {
    o.NodeSize = 9;  // the user edits, then decides
    o.LibraryPaths.push_back("/edited");
    if (!optionsAnswer) return false;
    o = *optionsAnswer;
    return true;
  }
  std::optional<TImageSizeAnswer> AskImageSize(int w, int h) override { return TImageSizeAnswer{w / 2, h / 2}; }
  std::optional<double> AskRotateAngle() override { return std::nullopt; }
  std::optional<double> AskFeatherRadius() override { return 2.0; }
  void Balance(TKVXEditSession&) override {}
  void RunWindowCommand(TKVXEditSession&, const std::string& id) override { log.push_back(id); }
  void ShowAbout() override { log.push_back("about"); }
  void Print(TKVXEditSession&) override { log.push_back("print"); }
  void ExportJpeg(TKVXEditSession&) override { log.push_back("jpeg"); }
  bool StartProgram(const std::string&) override { return false; }
};

struct MainFixture : ::testing::Test {
  test::TempDir dir;
  test::ScriptedWorld world;
  ScriptedHost host;
  std::unique_ptr<TMainSession> main;

  MainFixture() {
    RegisterKvxPictureFormat();
    world.settings.values["TrackEdit1.Value"] = "5";
    main = std::make_unique<TMainSession>(host, world.Services(), &world.settings, &world.clipboard, &world.scanner);
    host.world = &world;
    host.options = &main->Options;
  }
  std::string Picture(const std::string& path, int w = 20, int h = 10) {
    EXPECT_TRUE(SavePicture(path, TBitmap32(w, h, 0xFF406080u)).ok());
    return path;
  }
};

TEST_F(MainFixture, ShortcutsComeFromTheTable) {
  auto byShortcut = [](std::string_view keys) -> std::string_view {
    for (const TMainCommand& c : MainCommands())
      if (c.Shortcut == keys) return c.Id;
    return {};
  };
  // Ctrl+S is Save As, not Save; Ctrl+I inverts; zoom in is on the keypad.
  EXPECT_EQ(FindMainCommand(byShortcut("Ctrl+S"))->Document, "ASaveAs");
  EXPECT_EQ(FindMainCommand(byShortcut("Ctrl+I"))->Document, "AInvertSelection");
  EXPECT_EQ(FindMainCommand(byShortcut("Ctrl+Num+"))->Document, "AZoomIN");
  EXPECT_EQ(FindMainCommand("AFileSave")->Shortcut, "");
  // No two items share a shortcut.
  std::vector<std::string_view> seen;
  for (const TMainCommand& c : MainCommands()) {
    if (c.Shortcut.empty()) continue;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), c.Shortcut), 0) << c.Shortcut;
    seen.push_back(c.Shortcut);
  }
  for (std::string_view id : ToolbarCommands())
    if (id != "-") {
      EXPECT_NE(FindMainCommand(id), nullptr) << id;
    }
}

TEST_F(MainFixture, CommandsOnTheActiveDocumentWaitForOne) {
  EXPECT_FALSE(MainCommandEnabled(*main, *FindMainCommand("AEditUndo")));
  RunMainCommand(*main, "ASelInvert");  // nothing to run on: nothing happens
  EXPECT_TRUE(MainCommandEnabled(*main, *FindMainCommand("AFileOpen")));

  ASSERT_TRUE(main->OpenDocument(Picture(dir.file("a.png"))));
  TKVXEditSession& d = *host.ActiveDocument();
  RunMainCommand(*main, "ASelInvert");
  EXPECT_EQ(d.CurrentMask()->Value(3, 3), 255);
  RunMainCommand(*main, "ASelDeselect");
  EXPECT_EQ(d.CurrentMask()->Value(3, 3), 0);
}

TEST_F(MainFixture, UnknownAndMissingFilesOpenNoWindow) {
  EXPECT_FALSE(main->OpenDocument(dir.file("a.doc")));
  EXPECT_EQ(world.messages.shown.back(), "Unknown File Type \"" + dir.file("a.doc") + "\"");
  EXPECT_FALSE(main->OpenDocument(dir.file("gone.png")));
  EXPECT_TRUE(host.docs.empty());
}

TEST_F(MainFixture, TheClipboardFileFromAnyFolderBecomesNoName) {
  const std::string path = Picture(dir.file("~kvx.bmp"));
  ASSERT_TRUE(main->OpenDocument(path));
  EXPECT_EQ(host.captions.back(), "NoName.kvx");
  EXPECT_EQ(host.ActiveDocument()->DocumentName(), "NoName.kvx");
  EXPECT_TRUE(host.ActiveDocument()->SavePath().empty());
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(host.ActiveDocument()->Doc.Width, 20);
}

TEST_F(MainFixture, PasteAsNewImageAndTheScanner) {
  world.clipboard.picture = TBitmap32(7, 5, 0xFF102030u);
  main->PasteAsNewImage();
  ASSERT_EQ(host.docs.size(), 1u);
  EXPECT_EQ(host.ActiveDocument()->Doc.Width, 7);
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "~kvx.bmp"));

  world.clipboard.fails = true;  // clipboard errors change nothing
  main->PasteAsNewImage();
  EXPECT_EQ(host.docs.size(), 1u);

  main->ImportFromScanner();  // no device: said so
  EXPECT_EQ(world.messages.shown.back(), "No scanner or camera was found.");
  world.clipboard.fails = false;
  world.scanner.next = std::optional<TBitmap32>(TBitmap32(9, 4, 0xFFFFFFFFu));
  main->ImportFromScanner();
  ASSERT_EQ(host.docs.size(), 2u);
  EXPECT_EQ(host.ActiveDocument()->Doc.Width, 9);
}

TEST_F(MainFixture, OptionsPersistAndCancelChangesNothing) {
  EXPECT_EQ(main->Options.NodeSize, 5);  // read from the store
  main->Options.LibraryPaths = {"/fabrics"};
  main->ShowOptions();  // Cancel
  EXPECT_EQ(main->Options.NodeSize, 5);
  EXPECT_EQ(main->Options.LibraryPaths, std::vector<std::string>{"/fabrics"});

  TKVXOptions ok = main->Options;
  ok.AALevel = 0;
  ok.ShowTextureWhenDrag = true;
  host.optionsAnswer = ok;
  main->ShowOptions();
  EXPECT_EQ(main->Options.Render().Passes, -1);
  EXPECT_EQ(world.settings.values["cbaalevel.ItemIndex"], "0");
  EXPECT_EQ(world.settings.values["CheckBox1.Checked"], "true");
  EXPECT_EQ(world.settings.lists["ListBox1.Items"], std::vector<std::string>{"/fabrics"});

  EXPECT_FALSE(main->Options.AddLibraryPath("/fabrics"));
  EXPECT_TRUE(main->Options.AddLibraryPath("/tiles"));
  main->Options.DeleteLibraryPath(5);
  EXPECT_EQ(main->Options.LibraryPaths.size(), 2u);
}

TEST_F(MainFixture, ColourAndTextureClipboardsCarryBetweenDocuments) {
  ASSERT_TRUE(main->OpenDocument(Picture(dir.file("a.png"))));
  EXPECT_FALSE(MainCommandEnabled(*main, *FindMainCommand("APasteColor")));
  host.ActiveDocument()->SetCurrentColor(0xFF00AA00u);
  host.ActiveDocument()->SetTexture(TBitmap32(4, 4, 0xFF0000FFu));
  RunMainCommand(*main, "ACopyColor");
  RunMainCommand(*main, "ACopyTexture");
  ASSERT_TRUE(main->OpenDocument(Picture(dir.file("b.png"))));
  RunMainCommand(*main, "APasteColor");
  RunMainCommand(*main, "APasteTexture");
  EXPECT_EQ(host.ActiveDocument()->CurrentColor(), 0xFF00AA00u);
  EXPECT_EQ(host.ActiveDocument()->TexturePreview().Pixel(0, 0), 0xFF0000FFu);

  // The mask goes to the clipboard as a grey picture and comes back by its red channel.
  host.ActiveDocument()->CurrentMask()->SetValue(1, 1, 200);
  RunMainCommand(*main, "AEditCut");
  EXPECT_EQ(world.clipboard.picture.Pixel(1, 1), 0xFFC8C8C8u);
  EXPECT_EQ(host.ActiveDocument()->CurrentMask()->Value(1, 1), 0);
  RunMainCommand(*main, "AEditPaste");
  EXPECT_EQ(host.ActiveDocument()->CurrentMask()->Value(1, 1), 200);

  RunMainCommand(*main, "AImageSize");
  EXPECT_EQ(host.ActiveDocument()->Doc.Width, 10);
}

}  // namespace
}  // namespace kelvane
