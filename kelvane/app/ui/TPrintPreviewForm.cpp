#include "TPrintPreviewForm.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "QtBitmap.h"
#include "QtPrinter.h"
#include "output/PrintPreview.h"

namespace kelvane::ui {

namespace {
constexpr int kPageArea = 460;  // the page picture's square, in screen pixels
}

TPrintPreviewForm::TPrintPreviewForm(TKVXEditSession& doc, QPrinter& printer, const QString& title, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), doc_(doc), printer_(printer), title_(title) {
  setObjectName("TPrintPreviewForm");
  setWindowTitle("Print Preview");
  setAttribute(Qt::WA_DeleteOnClose);
  page_ = new QLabel(this);
  page_->setObjectName("PagePicture");
  page_->setFixedSize(kPageArea, kPageArea);
  page_->setAlignment(Qt::AlignCenter);
  page_->setStyleSheet("background: #6e7380;");

  auto* orientation = new QGroupBox("Orientation", this);
  auto* ol = new QVBoxLayout(orientation);
  portrait_ = new QRadioButton("Portrait", orientation);
  landscape_ = new QRadioButton("Landscape", orientation);
  ol->addWidget(portrait_);
  ol->addWidget(landscape_);
  connect(portrait_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetLandscape(false);
  });
  connect(landscape_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetLandscape(true);
  });

  auto* setup = new QPushButton("Print Setup...", this);
  connect(setup, &QPushButton::clicked, this, [this] {
    QPageSetupDialog dialog(&printer_, this);
    dialog.exec();
    DrawPage();
    ShowOrientation();
  });
  auto* print = new QPushButton("Print", this);
  print->setObjectName("PrintButton");
  connect(print, &QPushButton::clicked, this, [this] { Print(); });
  auto* close = new QPushButton("Close", this);
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  auto* side = new QVBoxLayout;
  side->addWidget(orientation);
  side->addWidget(setup);
  side->addStretch(1);
  side->addWidget(print);
  side->addWidget(close);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(page_);
  layout->addLayout(side);
  ShowOrientation();
  DrawPage();
}

void TPrintPreviewForm::ShowOrientation() {
  const QSignalBlocker a(portrait_), b(landscape_);
  const bool landscape = TQtPrinter(printer_).Landscape();
  landscape_->setChecked(landscape);
  portrait_->setChecked(!landscape);
}

void TPrintPreviewForm::SetLandscape(bool landscape) {
  TQtPrinter(printer_).SetLandscape(landscape);
  ShowOrientation();
  DrawPage();
}

void TPrintPreviewForm::DrawPage() {
  TBusyScope busy(doc_.Services().Cursor);
  TQtPrinter p(printer_);
  const TBitmap32& picture = doc_.Doc.Result;
  const TPageMiniature m =
      PageMiniature(page_->width(), page_->height(), p.PageWidth(), p.PageHeight(), picture.Width(), picture.Height());
  const TBitmap32 drawn = DrawPageMiniature(m, picture);
  page_->setPixmap(QPixmap::fromImage(WrapBitmap(drawn, false).copy()));
}

bool TPrintPreviewForm::Print() {
  QPrintDialog dialog(&printer_, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  const bool done = PrintNow();
  if (done) close();
  return done;
}

bool TPrintPreviewForm::PrintNow() {
  TQtPrinter p(printer_);
  Status s = PrintDocument(doc_, p, ToUtf8(title_));
  if (!s && doc_.Services().Messages) doc_.Services().Messages->Show(s.error());
  return s.ok();
}

}  // namespace kelvane::ui
