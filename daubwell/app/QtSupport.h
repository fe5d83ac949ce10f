#pragma once
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "canvas/DisplaySurface.h"
#include "canvas/Messages.h"
#include "files/FileDialogs.h"

// The paint program's platform services on Qt: message boxes, file dialogs, pictures of
// display surfaces and the window graphics.
namespace daubwell {

// The engine's texts are UTF-8.
inline QString toQString(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

class QtMessages : public Messages {
public:
  explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  void show(std::string_view text, std::string_view caption, MessageIcon icon) override;
  Answer ask(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) override;

private:
  QWidget* parent_;
};

// Import Image's open dialog lists every picture format it takes.
inline constexpr FileFilter kImportFilter{"All Formats", "jpg"};
inline constexpr FileFilter kExportFilter{"Bitmap Image", "bmp"};  // or PNG
inline constexpr FileFilter kHeightMapFilter{"PNG Height Map", "png"};
inline constexpr FileFilter kNormalMapFilter{"PNG Normal Map", "png"};

class QtFileDialogs : public FileDialogs {
public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> openPath(const FileFilter& filter) override;
  std::optional<std::string> savePath(const FileFilter& filter) override;

private:
  QWidget* parent_;
};

// A surface as a picture (rows top to bottom). `view` shares the surface's memory, which
// must outlive it, and shows it upside down (surfaces are stored bottom-up).
QImage surfaceView(const DisplaySurface& surface);
QImage surfaceImage(const DisplaySurface& surface);

// The window graphics of "WorkData/Graphics/", read through the image cache once each.
// A missing graphic gives an empty pixmap of the asked size, so windows still work.
class Graphics {
public:
  static Graphics& instance();
  QPixmap get(const QString& name);
  // For the splash: whether the graphics folder exists at all.
  bool available() const;

private:
  QHash<QString, QPixmap> cache_;
};

}  // namespace daubwell
