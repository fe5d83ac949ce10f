// Kelvane: the texture-draping editor.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <QMdiSubWindow>

#include "TKVXEditForm.h"
#include "TMainForm.h"
#include "TSTForm.h"
#include "TSplashForm.h"
#include "project/TCashMarager.h"
#include "project/TKVXFile2.h"
#include "project/TempFiles.h"

using namespace kelvane;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kelvane");
  QApplication::setOrganizationName("Kelvane");
  RegisterKvxPictureFormat();

  auto* splash = new ui::TSplashForm;
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  splash->move(screen.center() - splash->rect().center());
  splash->show();
  app.processEvents();

  // Idle project items go to swap files; the current object's stay (they are pinned).
  TCashMarager swapper;
  swapper.Start();
  int code = 0;
  {
    ui::TMainForm frame(&swapper);
    // Without a window manager "maximised" means nothing: give the frame the screen.
    frame.setGeometry(screen);
    frame.showMaximized();
    frame.SelectTools()->move(screen.left() + 8, screen.top() + 120);
    QTimer::singleShot(1200, splash, &QWidget::close);
    if (argc > 1) frame.OpenFile(QString::fromLocal8Bit(argv[1]));

    // KELVANE_SCREENSHOT=FILE.png: a picture of the screen after KELVANE_SCREENSHOT_DELAY
    // milliseconds (4000 by default), then the program ends; for the documentation.
    const QString shot = qEnvironmentVariable("KELVANE_SCREENSHOT");
    if (!shot.isEmpty())
      QTimer::singleShot(qEnvironmentVariableIntValue("KELVANE_SCREENSHOT_DELAY") ?: 4000, &frame, [&frame, shot] {
        QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
        for (QMdiSubWindow* w : frame.Mdi()->subWindowList())
          if (auto* f = qobject_cast<ui::TKVXEditForm*>(w->widget())) f->Session().SetModified(false);
        frame.close();
      });
    code = app.exec();
  }
  delete splash;
  swapper.Stop();
  DeleteExitTempFiles();
  return code;
}
