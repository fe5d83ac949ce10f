// The library window, the library editor, print preview, JPEG export and the batch
// dialog offscreen, on the real main window with scripted messages and dialogs.
#include <QListWidget>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "ScriptedServices.h"
#include "WindowSupport.h"
#include "app/SessionExport.h"
#include "app/ui/TBatchDrapeForm.h"
#include "app/ui/TKVXEditForm.h"
#include "app/ui/TKVXJpegExport.h"
#include "app/ui/TMainForm.h"
#include "app/ui/TPrintPreviewForm.h"
#include "app/ui/TTexLibEditorForm.h"
#include "app/ui/TTexLibToolForm.h"
#include "project/TKVXFile2.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TexLibRoots.h"

using namespace kelvane;
using namespace kelvane::ui;

class OutputWindowTest : public QObject {
  Q_OBJECT

private:
  QTemporaryDir dir;
  test::ScriptedWorld world;
  std::unique_ptr<TMainForm> frame;

  std::string File(const QString& name) { return dir.filePath(name).toStdString(); }
  // A picture whose left half and right half are two objects.
  void OpenRoom(int w = 60, int h = 40, TColor32 colour = 0xFF808080u) {
    QVERIFY(SavePicture(File("room.png"), TBitmap32(w, h, colour)).ok());
    QVERIFY(frame->OpenFile(dir.filePath("room.png")));
    TKVXEditSession& s = frame->ActiveForm()->Session();
    world.prompt.answers.push_back(std::string("right"));
    s.NewObject();
    for (int k = 0; k < 2; ++k) {
      TObjectView v = s.Doc.GetObjectView(k);
      for (int y = 0; y < h; ++y)
        for (int x = k * w / 2; x < (k + 1) * w / 2; ++x) v.Mask.SetValue(x, y, 255);
    }
    s.SetListSelection({0}, 0);
  }
  QTreeWidgetItem* FindNode(QTreeWidgetItem* item, const QString& text) {
    if (item->text(0) == text) return item;
    for (int i = 0; i < item->childCount(); ++i)
      if (QTreeWidgetItem* found = FindNode(item->child(i), text)) return found;
    return nullptr;
  }

private Q_SLOTS:
  void initTestCase() {
    RegisterKvxPictureFormat();
    QDir(dir.path()).mkpath("lib/cottons");
    const TBitmap32 red(16, 8, 0xFFFF0000u), blue(8, 16, 0xFF0000FFu);
    const auto lib = WriteTextureLibrary({{"png", WritePng(red).value()}, {"png", WritePng(blue).value()}}, {red, blue});
    QVERIFY(SaveFileAtomically(File("lib/fabrics.kvt"), lib).ok());
    QVERIFY(SavePicture(File("lib/cottons/plain.png"), TBitmap32(20, 10, 0xFF00FF00u)).ok());
    // Projects find their libraries beside the program; here, in the test's folder.
    SetTexLibFolder(File("lib"));
  }

  void init() {
    frame = test::ScriptedFrame(world);
    frame->Session().Options.LibraryPaths = {File("lib")};
    SetLibraryPaths(frame->Session().Options.LibraryPaths);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
  }
  void cleanup() { frame.reset(); }

