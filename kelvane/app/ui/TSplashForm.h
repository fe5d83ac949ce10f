#pragma once
#include <QWidget>

namespace kelvane::ui {

// The splash window: the program's name, its version and its web address (a click on
// the address opens it).
class TSplashForm final : public QWidget {
  Q_OBJECT
public:
  explicit TSplashForm(QWidget* parent = nullptr);
  // "Version" and the four numbers of the program's version.
  static QString VersionText();
  static QString WebAddress();
};

}  // namespace kelvane::ui
