#include "FileTypes.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "QtSupport.h"
#include "files/AtomicFile.h"

namespace daubwell {

namespace {

// Writes the bytes unless the file already holds exactly them; true when in place.
bool writeIfDifferent(const QString& path, const QByteArray& bytes, bool* changed) {
  const std::string target = path.toStdString();
  if (auto old = readWholeFile(target); old && QByteArray(reinterpret_cast<const char*>(old->data()),
                                                           qsizetype(old->size())) == bytes)
    return true;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  if (!saveFileAtomically(target, {data, size_t(bytes.size())})) return false;
  *changed = true;
  return true;
}

// Refreshes a desktop database when its tool is installed; it takes a moment, once.
void runIfPresent(const QString& tool, const QStringList& args) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return;
  QProcess p;
  p.start(tool, args);
  p.waitForFinished(5000);
}

}  // namespace

QString userDataFolder() {
  const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
  return xdg.isEmpty() ? QDir::homePath() + "/.local/share" : xdg;
}

bool registerFileType(const QString& program, Messages& messages) {
  const QString data = userDataFolder();
  bool mimeChanged = false, desktopChanged = false, iconChanged = false;
  const QByteArray mime =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-daubwell\">\n"
      "    <comment>Daubwell File</comment>\n"
      "    <glob pattern=\"*.dwp\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  if (!writeIfDifferent(data + "/mime/packages/daubwell.xml", mime, &mimeChanged)) {
    messages.show("Couldn't set filetype key!", "Error", MessageIcon::Error);
    return false;
  }
  if (!QDir().mkpath(data + "/applications")) {
    messages.show("Couldn't set apppath key!", "Error", MessageIcon::Error);
    return false;
  }
  const QByteArray desktop = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Daubwell\n"
                             "Comment=Paint with thick, lit paint\n"
                             "Exec=\"" + program.toUtf8() + "\" %f\n"
                             "Icon=daubwell\n"
                             "MimeType=application/x-daubwell;\n"
                             "Categories=Graphics;2DGraphics;RasterGraphics;\n";
  if (!writeIfDifferent(data + "/applications/daubwell.desktop", desktop, &desktopChanged)) {
    messages.show("Couldn't set apppath open path key!", "Error", MessageIcon::Error);
    return false;
  }
  QByteArray icon;
  QBuffer buffer(&icon);
  buffer.open(QIODevice::WriteOnly);
  const QPixmap picture = Graphics::instance().get("brush1");
  if (!picture.isNull()) picture.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(&buffer, "PNG");
  if (!icon.isEmpty() &&
      !writeIfDifferent(data + "/icons/hicolor/64x64/apps/daubwell.png", icon, &iconChanged)) {
    messages.show("Couldn't set icon key!", "Error", MessageIcon::Error);
    return false;
  }
  if (mimeChanged) runIfPresent("update-mime-database", {data + "/mime"});
  if (desktopChanged) runIfPresent("update-desktop-database", {data + "/applications"});
  return true;
}

}  // namespace daubwell
