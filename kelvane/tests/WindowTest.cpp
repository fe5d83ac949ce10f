// Kelvane's real windows offscreen, with scripted dialogs and messages.
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "ScriptedServices.h"
#include "WindowSupport.h"
#include "app/MainCommands.h"
#include "app/ui/QtServices.h"
#include "app/ui/TColorPickerForm.h"
#include "app/ui/TForm1.h"
#include "app/ui/TKVXBaseFilterForm.h"
#include "app/ui/THSLToolFrom.h"
#include "app/ui/TKVXEditForm.h"
#include "app/ui/TMainForm.h"
#include "app/ui/TSTForm.h"
#include "project/TKVXFile2.h"
#include "raster/PictureFormats.h"

using namespace kelvane;
using namespace kelvane::ui;

class WindowTest : public QObject {
  Q_OBJECT

private:
  QTemporaryDir dir;
  test::ScriptedWorld world;
  std::unique_ptr<TMainForm> frame;

  QString Picture(const QString& name, int w = 64, int h = 48) {
    const QString path = dir.filePath(name);
    TBitmap32 b(w, h, 0xFF808080u);
    b.FillRect({10, 10, 30, 30}, 0xFFF0F0F0u);
    if (!SavePicture(path.toStdString(), b).ok()) return {};
    return path;
  }
  TKVXEditForm* Form() { return frame->ActiveForm(); }

private Q_SLOTS:
  void initTestCase() { RegisterKvxPictureFormat(); }

  void init() {
    frame = test::ScriptedFrame(world);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
  }
  void cleanup() { frame.reset(); }

  void menusCarryTheTableCaptionsAndKeys() {
    QStringList top;
    for (QAction* a : frame->menuBar()->actions()) top << a->text();
    QCOMPARE(top, QStringList({"File", "Edit", "Selection", "Tools", "Texture", "Zoom", "Filters", "Options", "Window",
                               "Help"}));
    QCOMPARE(frame->Action("AFileSaveAs")->text(), QString("Save &As..."));
    QCOMPARE(frame->Action("AFileSaveAs")->shortcut(), QKeySequence("Ctrl+S"));
    QVERIFY(frame->Action("AFileSave")->shortcut().isEmpty());
    QCOMPARE(frame->Action("ASelInvert")->shortcut(), QKeySequence("Ctrl+I"));
    QVERIFY(frame->Action("AZoomIn")->shortcuts().first().toString().contains("Num"));
    QCOMPARE(frame->Action("AFileOpen")->statusTip(), QString("Open a file"));
    // Commands on a document wait for one.
    QVERIFY(!frame->Action("AEditUndo")->isEnabled());
    QVERIFY(frame->Action("AFileOpen")->isEnabled());
  }

  void theLongHintGoesToTheFirstPanel() {
    QStatusTipEvent tip("Open a file");
    QApplication::sendEvent(frame.get(), &tip);
    QCOMPARE(frame->StatusPanel(0)->text(), QString("Open a file"));
    QCOMPARE(frame->StatusPanel(0)->minimumWidth(), 450);
  }

