#include "QtSupport.h"

#include <QDir>
#include <QApplication>
#include <QFileDialog>
#include <QHash>
#include <QKeyEvent>
#include <QMessageBox>

#include "files/ImageCache.h"
#include "files/ProgramFolders.h"

namespace daubwell {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QString filterText(const FileFilter& filter) {
  if (filter.description == kImportFilter.description)
    return "All Formats (*.jpg *.bmp *.tiff *.png);;JPEG (*.jpg);;BITMAP (*.bmp);;PNG (*.png);;TIFF (*.tif)";
  if (filter.description == kExportFilter.description) return "Bitmap Image (*.bmp);;PNG Image (*.png)";
  return toQString(filter.description) + " (*." + toQString(filter.extension) + ")";
}

// While a box is open: a key held down since before it appeared repeats into it, and
// those repeats must not answer it. A held Enter would otherwise close every message the
// moment it shows (or say Yes to a question nobody read). A repeat is a press marked as
// one or, as the window system does not always mark them, a press at the very moment of
// a release of the same key.
class HeldKeysIgnored : public QObject {
public:
  explicit HeldKeysIgnored(QWidget* box) : box_(box) { qApp->installEventFilter(this); }
  ~HeldKeysIgnored() override { qApp->removeEventFilter(this); }

  bool eventFilter(QObject* receiver, QEvent* e) override {
    const QEvent::Type t = e->type();
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease) return false;
    auto* w = qobject_cast<QWidget*>(receiver);
    if (!w || (w != box_ && !box_->isAncestorOf(w))) return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    if (t == QEvent::KeyRelease) {
      released_[k->key()] = k->timestamp();
      return k->isAutoRepeat();
    }
    const auto it = released_.constFind(k->key());
    return k->isAutoRepeat() || (it != released_.cend() && *it == k->timestamp());
  }

private:
  QWidget* box_;
  QHash<int, quint64> released_;  // key -> time of its last release
};

int runBox(QMessageBox& box) {
  HeldKeysIgnored guard(&box);
  return box.exec();
}

}  // namespace

void QtMessages::show(std::string_view text, std::string_view caption, MessageIcon icon) {
  QMessageBox box(boxIcon(icon), toQString(caption), toQString(text), QMessageBox::Ok, parent_);
  runBox(box);
}

Answer QtMessages::ask(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) {
  QMessageBox::StandardButtons b = QMessageBox::Ok;
  if (buttons == MessageButtons::YesNo) b = QMessageBox::Yes | QMessageBox::No;
  if (buttons == MessageButtons::YesNoCancel) b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  QMessageBox box(boxIcon(icon), toQString(caption), toQString(text), b, parent_);
  switch (runBox(box)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return Answer::Cancel;
  }
}

std::optional<std::string> QtFileDialogs::openPath(const FileFilter& filter) {
  const QString path = QFileDialog::getOpenFileName(parent_, QString(), QString(), filterText(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtFileDialogs::savePath(const FileFilter& filter) {
  QFileDialog dialog(parent_, QString(), QString(), filterText(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(toQString(filter.extension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

QImage surfaceView(const DisplaySurface& surface) {
  if (!surface.valid()) return {};
  const QImage::Format format = surface.hasAlpha() ? QImage::Format_RGB32 : QImage::Format_BGR888;
  return QImage(surface.memoryRow(0), int(surface.width()), int(surface.height()), qsizetype(surface.stride()),
                format);
}

QImage surfaceImage(const DisplaySurface& surface) { return surfaceView(surface).mirrored(false, true); }

Graphics& Graphics::instance() {
  static Graphics g;
  return g;
}

bool Graphics::available() const { return QDir(QString::fromStdString(programFolder() + "WorkData/Graphics")).exists(); }

QPixmap Graphics::get(const QString& name) {
  if (auto it = cache_.find(name); it != cache_.end()) return *it;
  const ImageFolders folders{programFolder() + "WorkData/Graphics/", programFolder() + "data/", userCacheFolder()};
  DisplaySurface surface;
  SilentMessages quiet;
  QPixmap pixmap;
  if (loadColourImage(surface, name.toStdString(), folders, quiet)) pixmap = QPixmap::fromImage(surfaceImage(surface));
  cache_.insert(name, pixmap);
  return pixmap;
}

}  // namespace daubwell
