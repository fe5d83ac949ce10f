#pragma once
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

namespace daubwell {

// The help pages in a window of the program's own, for a desktop that cannot open them.
class HelpWindow : public QWidget {
  Q_OBJECT
public:
  explicit HelpWindow(QWidget* frame);
  void showPage(const QUrl& page);
  QTextBrowser* browser() const { return browser_; }

private:
  QTextBrowser* browser_;
};

// Opens a page with the desktop's viewer; false when there is none or it failed at once.
bool openWithDesktop(const QUrl& page);

}  // namespace daubwell