  void theLibraryWindowShowsThumbnailsAndPointsTheDocumentAtThem() {
    OpenRoom();
    QVERIFY(frame->Action("AWinTextureLibrary"));
    frame->Action("AWinTextureLibrary")->trigger();
    TTexLibToolForm* lib = frame->TextureLibrary();
    QVERIFY(lib->isVisible());
    QCOMPARE(lib->windowTitle(), QString("Texture Library"));
    lib->Refresh();
    QTreeWidgetItem* root = nullptr;
    for (int i = 0; i < lib->Tree()->topLevelItemCount(); ++i)
      if (lib->Tree()->topLevelItem(i)->text(0) == dir.filePath("lib")) root = lib->Tree()->topLevelItem(i);
    QVERIFY(root);
    QTreeWidgetItem* fabrics = FindNode(root, "fabrics.kvt");
    QVERIFY(fabrics);
    lib->Tree()->setCurrentItem(fabrics);
    QTRY_COMPARE(lib->Thumbnails()->count(), 2);
    QCOMPARE(lib->Thumbnails()->item(1)->text(), QString("1"));
    QCOMPARE(lib->Thumbnails()->iconSize(), QSize(100, 100));

    TKVXEditSession& s = frame->ActiveForm()->Session();
    lib->Thumbnails()->setCurrentRow(1);
    QCOMPARE(QString::fromStdString(s.LibraryRef.LibraryName), QString("fabrics.kvt"));
    QCOMPARE(s.LibraryRef.Index, 1);
    QVERIFY(s.LibraryRef.FromLibrary);
    Q_EMIT lib->Thumbnails()->itemDoubleClicked(lib->Thumbnails()->item(1));
    QCOMPARE(s.TexturePreview().Pixel(1, 1), 0xFF0000FFu);
    QVERIFY(s.Doc.Objects[0]->Texture->FromLibrary);

    // A drag carries the same reference to an image view.
    auto ref = lib->ReferenceOf(0);
    QVERIFY(ref);
    std::unique_ptr<QMimeData> mime(LibraryTextureMime(*ref));
    auto back = LibraryTextureFromMime(mime.get());
    QVERIFY(back);
    QCOMPARE(back->Index, 0);
    QCOMPARE(QString::fromStdString(back->TexturePath), QString("0"));

    // A folder's pictures: references by path.
    QTreeWidgetItem* cottons = FindNode(root, "cottons");
    QVERIFY(cottons);
    lib->Tree()->setCurrentItem(cottons);
    QTRY_COMPARE(lib->Thumbnails()->count(), 1);
    lib->Thumbnails()->setCurrentRow(0);
    QVERIFY(!s.LibraryRef.FromLibrary);
    QCOMPARE(QString::fromStdString(s.LibraryRef.TexturePath), dir.filePath("lib/cottons") + "/plain.png");
  }

  void addingALibraryPathTwiceListsItOnce() {
    TTexLibToolForm* lib = frame->TextureLibrary();
    QDir(dir.path()).mkpath("more");
    lib->ChooseFolder = [this] { return dir.filePath("more"); };
    lib->Refresh();
    const int roots = lib->Tree()->topLevelItemCount();
    lib->AddLibraryPath();
    QCOMPARE(lib->Tree()->topLevelItemCount(), roots + 1);
    lib->AddLibraryPath();
    QCOMPARE(lib->Tree()->topLevelItemCount(), roots + 1);
    QCOMPARE(frame->Session().Options.LibraryPaths.size(), size_t(2));
  }

  void theEditorBuildsALibraryTheWindowShowsAfterRefresh() {
    frame->Action("ATexLibEditor")->trigger();
    TTexLibEditorForm* ed = frame->LibraryEditor();
    QVERIFY(ed && ed->isVisible());
    QVERIFY(SavePicture(File("red.png"), TBitmap32(10, 10, 0xFFFF0000u)).ok());
    ed->AddPaths({dir.filePath("lib/cottons"), dir.filePath("room-missing.png"), dir.filePath("red.png")});
    QTRY_COMPARE(ed->List()->count(), 2);
    QTRY_VERIFY(!ed->Session().Adding().Running());
    QCOMPARE(ed->Session().Thumbnail(0).Pixel(50, 50), 0xFF00FF00u);  // in the order given

    // A static icon view turns drops away on its viewport unless told otherwise; the
    // drag itself needs a real display (the offscreen platform has none).
    QVERIFY(ed->List()->viewport()->acceptDrops());
    QVERIFY(ed->List()->dragEnabled());
    QDir(dir.path()).mkpath("lib/new");
    world.dialogs.saves.push_back(File("lib/new/made.kvt"));
    QVERIFY(ed->Session().Save());
    TTexLibToolForm* lib = frame->TextureLibrary();
    lib->Refresh();
    QTreeWidgetItem* made = nullptr;
    for (int i = 0; i < lib->Tree()->topLevelItemCount() && !made; ++i)
      made = FindNode(lib->Tree()->topLevelItem(i), "made.kvt");
    QVERIFY(made);
  }

