#pragma once
#include <QDialog>
#include <QLabel>
#include <QPrinter>
#include <QRadioButton>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// "Print Preview": the document's result image on a miniature of the printer page, the
// orientation, the printer set-up, printing and "Close".
class TPrintPreviewForm final : public QDialog {
  Q_OBJECT
public:
  TPrintPreviewForm(TKVXEditSession& doc, QPrinter& printer, const QString& title, QWidget* parent = nullptr);

  // The page miniature drawn again (orientation or page changed).
  void DrawPage();
  void SetLandscape(bool landscape);
  // The print button: the print dialog (a PDF file when there is no printer), then
  // the page. True when it was printed.
  bool Print();
  // Prints on the printer as it is set, without asking (the dialog's accepted case).
  bool PrintNow();

  QLabel* Page() const { return page_; }
  QRadioButton* Portrait() const { return portrait_; }
  QRadioButton* LandscapeButton() const { return landscape_; }

private:
  void ShowOrientation();

  TKVXEditSession& doc_;
  QPrinter& printer_;
  QString title_;
  QLabel* page_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
};

}  // namespace kelvane::ui
