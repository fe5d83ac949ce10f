// Daubwell: the paint program. One instance at a time; a second one hands its file to
// the first and ends.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "FileTypes.h"
#include "MainFrame.h"
#include "ShellRules.h"
#include "SingleInstance.h"
#include "canvas/Document.h"
#include "files/DocumentFlows.h"
#include "files/ProgramFolders.h"

using namespace daubwell;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Daubwell");
  const QString path = argc > 1 ? QString::fromStdString(commandLinePath(argv[1])) : QString();

  SingleInstance instance(SingleInstance::defaultName());
  switch (instance.start(path)) {
    case SingleInstance::Outcome::First:
      break;
    case SingleInstance::Outcome::HandOverFailed:
      QMessageBox::critical(nullptr, "Error", kHandOverFailedText);
      return 0;
    case SingleInstance::Outcome::HandedOver:
    case SingleInstance::Outcome::OtherRunning:
      return 0;
  }

  QtMessages messages;
  if (!qEnvironmentVariableIsSet("DAUBWELL_NO_REGISTER"))
    registerFileType(QCoreApplication::applicationFilePath(), messages);

  // The splash shows while the pattern images load, three seconds at least.
  auto* splash = new SplashWindow;
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  splash->move(screen.center() - splash->rect().center());
  splash->show();
  QElapsedTimer shown;
  shown.start();
  app.processEvents();

  PaintSession session;
  loadPatternImages(session.patterns, messages);
  MainFrame frame(session);
  messages.setParent(&frame);
  newDocument(session.doc, kStartDocumentSide, kStartDocumentSide);
  frame.loadListsAndPreferences();
  if (!path.isEmpty() && !frame.openFile(path)) messages.show(kLoadFailedText, "Error", MessageIcon::Error);
  QObject::connect(&instance, &SingleInstance::fileHandedOver, &frame, &MainFrame::handOver);

  // Without a window manager "maximised" means nothing: give the frame the screen. The
  // place is that of the outer frame, so that a window manager keeps the title bar on the
  // screen when the frame is restored.
  frame.resize(screen.size());
  frame.move(screen.topLeft());
  frame.showMaximized();
  frame.toolsWindow()->move(screen.left() + 10, screen.top() + 65);
  frame.toolsWindow()->show();
  const int right = screen.right() - 310;
  frame.propertiesWindow()->move(right, screen.top() + 65);
  frame.propertiesWindow()->show();
  frame.colorsWindow()->move(right, frame.propertiesWindow()->geometry().bottom() + 36);
  frame.colorsWindow()->show();
  frame.paletteWindow()->move(right, frame.colorsWindow()->geometry().bottom() + 36);
  frame.paletteWindow()->show();
  QPointer<SplashWindow> guard(splash);
  QTimer::singleShot(std::max<qint64>(0, 3000 - shown.elapsed()), [guard] {
    if (guard) guard->close();
  });
  // DAUBWELL_SCREENSHOT=FILE.png: a picture of the screen and of each tool window after
  // four seconds (DAUBWELL_SCREENSHOT_DELAY milliseconds), then the program ends; for the
  // documentation and for checking the look.
  const QString shot = qEnvironmentVariable("DAUBWELL_SCREENSHOT");
  if (!shot.isEmpty())
    QTimer::singleShot(qEnvironmentVariableIntValue("DAUBWELL_SCREENSHOT_DELAY") ?: 4000, &frame, [&frame, shot] {
      const QString stem = shot.left(shot.lastIndexOf('.'));
      QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
      frame.toolsWindow()->grab().save(stem + "-tools.png");
      frame.propertiesWindow()->grab().save(stem + "-properties.png");
      frame.colorsWindow()->grab().save(stem + "-colors.png");
      frame.paletteWindow()->grab().save(stem + "-palette.png");
      frame.session().doc.modified = false;
      frame.close();
    });
  return app.exec();
}