  void printingALandscapePictureOnAPortraitPageFillsTheWidthCentred() {
    OpenRoom(300, 200, 0xFFFF0000u);
    QPrinter& printer = frame->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("room.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    TKVXEditForm* form = frame->ActiveForm();
    TPrintPreviewForm preview(form->Session(), printer, "room.png");
    QVERIFY(preview.Portrait()->isChecked());
    const QSize portrait = preview.Page()->pixmap().size();
    QVERIFY(portrait.height() > portrait.width());
    preview.LandscapeButton()->setChecked(true);  // the miniature turns with the page
    QCOMPARE(preview.Page()->pixmap().size(), portrait.transposed());
    preview.Portrait()->setChecked(true);
    QVERIFY(preview.PrintNow());

    QProcess ppm;
    ppm.start("pdftoppm", {"-r", "24", "-png", "-singlefile", dir.filePath("room.pdf"), dir.filePath("page")});
    QVERIFY(ppm.waitForFinished(20000));
    QCOMPARE(ppm.exitCode(), 0);
    QImage page(dir.filePath("page.png"));
    QVERIFY(!page.isNull());
    QVERIFY(page.height() > page.width());
    // Red rows: the picture's band; it spans the width and sits in the middle.
    auto red = [&](int x, int y) {
      const QColor c = page.pixelColor(x, y);
      return c.red() > 200 && c.green() < 60 && c.blue() < 60;
    };
    int top = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
      if (red(page.width() / 2, y)) {
        if (top < 0) top = y;
        bottom = y;
      }
    QVERIFY(top > 0);
    QVERIFY(red(1, (top + bottom) / 2) && red(page.width() - 2, (top + bottom) / 2));
    QVERIFY(qAbs(top - (page.height() - 1 - bottom)) <= 2);
    const double band = bottom - top + 1;
    QVERIFY(qAbs(band - page.width() * 200.0 / 300.0) <= 2);
  }

  void theExportDialogShowsTheSizeForTheQuality() {
    TKVXJpegExport* dlg = frame->JpegExport();
    TBitmap32 picture(160, 120);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x) picture.SetPixel(x, y, Color32(uint8_t(x * 37), uint8_t(y * 11), uint8_t(x ^ y)));
    dlg->SetSource(picture);
    QCOMPARE(dlg->Quality()->value(), 100);
    QTRY_VERIFY(dlg->SizeLabel()->text().endsWith(" bytes"));
    const int best = dlg->SizeLabel()->text().section(' ', 0, 0).toInt();
    dlg->Quality()->setValue(10);
    QTRY_VERIFY(!dlg->Busy() && dlg->SizeLabel()->text().section(' ', 0, 0).toInt() < best);
    QCOMPARE(dlg->Shown().Width(), 160);
    dlg->Quality()->setValue(100);
  }

  void theBatchDialogWritesOnePicturePerTexture() {
    OpenRoom();
    TKVXEditForm* form = frame->ActiveForm();
    TBatchDrapeForm dlg(form->Session());
    TBatchChoice c;
    c.Object = 1;
    c.Textures = File("lib/fabrics.kvt");
    c.OutFolder = File("batch");
    c.Format = "png";
    dlg.SetChoice(c);
    QVERIFY(dlg.Start());
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.Running() && dlg.Report().has_value(), 20000);
    QTRY_VERIFY(dlg.Status()->text().startsWith("2 pictures written"));
    QVERIFY(QFile::exists(dir.filePath("batch/fabrics-0.png")));
    QVERIFY(QFile::exists(dir.filePath("batch/fabrics-1.png")));
  }
};

QTEST_MAIN(OutputWindowTest)
#include "OutputWindowTest.moc"
