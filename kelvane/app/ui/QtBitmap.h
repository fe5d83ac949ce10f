#pragma once
#include <QImage>
#include <QString>
#include <string>
#include <string_view>

#include "raster/TBitmap32.h"

// Between the engine's rasters and Qt's pictures.
namespace kelvane::ui {

// The bitmap's own pixels as a picture, not copied: 0xAARRGGBB words are Qt's 32-bit
// formats. The bitmap must outlive the picture and keep its size meanwhile.
QImage WrapBitmap(const TBitmap32& bitmap, bool opaque);
TBitmap32 BitmapFromImage(const QImage& image);

// Texts of the document (names) are single-byte; the engine's messages are UTF-8.
inline QString FromDocumentText(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
inline std::string ToDocumentText(const QString& s) { return s.toLatin1().toStdString(); }
inline QString FromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline std::string ToUtf8(const QString& s) { return s.toUtf8().toStdString(); }

// "Description (*.a;*.b)|*.a;*.b|..." as a Qt file-dialog filter list.
QString QtFilter(const std::string& filter);

}  // namespace kelvane::ui
