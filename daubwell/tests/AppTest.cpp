// The paint program's real windows, driven with the mouse and keyboard offscreen.
#include <QLineEdit>
#include <QLocalServer>
#include <QMenu>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>
#include <cstring>

#include "ScriptedServices.h"
#include "app/FileTypes.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "canvas/Lighting.h"
#include "files/DocumentFlows.h"
#include "files/PaintDocument.h"
#include "tools/ToolTable.h"
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace daubwell;

using test::ScriptedDialogs;
using test::ScriptedMessages;

class AppTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<PaintSession> session;
  std::unique_ptr<MainFrame> frame;
  ScriptedMessages messages;
  ScriptedDialogs dialogs;

  void tick(int n = 1) {
    for (int i = 0; i < n; ++i) frame->frameTick();
  }
  static bool sameRecords(const std::vector<CanvasPixel>& a, const std::vector<CanvasPixel>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(CanvasPixel)) == 0;
  }
  void chooseTool(int tool) { QTest::mouseClick(frame->toolsWindow()->button(tool), Qt::LeftButton); }

private Q_SLOTS:
  void init() {
    messages = {};
    dialogs = {};
    session = std::make_unique<PaintSession>();
    session->palette = starterPalette();
    frame = std::make_unique<MainFrame>(*session);
    frame->setLoopRunning(false);
    frame->setServices(messages, dialogs);
    newDocument(session->doc, 200, 160);
    session->engine.brush = defaultPaletteBrush();
    session->engine.brush.size = 10;
    frame->show();
    frame->toolsWindow()->show();
    frame->propertiesWindow()->show();
    frame->colorsWindow()->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    frame->requestRefresh();
    tick();
  }
  void cleanup() {
    frame.reset();
    session.reset();
  }

  void strokeChangesTheRecordsUnderItAndPushesOneSnapshot() {
    CanvasWidget* c = frame->canvasWidget();
    QCOMPARE(c->size(), QSize(200, 160));
    QVERIFY(!frame->action(1200)->isEnabled());
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(50, 50));
    tick(3);
    QTest::mouseMove(c, QPoint(80, 52));
    tick(3);
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(80, 52));
    tick(3);  // button up: no more dabs
    const CanvasPixel& p = session->doc.canvas.at(80, 52);
    QVERIFY(p.height > 0.0f);
    QVERIFY(p.red > 0);
    QCOMPARE(session->doc.canvas.at(150, 140).height, 0.0f);
    QVERIFY(session->doc.modified);
    // One snapshot: Undo brings back the blank canvas and greys itself.
    QVERIFY(frame->action(1200)->isEnabled());
    frame->action(1200)->trigger();
    QCOMPARE(session->doc.canvas.at(80, 52).height, 0.0f);
    QVERIFY(!frame->action(1200)->isEnabled());
    QVERIFY(frame->action(1201)->isEnabled() == session->doc.history.canRedo());
  }

  void aStrokeEndsWhenTheCursorLeavesTheCanvas() {
    CanvasWidget* c = frame->canvasWidget();
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(20, 20));
    tick();
    QTest::mouseMove(c, QPoint(250, 20));  // outside the 200-pixel canvas
    QVERIFY(!session->engine.buttonDown());
  }

  void eyeDropperPicksTheShownColourAndMovesTheSliders() {
    Canvas& canvas = session->doc.canvas;
    for (uint32_t y = 0; y < canvas.height; ++y)
      for (uint32_t x = 0; x < canvas.width; ++x) {
        canvas.at(x, y).red = 200;
        canvas.at(x, y).shading = 255;
      }
    relightAll(canvas);
    const uint32_t shown = canvas.surface.pixel(30, 40);
    chooseTool(int(ToolId::EyeDropper));
    QCOMPARE(session->engine.brush.tool, int(ToolId::EyeDropper));
    QTest::mousePress(frame->canvasWidget(), Qt::LeftButton, {}, QPoint(30, 40));
    tick();
    QTest::mouseRelease(frame->canvasWidget(), Qt::LeftButton, {}, QPoint(30, 40));
    QCOMPARE(int(session->engine.brush.red), int(shown >> 16 & 0xFF));
    QCOMPARE(int(session->engine.brush.green), int(shown >> 8 & 0xFF));
    QCOMPARE(frame->colorsWindow()->channel(0)->value(), sliderFromChannel(uint8_t(shown >> 16)));
    QVERIFY(!session->doc.history.canUndo());  // picking records nothing
  }

  void spaceHoldsTheHandToolAndGivesTheToolBack() {
    chooseTool(int(ToolId::Knife));
    QTest::keyPress(frame.get(), Qt::Key_Space);
    QCOMPARE(session->engine.brush.tool, int(ToolId::Hand));
    QCOMPARE(frame->statusPart(3)->text(), QString(" Click on the canvas to drag the window around"));
    QVERIFY(frame->toolsWindow()->button(int(ToolId::Hand))->isChecked());
    QTest::keyRelease(frame.get(), Qt::Key_Space);
    QCOMPARE(session->engine.brush.tool, int(ToolId::Knife));
  }

  void theToolRefreshEnablesTheRightControls() {
    BrushPropertiesWindow* p = frame->propertiesWindow();
    chooseTool(int(ToolId::EyeDropper));
    for (PaintSlider* s : {p->size(), p->strength(), p->depth(), p->shading()}) QVERIFY(!s->isEnabled());
    QVERIFY(!p->styleTab()->isEnabled());
    QVERIFY(!p->textureTab()->isEnabled());
    QCOMPARE(p->windowTitle(), QString(" Brush Properties: Eye Dropper"));
    chooseTool(int(ToolId::Spray));
    QVERIFY(p->size()->isEnabled() && p->strength()->isEnabled() && p->shading()->isEnabled());
    QVERIFY(!p->depth()->isEnabled());
    QVERIFY(!p->styleTab()->isEnabled());
    chooseTool(int(ToolId::TubePaint));
    QVERIFY(p->depth()->isEnabled() && p->styleTab()->isEnabled() && p->textureTab()->isEnabled());
  }

  void sliderFarLeftGivesSizeOne() {
    PaintSlider* size = frame->propertiesWindow()->size();
    QTest::mousePress(size, Qt::LeftButton, {}, QPoint(0, size->height() / 2));
    tick();
    QCOMPARE(session->engine.brush.size, 1);
    QTest::mouseMove(size, QPoint(size->width() - 1, size->height() / 2));
    tick();
    QCOMPARE(session->engine.brush.size, 100);
    QTest::mouseRelease(size, Qt::LeftButton);
  }

  void theNineteenthStyleCellSelectsTheLastStyle() {
    PatternGrid* styles = frame->propertiesWindow()->styles();
    QTest::mouseClick(styles, Qt::LeftButton, {}, QPoint(5, 2 * PatternGrid::kCell + 5));
    QCOMPARE(int(session->engine.brush.style), 17);
    QTest::mouseClick(styles, Qt::LeftButton, {}, QPoint(3 * PatternGrid::kCell + 5, 5));
    QCOMPARE(int(session->engine.brush.style), 3);
  }

  void theEleventhFloatingWindowIsRefused() {
    for (int i = 0; i < kMaxFloatingWindows - 4; ++i) QVERIFY(frame->createFloatingWindow("extra") != nullptr);
    QVERIFY(messages.shown.empty());
    QVERIFY(frame->createFloatingWindow("one too many") == nullptr);
    QCOMPARE(messages.texts(), std::vector<std::string>{"Too many floating windows!"});
  }

  void windowItemsShowAndHideTheirWindows() {
    QVERIFY(frame->action(1101)->isChecked());
    frame->action(1101)->trigger();
    QVERIFY(!frame->colorsWindow()->isVisible());
    QVERIFY(!frame->action(1101)->isChecked());
    frame->action(1101)->trigger();
    QVERIFY(frame->colorsWindow()->isVisible());
  }

  void zoomResizesTheCanvasWindowAndTheStatusBar() {
    frame->action(1261)->trigger();  // 200%
    QCOMPARE(frame->canvasWidget()->size(), QSize(400, 320));
    QCOMPARE(frame->statusPart(2)->text(), QString("Zoom: 200%"));
    // A press at window (100, 100) paints canvas pixel (50, 50).
    QTest::mousePress(frame->canvasWidget(), Qt::LeftButton, {}, QPoint(100, 100));
    tick();
    QTest::mouseRelease(frame->canvasWidget(), Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(session->doc.canvas.at(50, 50).height > 0.0f);
  }

  void failedSaveKeepsThePaintingUnsaved() {
    session->doc.pushUndo();
    QVERIFY(session->doc.modified);
    dialogs.saves = {"/no/such/folder/painting.dwp"};
    frame->action(1002)->trigger();
    QCOMPARE(messages.texts(), std::vector<std::string>{"File Save failed!"});
    QVERIFY(session->doc.modified);
    QTemporaryDir dir;
    dialogs.saves = {dir.filePath("painting.dwp").toStdString()};
    frame->action(1002)->trigger();
    QVERIFY(!session->doc.modified);
  }

  void aFileThatFailsToLoadLeavesThePaintingAndItsHistory() {
    session->doc.canvas.at(5, 5).red = 99;
    session->doc.pushUndo();
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.dwp"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a painting");
    bad.close();
    QVERIFY(!frame->openFile(bad.fileName()));
    QCOMPARE(int(session->doc.canvas.at(5, 5).red), 99);
    QVERIFY(session->doc.history.canUndo());
  }

  void newImageChecksTheSize() {
    frame->askSize = [](int, int) { return std::optional<std::pair<int64_t, int64_t>>({6000, 10}); };
    frame->action(1000)->trigger();
    QCOMPARE(messages.shown.size(), size_t(1));
    QVERIFY(messages.shown[0].text.rfind("The document can be no less than 1x1 pixels", 0) == 0);
    QCOMPARE(session->doc.canvas.width, 200u);
    frame->askSize = [](int, int) { return std::optional<std::pair<int64_t, int64_t>>({300, 100}); };
    frame->action(1000)->trigger();
    QCOMPARE(session->doc.canvas.width, 300u);
    QCOMPARE(frame->statusPart(1)->text(), QString("300x100"));
  }

  void thePaletteAddsAndPicksBrushes() {
    PaletteWindow* palette = frame->paletteWindow();
    palette->show();
    palette->refresh();
    const int before = session->palette.count();
    session->engine.brush.red = 7;
    ImageButton* add = nullptr;
    for (ImageButton* b : palette->findChildren<ImageButton*>())
      if (b->toolTip() == "Add" && b->isVisible()) add = b;  // the brushes page's
    QVERIFY(add);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(session->palette.count(), before + 1);
    QCOMPARE(int(session->palette.slots[size_t(before)].entry.red), 7);
    // A click on the second thumbnail makes that brush current and refreshes the windows.
    QTest::mouseClick(palette->brushes(), Qt::LeftButton, {}, QPoint(31 + 15, 15));
    tick();
    QCOMPARE(session->engine.brush.tool, session->palette.slots[1].entry.tool);
    QCOMPARE(int(session->engine.brush.blue), int(session->palette.slots[1].entry.blue));
    QCOMPARE(frame->colorsWindow()->channel(2)->value(), sliderFromChannel(session->engine.brush.blue));
  }

  void theFirstStrokeCannotBeChanged() {
    session->strokes = starterStrokes();
    selectStroke(session->strokes, 0, session->engine);
    frame->paletteWindow()->refresh();
    const QList<ImageButton*> checks = frame->paletteWindow()->findChildren<ImageButton*>();
    ImageButton* fadeStrength = nullptr;
    for (ImageButton* b : checks)
      if (b->toolTip() == "Fade strength") fadeStrength = b;
    QVERIFY(fadeStrength);
    fadeStrength->click();
    QVERIFY(!session->strokes.slots[0].entry.fadeStrength);
    QVERIFY(!session->engine.dynamics.fadeStrength);
    selectStroke(session->strokes, 2, session->engine);  // fades in size
    frame->paletteWindow()->refresh();
    fadeStrength->click();
    QVERIFY(session->strokes.slots[2].entry.fadeStrength);
    QVERIFY(session->engine.dynamics.fadeStrength && session->engine.dynamics.fadeSize);
  }

  void colourSlidersSetTheBrushOncePerIteration() {
    PaintSlider* red = frame->colorsWindow()->channel(0);
    QTest::mousePress(red, Qt::LeftButton, {}, QPoint(red->width() - 1, 5));
    QVERIFY(session->engine.brush.red != 255);  // not before the main loop runs
    tick();
    QCOMPARE(int(session->engine.brush.red), 255);
    QTest::mouseRelease(red, Qt::LeftButton);
  }

  void displayTogglesFlipThePreferencesAndTheChecks() {
    session->prefs = {};
    frame->action(1252)->setChecked(true);
    frame->action(1252)->trigger();
    QVERIFY(!session->prefs.lighting);
    QVERIFY(!session->doc.canvas.lightingOn);
    QVERIFY(!frame->action(1252)->isChecked());
    QVERIFY(!session->doc.canvas.lightingValid);
    tick();
    QVERIFY(session->doc.canvas.lightingValid);  // the next iteration relights
  }

  void effectsFromTheMenuRecordUndo() {
    session->doc.canvas.at(3, 3).red = 10;
    frame->action(1305)->trigger();  // Colors > Invert
    QVERIFY(session->doc.history.canUndo());
    QVERIFY(session->doc.canvas.at(3, 3).red != 10);
    frame->action(1200)->trigger();
    QCOMPARE(int(session->doc.canvas.at(3, 3).red), 10);
  }

  void importAndExportGoThroughTheirDialogs() {
    QTemporaryDir dir;
    QImage grey(30, 20, QImage::Format_RGB32);
    grey.fill(QColor(90, 90, 90));
    QVERIFY(grey.save(dir.filePath("grey.png")));
    dialogs.opens = {dir.filePath("grey.png").toStdString()};
    frame->action(1005)->trigger();
    QCOMPARE(session->doc.canvas.width, 30u);
    QCOMPARE(int(session->doc.canvas.at(4, 4).highlight), 90);
    QCOMPARE(int(session->doc.canvas.at(4, 4).red), 0);
    QCOMPARE(frame->canvasWidget()->size(), QSize(30, 20));
    dialogs.saves = {dir.filePath("shown.bmp").toStdString()};
    frame->action(1004)->trigger();
    QImage shown(dir.filePath("shown.bmp"));
    QCOMPARE(shown.size(), QSize(30, 20));
    QVERIFY(messages.shown.empty());
    // An export that cannot be written says where.
    dialogs.saves = {"/no/such/folder/shown.bmp"};
    frame->action(1004)->trigger();
    QCOMPARE(messages.texts(), std::vector<std::string>{"Export failed! cannot write /no/such/folder/shown.bmp"});
  }

  void theToolWindowsGoWithTheMinimisedFrame() {
    QVERIFY(frame->toolsWindow()->isVisible());
    frame->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    QEvent change(QEvent::WindowStateChange);
    QCoreApplication::sendEvent(frame.get(), &change);
    QVERIFY(!frame->toolsWindow()->isVisible());
    QVERIFY(frame->action(1100)->isChecked());  // still meant to be shown
    frame->setWindowState(Qt::WindowNoState);
    QCoreApplication::sendEvent(frame.get(), &change);
    QVERIFY(frame->toolsWindow()->isVisible());
  }

  void aSecondProcessHandsItsFileToTheFirstAndEnds() {
    const QString name = "daubwell-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    SingleInstance first(name);
    QCOMPARE(first.start(QString()), SingleInstance::Outcome::First);
    QSignalSpy handed(&first, &SingleInstance::fileHandedOver);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DAUBWELL_INSTANCE_NAME", name);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("DAUBWELL_NO_REGISTER", "1");
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(DAUBWELL_BINARY, {"\"/tmp/somewhere/painting.dwp\""});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(handed.count(), 1);
    QCOMPARE(handed.first().first().toString(), QString("/tmp/somewhere/painting.dwp"));
    // Without a file the second one ends and hands nothing over.
    second.start(DAUBWELL_BINARY, {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    QTest::qWait(100);
    QCOMPARE(handed.count(), 1);
  }

  void theFileTypeIsRegisteredOnceInTheUsersDataFolder() {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QVERIFY(registerFileType("/opt/daubwell/daubwell", messages));
    QFile desktop(home.filePath("applications/daubwell.desktop"));
    QVERIFY(desktop.open(QIODevice::ReadOnly));
    QVERIFY(desktop.readAll().contains("Exec=\"/opt/daubwell/daubwell\" %f"));
    QFile mime(home.filePath("mime/packages/daubwell.xml"));
    QVERIFY(mime.open(QIODevice::ReadOnly));
    QVERIFY(mime.readAll().contains("*.dwp"));
    const QDateTime written = QFileInfo(mime).lastModified();
    QTest::qWait(20);
    QVERIFY(registerFileType("/opt/daubwell/daubwell", messages));
    QCOMPARE(QFileInfo(mime).lastModified(), written);
    QVERIFY(messages.shown.empty());
    // A data folder that cannot be written says so.
    qputenv("XDG_DATA_HOME", "/proc/no-such-place");
    QVERIFY(!registerFileType("/opt/daubwell/daubwell", messages));
    QCOMPARE(messages.texts(), std::vector<std::string>{"Couldn't set filetype key!"});
    qunsetenv("XDG_DATA_HOME");
  }

  // A receiver that runs a dialog of its own (a nested event loop) while the sender goes
  // away must find the message whole and the program standing.
  void aHandOverIsReadWholeBeforeAnyoneActsOnIt() {
    const QString name = "daubwell-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    SingleInstance first(name);
    QCOMPARE(first.start(QString()), SingleInstance::Outcome::First);
    QStringList got;
    connect(&first, &SingleInstance::fileHandedOver, this, [&got](const QString& p) {
      got << p;
      QEventLoop box;
      QTimer::singleShot(150, &box, &QEventLoop::quit);
      box.exec();
    });
    {
      QLocalSocket client;
      client.connectToServer(name);
      QVERIFY(client.waitForConnected(2000));
      client.write("/tmp/first/half");
      QVERIFY(client.waitForBytesWritten(2000));
      QTest::qWait(50);
      client.write("/painting.dwp\n");
      QVERIFY(client.waitForBytesWritten(2000));
      client.disconnectFromServer();
    }
    QTRY_COMPARE(got.size(), 1);
    QCOMPARE(got.first(), QString("/tmp/first/half/painting.dwp"));
    // A sender that ends without a line end still hands its file over.
    {
      QLocalSocket client;
      client.connectToServer(name);
      QVERIFY(client.waitForConnected(2000));
      client.write("/tmp/no-line-end.dwp");
      QVERIFY(client.waitForBytesWritten(2000));
      client.disconnectFromServer();
    }
    QTRY_COMPARE(got.size(), 2);
    QCOMPARE(got.last(), QString("/tmp/no-line-end.dwp"));
    QTest::qWait(200);
    QCOMPARE(got.size(), 2);
  }

  void aStaleSocketIsReplacedByTheNewInstance() {
    QTemporaryDir dir;
    const QString path = dir.filePath("instance");
    // What a crashed program leaves: the socket file with nobody listening.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.toLocal8Bit().constData());
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(path));
    SingleInstance first(path);
    QCOMPARE(first.start(QString()), SingleInstance::Outcome::First);
    QSignalSpy handed(&first, &SingleInstance::fileHandedOver);
    SingleInstance second(path);
    QCOMPARE(second.start("/tmp/x.dwp"), SingleInstance::Outcome::HandedOver);
    QTRY_COMPARE(handed.count(), 1);
  }

  void aHandedOverFileAsksBeforeReplacingAnUnsavedPainting() {
    QTemporaryDir dir;
    Canvas small;
    small.create(30, 20);
    const std::string file = dir.filePath("handed.dwp").toStdString();
    QVERIFY(writeDocument(small, file));
    frame->showMaximized();
    QVERIFY(frame->isMaximized());
    session->doc.pushUndo();
    session->doc.canvas.at(3, 3).red = 7;
    QVERIFY(session->doc.modified);
    messages.answers = {Answer::Cancel};
    frame->handOver(QString::fromStdString(file));
    QCOMPARE(messages.asked.size(), size_t(1));
    QCOMPARE(messages.asked[0].text, std::string(kSaveChangesText));
    QCOMPARE(session->doc.canvas.width, 200u);
    QCOMPARE(int(session->doc.canvas.at(3, 3).red), 7);
    // Yes with a cancelled save keeps it too.
    messages.answers = {Answer::Yes};
    frame->handOver(QString::fromStdString(file));
    QCOMPARE(session->doc.canvas.width, 200u);
    messages.answers = {Answer::No};
    frame->handOver(QString::fromStdString(file));
    QCOMPARE(session->doc.canvas.width, 30u);
    QVERIFY(frame->isMaximized());  // the frame keeps its state and place
    // A file that does not load says so, and the painting stays.
    frame->handOver("/no/such.dwp");
    QCOMPARE(session->doc.canvas.width, 30u);
    QCOMPARE(messages.texts().back(), std::string(kLoadFailedText));
    frame->showNormal();
  }

  void exitWithAnUnsavedPaintingStaysOpen() {
    session->doc.pushUndo();
    messages.answers = {Answer::Yes};  // then the save dialog is cancelled
    QVERIFY(!frame->close());
    QVERIFY(frame->isVisible());
    messages.answers = {Answer::Yes};
    dialogs.saves = {"/no/such/folder/painting.dwp"};
    QVERIFY(!frame->close());
    QCOMPARE(messages.texts(), std::vector<std::string>{kSaveFailedText});
    QVERIFY(session->doc.modified);
    messages.answers = {Answer::No};
    QVERIFY(frame->close());
  }

  void onlyTheHandActsWhileSpaceIsHeld() {
    chooseTool(int(ToolId::TubePaint));
    CanvasWidget* c = frame->canvasWidget();
    const std::vector<CanvasPixel> before = session->doc.canvas.pixels;
    // Space, press, Space up with the button still held, move on.
    QTest::keyPress(frame.get(), Qt::Key_Space);
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(60, 60));
    tick(2);
    QTest::keyRelease(frame.get(), Qt::Key_Space);
    tick(3);
    QTest::mouseMove(c, QPoint(70, 62));
    tick(3);
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(70, 62));
    QCOMPARE(session->engine.brush.tool, int(ToolId::TubePaint));
    QVERIFY(sameRecords(session->doc.canvas.pixels, before));
    QVERIFY(!session->doc.history.canUndo());
    // Space going down in the middle of a stroke ends it.
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(60, 60));
    tick();
    QTest::keyPress(frame.get(), Qt::Key_Space);
    QVERIFY(!session->engine.buttonDown());
    QTest::keyRelease(frame.get(), Qt::Key_Space);
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(60, 60));
  }

  // A large painting's snapshot is copied in the background while the stroke goes on.
  void aStrokeOnABackgroundSnapshotUndoesExactly() {
    session->doc.history.backgroundCopyFrom = 0;
    const std::vector<CanvasPixel> before = session->doc.canvas.pixels;
    CanvasWidget* c = frame->canvasWidget();
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(40, 150));
    tick(2);
    QTest::mouseMove(c, QPoint(60, 140));
    tick(2);
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(60, 140));
    QVERIFY(!sameRecords(session->doc.canvas.pixels, before));
    frame->action(1200)->trigger();
    QVERIFY(sameRecords(session->doc.canvas.pixels, before));
  }

  void helpWithoutADesktopViewerOpensOurOwnWindow() {
    int asked = 0;
    frame->openPage = [&asked](const QUrl&) {
      ++asked;
      return false;
    };
    frame->action(1401)->trigger();
    QCOMPARE(asked, 1);
    QVERIFY(frame->helpWindow() && frame->helpWindow()->isVisible());
    QVERIFY(frame->helpWindow()->browser()->toPlainText().contains("five"));
    QVERIFY(!frame->isMinimized());
    frame->helpWindow()->hide();
    // With a viewer the page goes there, and the program still stays as it is.
    frame->openPage = [](const QUrl&) { return true; };
    frame->action(1403)->trigger();
    QVERIFY(!frame->helpWindow()->isVisible());
    QVERIFY(!frame->isMinimized());
  }

  void enterInTheSizeDialogPressesOk() {
    SizeDialog d(600, 600, frame.get());
    d.show();
    d.widthEdit()->setText("320");
    QTest::keyClick(d.heightEdit(), Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
  }

  void theReliefAndThePngPictureAreExported() {
    session->doc.canvas.at(10, 10).height = 5.0f;
    QTemporaryDir dir;
    dialogs.saves = {dir.filePath("h.png").toStdString(), dir.filePath("n.png").toStdString(),
                     dir.filePath("shown.png").toStdString()};
    frame->action(1284)->trigger();
    frame->action(1285)->trigger();
    frame->action(1004)->trigger();
    QVERIFY(messages.shown.empty());
    QImage height(dir.filePath("h.png"));
    QCOMPARE(height.size(), QSize(200, 160));
    QCOMPARE(height.format(), QImage::Format_Grayscale16);
    QCOMPARE(qGray(height.pixel(10, 10)), 255);
    QCOMPARE(QImage(dir.filePath("n.png")).size(), QSize(200, 160));
    QImage shown(dir.filePath("shown.png"));
    QCOMPARE(shown.size(), QSize(200, 160));
    QCOMPARE(frame->action(1284)->text(), QString("Export Height Map..."));
    // A failed export says so.
    dialogs.saves = {"/no/such/folder/h.png"};
    frame->action(1284)->trigger();
    QCOMPARE(messages.shown.size(), size_t(1));
  }

  void theToolsWindowHasAButtonForEveryToolOfTheTableButFill() {
    int buttons = 0;
    for (const ToolInfo& t : tools()) {
      QAbstractButton* b = frame->toolsWindow()->button(int(t.id));
      QCOMPARE(b != nullptr, t.button.group != ToolGroup::None);
      if (!b) continue;
      ++buttons;
      QCOMPARE(b->toolTip(), toQString(t.caption));
      // Choosing it makes it the tool, its button the one shown selected and its
      // status text the status bar's.
      b->click();
      QCOMPARE(session->brush().tool, int(t.id));
      QVERIFY(b->isChecked());
      QCOMPARE(frame->statusPart(3)->text(), toQString(t.status));
    }
    QCOMPARE(buttons, 16);
    QVERIFY(frame->toolsWindow()->button(int(ToolId::Fill)) == nullptr);
  }

  void effectsSitInTheMenusTheirTableNames() {
    auto menuOf = [this](int id) {
      const QObjectList owners = frame->action(id)->associatedObjects();
      return owners.isEmpty() ? nullptr : qobject_cast<QMenu*>(owners.first());
    };
    for (const Effect& e : effects()) {
      QMenu* m = menuOf(e.menuId);
      QVERIFY(m);
      QCOMPARE(m->title(), toQString(e.submenu.empty() ? e.menu : e.submenu));
      QCOMPARE(frame->action(e.menuId)->text(), toQString(e.caption));
    }
    // The Filters menu: its three submenus first, then its own items.
    QMenu* filters = qobject_cast<QMenu*>(menuOf(1305)->menuAction()->associatedObjects().first());
    QVERIFY(filters);
    QCOMPARE(filters->title(), QString("Filte&rs"));
    QStringList titles;
    for (QAction* a : filters->actions()) titles << (a->menu() ? a->menu()->title() : a->text());
    QCOMPARE(titles.mid(0, 4), (QStringList{"&Colors", "&Paint", "&Texture", "&Enhance"}));
    QCOMPARE(menuOf(1810)->title(), QString("&Image"));
  }

  void aPaletteThatCannotBeSavedSaysWhy() {
    PaletteWindow* palette = frame->paletteWindow();
    palette->show();
    ImageButton* save = nullptr;
    for (ImageButton* b : palette->findChildren<ImageButton*>())
      if (b->toolTip() == "Save list" && b->isVisible()) save = b;  // the brushes page's
    QVERIFY(save);
    dialogs.saves = {"/no/such/folder/brushes.pal"};
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(messages.shown.size(), size_t(1));
    QCOMPARE(messages.shown[0].caption, std::string("Error"));
    QCOMPARE(messages.shown[0].text, std::string(kListSaveFailedText) + "\ncannot write /no/such/folder/brushes.pal");
    // A save that works says nothing and can be read back.
    QTemporaryDir dir;
    dialogs.saves = {dir.filePath("brushes.pal").toStdString()};
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(messages.shown.size(), size_t(1));
    BrushPalette back;
    QVERIFY(loadPalette(back, dir.filePath("brushes.pal").toStdString()));
    QCOMPARE(back.count(), session->palette.count());
  }

  // Dragging a zoomed canvas uncovers strips narrower than one canvas pixel; each must be
  // painted whole, or what was there before stays as a streak.
  void aZoomedCanvasPaintsEveryPixelItIsAskedFor() {
    Canvas& canvas = session->doc.canvas;
    for (CanvasPixel& p : canvas.pixels) p = {.red = 0, .green = 90, .blue = 0, .shading = 255};
    relightAll(canvas);
    frame->action(1263)->trigger();  // 400%
    CanvasWidget* c = frame->canvasWidget();
    QCOMPARE(c->size(), QSize(800, 640));
    const QRect strips[] = {QRect(401, 0, 2, 640), QRect(0, 3, 800, 1), QRect(0, 0, 403, 639), QRect(797, 637, 3, 3)};
    for (const QRect& strip : strips) {
      QImage shown(strip.size(), QImage::Format_RGB32);
      shown.fill(Qt::magenta);
      c->render(&shown, QPoint(), QRegion(strip), {});
      for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
          QVERIFY2((shown.pixel(x, y) & 0xFFFFFF) == canvas.surface.pixel((strip.x() + x) / 4, (strip.y() + y) / 4),
                   qPrintable(QString("%1,%2 of %3,%4 %5x%6").arg(x).arg(y).arg(strip.x()).arg(strip.y())
                                  .arg(strip.width()).arg(strip.height())));
    }
  }

  // A key held down before a box opened (Enter that closed the message before, still
  // held, or stuck) repeats into the next box; only a fresh press answers it. Without
  // this, a second failed hand-over in a row shows its messages for no time at all.
  void aHeldKeyDoesNotAnswerTheNextMessageBox() {
    QtMessages boxes(frame.get());
    // A held key repeats as a release and a press at the same moment, marked as a
    // repeat or not; a fresh press comes at a moment of its own.
    quint64 now = 1000;
    auto repeatOnce = [&now](QWidget* w, Qt::Key key, bool marked) {
      ++now;
      QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(), marked);
      up.setTimestamp(now);
      QApplication::sendEvent(w, &up);
      QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(), marked);
      down.setTimestamp(now);
      QApplication::sendEvent(w, &down);
    };
    auto pressFresh = [&now](QWidget* w, Qt::Key key) {
      QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString());
      down.setTimestamp(now += 100);
      QApplication::sendEvent(w, &down);
    };
    QStringList seen;
    auto script = [&](Qt::Key key) {
      QTimer::singleShot(0, [&, key] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        for (int i = 0; i < 6; ++i) repeatOnce(target, key, i % 2 == 0);
        QCoreApplication::processEvents();
        seen << (box->isVisible() ? "open" : "closed");
        pressFresh(target, key);
      });
    };
    script(Qt::Key_Return);
    boxes.show(kLoadFailedText, "Error", MessageIcon::Error);
    script(Qt::Key_Return);
    boxes.show(kLoadFailedText, "Error", MessageIcon::Error);
    // A question too: the held key gives no answer, the fresh press the default one.
    script(Qt::Key_Escape);
    QCOMPARE(boxes.ask(kSaveChangesText, "Save Changes?", MessageButtons::YesNoCancel, MessageIcon::Warning),
             Answer::Cancel);
    QCOMPARE(seen, (QStringList{"open", "open", "open"}));
  }
};

QTEST_MAIN(AppTest)
#include "AppTest.moc"
