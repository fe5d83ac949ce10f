// Kelvane on a real display (run under xvfb-run): a project opened, filled in the
// background, saved through a scripted dialog, and the saved file checked.
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

#include "ScriptedServices.h"
#include "app/ProjectFromPicture.h"
#include "app/ui/TKVXEditForm.h"
#include "app/ui/TMainForm.h"
#include "project/TCashMarager.h"
#include "project/TKVXFile2.h"

using namespace kelvane;
using namespace kelvane::ui;

class EndToEndTest : public QObject {
  Q_OBJECT

private Q_SLOTS:
  void fillAndSaveTheDemoProject() {
    RegisterKvxPictureFormat();
    QTemporaryDir dir;
    const std::string project = dir.filePath("room.kvx").toStdString();
    {
      // A grey room whose middle is the object, with a red and white texture.
      TKVXFile2 doc;
      NewProjectFromPicture(doc, TBitmap32(800, 600, 0xFFA0A0A0u));
      TObjectView v = doc.GetObjectView(0);
      v.Param.Name = "Curtain";
      for (int y = 200; y < 400; ++y)
        for (int x = 300; x < 500; ++x) v.Mask.SetValue(x, y, 255);
      v.Texture.SetSize(16, 16, 0xFFFFFFFFu);
      v.Texture.FillRect({0, 0, 8, 16}, 0xFFFF0000u);
      QVERIFY(doc.SaveToFile(project).ok());
    }
    TCashMarager swapper;
    swapper.Start();
    TMainForm frame(&swapper);
    test::ScriptedMessages messages;
    test::ScriptedDialogs dialogs;
    TServices s = frame.Services();  // the real jobs and progress window
    s.Messages = &messages;
    s.Dialogs = &dialogs;
    frame.SetServices(s);
    frame.resize(1200, 800);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    QVERIFY(frame.OpenFile(QString::fromStdString(project)));
    QTRY_VERIFY(frame.ActiveForm() && !frame.ActiveForm()->Session().Busy());
    TKVXEditSession& doc = frame.ActiveForm()->Session();
    QCOMPARE(doc.RowCaption(0), std::string("Curtain"));

    frame.Action("AFillButton")->trigger();
    QVERIFY(doc.Busy() || doc.Doc.Result.Pixel(400, 300) != 0xFFA0A0A0u);
    QTRY_VERIFY_WITH_TIMEOUT(!doc.Busy(), 20000);
    QVERIFY(messages.shown.empty());
    QVERIFY(doc.Doc.Result.Pixel(400, 300) != 0xFFA0A0A0u);
    QCOMPARE(doc.Doc.Result.Pixel(100, 100), 0xFFA0A0A0u);
    QVERIFY(doc.Modified());

    const std::string saved = dir.filePath("saved.kvx").toStdString();
    dialogs.saves.push_back(saved);
    frame.Action("AFileSaveAs")->trigger();
    QVERIFY(!doc.Modified());

    TKVXFile2 back;
    QVERIFY(back.LoadFromFile(saved).ok());
    QCOMPARE(back.HighIndex(), 0);
    QCOMPARE(back.Result.Pixel(100, 100), 0xFFA0A0A0u);
    const TColor32 draped = back.Result.Pixel(400, 300);
    QVERIFY(draped != 0xFFA0A0A0u);
    QCOMPARE(back.GetObjectView(0).Param.Name, std::string("Curtain"));
    frame.close();
    swapper.Stop();
  }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
