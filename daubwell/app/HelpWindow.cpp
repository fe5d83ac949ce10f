#include "HelpWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace daubwell {

HelpWindow::HelpWindow(QWidget* frame) : QWidget(frame, Qt::Window) {
  setWindowTitle("Daubwell Help");
  browser_ = new QTextBrowser(this);
  browser_->setOpenExternalLinks(true);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(browser_);
  resize(720, 640);
}

void HelpWindow::showPage(const QUrl& page) {
  browser_->setSource(page.adjusted(QUrl::RemoveFragment));
  if (!page.fragment().isEmpty()) browser_->scrollToAnchor(page.fragment());
  show();
  raise();
  activateWindow();
}

bool openWithDesktop(const QUrl& page) {
#ifdef Q_OS_UNIX
  // The opener says within a moment whether it found a viewer (it exits non-zero when
  // not); one still running after that has started one and is left to finish on its own.
  const QString opener = QStandardPaths::findExecutable("xdg-open");
  if (opener.isEmpty()) return false;
  auto* p = new QProcess(qApp);
  QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
  p->start(opener, {page.toString()});
  if (!p->waitForStarted(2000)) {
    p->deleteLater();
    return false;
  }
  if (!p->waitForFinished(1500)) return true;
  return p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
#else
  return QDesktopServices::openUrl(page);
#endif
}

}  // namespace daubwell
