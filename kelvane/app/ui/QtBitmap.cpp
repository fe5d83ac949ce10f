#include "QtBitmap.h"

#include <QStringList>
#include <cstring>

namespace kelvane::ui {

QImage WrapBitmap(const TBitmap32& b, bool opaque) {
  if (b.Empty()) return QImage();
  return QImage(reinterpret_cast<const uchar*>(b.Bits()), b.Width(), b.Height(), qsizetype(b.Width()) * 4,
                opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
}

TBitmap32 BitmapFromImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  TBitmap32 b;
  if (!b.SetSizeUninitialized(argb.width(), argb.height())) return {};
  for (int y = 0; y < argb.height(); ++y)
    std::memcpy(b.ScanLine(y), argb.constScanLine(y), size_t(argb.width()) * 4);
  return b;
}

QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter.c_str()).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    QString description = parts[i];
    const int paren = description.indexOf(" (");
    if (paren >= 0) description = description.left(paren);
    out << description + " (" + patterns + ")";
  }
  return out.join(";;");
}

}  // namespace kelvane::ui
