#pragma once
#include <QPrinter>

#include "app/SessionExport.h"

namespace kelvane::ui {

// Printing through a QPrinter: the printable page in device pixels, its orientation,
// and one page per job. A printer set to a PDF file writes the file.
class TQtPrinter final : public TPrinter {
public:
  explicit TQtPrinter(QPrinter& printer) : printer_(printer) {}
  int PageWidth() override;
  int PageHeight() override;
  bool Landscape() override;
  void SetLandscape(bool landscape) override;
  Status PrintPage(const std::string& title, const TBitmap32& picture, const TRect& destination) override;

private:
  QPrinter& printer_;
};

}  // namespace kelvane::ui