  void aPictureOpensAsADocumentWithOneObject() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    QVERIFY(Form());
    QCOMPARE(Form()->ObjectList()->count(), 1);
    QCOMPARE(Form()->ObjectList()->item(0)->text(), QString("KVXObject0"));
    QVERIFY(Form()->ObjectList()->item(0)->isSelected());
    QVERIFY(frame->Action("AEditUndo")->isEnabled());
    // New Object through the prompt, then renaming it in the list.
    world.prompt.answers.push_back(std::string("Sofa"));
    frame->Action("ASelNewObject")->trigger();
    QCOMPARE(Form()->ObjectList()->count(), 2);
    QCOMPARE(Form()->Session().CurrentIndex(), 1);
    Form()->ObjectList()->item(1)->setText("Sofa seat");
    QCOMPARE(QString::fromStdString(Form()->Session().RowCaption(1)), QString("Sofa seat"));
  }

  void theSelectWindowChoosesTools() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    QToolButton* rect = frame->SelectTools()->Button("aselectRectangle");
    QTest::mouseClick(rect, Qt::LeftButton);
    QCOMPARE(Form()->Session().Mode(), TWindowMode::Selection);
    QCOMPARE(Form()->Session().Selection().Tool, TSelectionTool::stRectangle);
    // A drag over the view selects.
    TImgView32* view = Form()->View();
    const TPointD a = Form()->Session().View.BitmapToView(12, 12), b = Form()->Session().View.BitmapToView(20, 20);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(int(a.X), int(a.Y)));
    QTest::mouseMove(view->viewport(), QPoint(int(b.X), int(b.Y)));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(int(b.X), int(b.Y)));
    QCOMPARE(int(Form()->Session().CurrentMask()->Value(15, 15)), 255);
    QVERIFY(Form()->Session().Modified());
    // With two objects selected the selection buttons are off.
    world.prompt.answers.push_back(std::string("Other"));
    frame->Action("ASelNewObject")->trigger();
    Form()->ObjectList()->selectAll();
    QVERIFY(!frame->SelectTools()->Button("aselectRectangle")->isEnabled());
    QVERIFY(frame->SelectTools()->Button("AMultiSelect")->isEnabled());
  }

  void theCloseQueryKeepsOrDropsTheWork() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    QMdiSubWindow* sub = frame->Mdi()->activeSubWindow();
    QVERIFY(sub);
    QVERIFY(sub->close());  // unmodified: closes without a question
    QVERIFY(world.messages.asked.empty());

    QVERIFY(frame->OpenFile(Picture("room.png")));
    Form()->Session().SetModified(true);
    world.messages.answers = {TAnswer::Cancel};
    QVERIFY(!frame->Mdi()->activeSubWindow()->close());
    QCOMPARE(QString::fromStdString(world.messages.asked.back()),
             QString("Save chenges to document room.png before closing?"));
    world.messages.answers = {TAnswer::Yes};
    QVERIFY(frame->Mdi()->activeSubWindow()->close());
    QVERIFY(QFile::exists(dir.filePath("room.kvx")));
  }

  void unknownFilesOpenNoWindow() {
    QVERIFY(!frame->OpenFile(dir.filePath("notes.txt")));
    QCOMPARE(frame->Mdi()->subWindowList().size(), 0);
    QVERIFY(QString::fromStdString(world.messages.shown.back()).startsWith("Unknown File Type \""));
  }

  void optionsCancelKeepsEverything() {
    TKVXOptions& o = frame->Session().Options;
    o.NodeSize = 4;
    QTimer::singleShot(0, [] {
      QWidget* d = QApplication::activeModalWidget();
      if (auto* spin = d ? d->findChild<QSpinBox*>() : nullptr) spin->setValue(9);
      if (d) QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
    });
    frame->Action("AOptions")->trigger();
    QCOMPARE(o.NodeSize, 4);
  }

  // The menu's Blur opens its preview dialog; Cancel leaves both images, OK blurs
  // inside the selection only.
  void filterDialogsCancelOrApplyThroughTheMask() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    TKVXEditSession& doc = Form()->Session();
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 20; ++x) doc.CurrentMask()->SetValue(x, y, 255);
    const TBitmap32 result = doc.Doc.Result, base = doc.Doc.Base;
    auto answer = [](const char* slot) {
      QTimer::singleShot(0, [slot] {
        if (QWidget* d = QApplication::activeModalWidget()) QMetaObject::invokeMethod(d, slot, Qt::QueuedConnection);
      });
    };
    answer("reject");
    frame->Action("AFilterBlur")->trigger();
    QVERIFY(doc.Doc.Result.Pixel(10, 10) == result.Pixel(10, 10) && doc.Doc.Result.Pixel(9, 10) == result.Pixel(9, 10));
    answer("accept");
    frame->Action("AFilterBlur")->trigger();
    QVERIFY(doc.Doc.Result.Pixel(9, 10) != result.Pixel(9, 10));  // next to the bright square, selected
    QVERIFY(doc.Doc.Result.Pixel(30, 20) == result.Pixel(30, 20)); // on its edge, not selected
    QVERIFY(doc.Doc.Base.Pixel(9, 10) == base.Pixel(9, 10));
  }

  // Water Color's dialog on a selection in the middle of a larger picture: the preview
  // opens on it, and a drag with the mouse pans it.
  void waterColorPreviewShowsTheSelectionAndPansWithTheMouse() {
    // Fine diagonal stripes: the median flattens them.
    TBitmap32 stripes(800, 600);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) stripes.SetPixel(x, y, (x + y) % 4 == 0 ? 0xFF202020u : 0xFFE0C0A0u);
    const QString path = dir.filePath("stripes.png");
    QVERIFY(SavePicture(path.toStdString(), stripes).ok());
    QVERIFY(frame->OpenFile(path));
    TKVXEditSession& doc = Form()->Session();
    for (int y = 250; y < 450; ++y)
      for (int x = 300; x < 600; ++x) doc.CurrentMask()->SetValue(x, y, 255);
    bool checked = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<TKVXBaseFilterForm*>(QApplication::activeModalWidget());
      const auto close = qScopeGuard([] {
        if (QWidget* m = QApplication::activeModalWidget()) QMetaObject::invokeMethod(m, "reject", Qt::QueuedConnection);
      });
      QVERIFY(d && d->Preview());
      QWidget* area = d->findChild<QWidget*>("PreviewArea");
      QVERIFY(area);
      const TFilterPreview& p = *d->Preview();
      const TPan opened = p.Pan();
      QVERIFY(opened.x < 0 && opened.y < 0);
      const QPoint middle(p.Width() / 2, p.Height() / 2);
      QCOMPARE(p.CompositePixel(middle.x(), middle.y()) >> 24, 255u);  // selected, not the board
      auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent e(type, at, area->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(area, &e);
      };
      send(QEvent::MouseButtonPress, middle, Qt::LeftButton);
      send(QEvent::MouseMove, middle + QPoint(-10, -6), Qt::LeftButton);
      send(QEvent::MouseMove, middle + QPoint(-40, -30), Qt::LeftButton);
      QCOMPARE(p.Pan(), (TPan{opened.x - 40, opened.y - 30}));
      const TBitmap32 dragged = p.Shown();
      send(QEvent::MouseButtonRelease, middle + QPoint(-40, -30), Qt::NoButton);
      QCOMPARE(p.Pan(), (TPan{opened.x - 40, opened.y - 30}));
      // While dragging the picture shows unfiltered; the release filters the part in view.
      const TPan at = p.Pan();
      QCOMPARE(dragged.Pixel(middle.x(), middle.y()), stripes.Pixel(middle.x() - at.x, middle.y() - at.y));
      QCOMPARE(p.Shown().Pixel(middle.x(), middle.y()), 0xFFE0C0A0u);
      checked = true;
    });
    frame->Action("AFilterWaterColor")->trigger();
    QVERIFY(checked);
  }

  void colourPickerTakesHexAndCancelGivesTheOldColour() {
    TColorPickerForm picker;
    QTimer::singleShot(0, [&] {
      picker.HexField()->setFocus();
      picker.HexField()->clear();
      QTest::keyClicks(picker.HexField(), "ff0000");
      QCOMPARE(picker.Model().Colour(), 0xFFFF0000u);
      QCOMPARE(picker.Field(1)->text(), QString("0"));
      picker.reject();
    });
    QCOMPARE(picker.Pick(0xFF102030u), 0xFF102030u);
    QTimer::singleShot(0, [&] {
      picker.Model().MoveMarker(48, 32);
      picker.accept();
    });
    QCOMPARE(picker.Pick(0xFF102030u), 0xFF102030u);  // mode "R:": the marker is (blue, green)
  }

  // Work on a worker thread offers Cancel; the window's button reaches it through the
  // progress it was given, and the button goes with the work.
  void progressWindowsCancelReachesTheWorkOnItsThread() {
    TForm1& window = *frame->ProgressWindow();
    // The runner deletes the job once it is done, so what the test reads lives here.
    std::atomic<bool> stopped{false}, done{false};
    struct Spin final : TJob {
      std::atomic<bool>& stopped;
      std::atomic<bool>& done;
      Spin(std::atomic<bool>& s, std::atomic<bool>& d) : stopped(s), done(d) {}
      void Work(TProgress& p) override {
        p.ClearCancel();
        p.Begin("Water Color", 1);
        p.OfferCancel(true);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!p.CancelRequested() && std::chrono::steady_clock::now() < until)
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        stopped = p.CancelRequested();
        p.OfferCancel(false);
        p.End();
      }
      void Done() override { done = true; }
    };
    window.RequestCancel();  // left over from earlier work: cleared when the work starts
    TQtJobRunner runner(window);
    runner.Start(std::make_unique<Spin>(stopped, done));
    QTRY_VERIFY(window.CancelButton()->isVisible());
    QCOMPARE(window.MessageText(), QString("Water Color"));
    QTest::qWait(50);
    QVERIFY(!stopped && !done);
    QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
    QTRY_VERIFY(done);
    QVERIFY(stopped);
    QVERIFY(!window.isVisible());
    window.Begin("Saving", 3);  // loading and saving offer no Cancel
    QVERIFY(!window.CancelButton()->isVisible());
    window.End();
  }

  void hslWindowComesBackWhereTheUserLeftItInThisRunAndTheNext() {
    test::ScriptedSettings settings;
    const QPoint first(40, 50), left(230, 170);
    auto none = [](float, float, float) {};
    {
      THSLToolFrom w(none, &settings);
      w.ShowAt(first);
      QCOMPARE(w.pos(), first);
      w.move(left);
      w.hide();
      w.ShowAt(first);
      QCOMPARE(w.pos(), left);
      w.hide();
    }
    QCOMPARE(settings.values["HSLToolFrom.Left"], std::string("230"));
    QCOMPARE(settings.values["HSLToolFrom.Top"], std::string("170"));
    {
      THSLToolFrom next(none, &settings);
      next.ShowAt(first);
      QCOMPARE(next.pos(), left);
    }
    // A place off every screen (a monitor unplugged since) or not a number is not used.
    for (const char* bad : {"90000", "x1"}) {
      settings.values["HSLToolFrom.Left"] = bad;
      THSLToolFrom w(none, &settings);
      w.ShowAt(first);
      QCOMPARE(w.pos(), first);
    }
  }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
