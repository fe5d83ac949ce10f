#include "QtPrinter.h"

#include <QPainter>

#include "QtBitmap.h"

namespace kelvane::ui {

int TQtPrinter::PageWidth() { return printer_.pageLayout().paintRectPixels(printer_.resolution()).width(); }

int TQtPrinter::PageHeight() { return printer_.pageLayout().paintRectPixels(printer_.resolution()).height(); }

bool TQtPrinter::Landscape() { return printer_.pageLayout().orientation() == QPageLayout::Landscape; }

void TQtPrinter::SetLandscape(bool landscape) {
  printer_.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

Status TQtPrinter::PrintPage(const std::string& title, const TBitmap32& picture, const TRect& destination) {
  printer_.setDocName(FromUtf8(title));
  QPainter p;
  if (!p.begin(&printer_)) return fail("The printer could not start the job.");
  p.setRenderHint(QPainter::SmoothPixmapTransform, picture.StretchFilter == TStretchFilter::sfLinear);
  p.drawImage(QRect(destination.Left, destination.Top, destination.Width(), destination.Height()),
              WrapBitmap(picture, true));
  if (!p.end()) return fail("The printer could not finish the job.");
  return Ok{};
}

}  // namespace kelvane::ui
