#include "TBatchDrapeForm.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

TBatchDrapeForm::TBatchDrapeForm(TKVXEditSession& doc, QWidget* parent) : QDialog(parent), doc_(doc) {
  setObjectName("TBatchDrapeForm");
  setWindowTitle("Batch Drape");
  object_ = new QComboBox(this);
  for (int row = 0; row < doc_.RowCount(); ++row) object_->addItem(FromDocumentText(doc_.RowCaption(row)));
  object_->setCurrentIndex(std::max(0, doc_.CurrentIndex()));
  textures_ = new QLineEdit(this);
  out_ = new QLineEdit(this);
  format_ = new QComboBox(this);
  format_->addItems({"jpg", "png", "bmp"});
  quality_ = new QSpinBox(this);
  quality_->setRange(1, 100);
  quality_->setValue(90);
  connect(format_, &QComboBox::currentTextChanged, this, [this](const QString& f) { quality_->setEnabled(f == "jpg"); });

  auto browse = [this](QLineEdit* edit, const char* caption, bool files) {
    auto* row = new QHBoxLayout;
    auto* b = new QPushButton(caption, this);
    row->addWidget(edit, 1);
    row->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, edit, files] {
      const QString p = files ? QFileDialog::getOpenFileName(this, "Texture Library", {},
                                                             "Texture Libraries (*.kvt *.kvp)")
                              : QFileDialog::getExistingDirectory(this, "Folder");
      if (!p.isEmpty()) edit->setText(p);
    });
    return row;
  };
  auto* texRow = browse(textures_, "Folder...", false);
  auto* libButton = new QPushButton("Library...", this);
  texRow->addWidget(libButton);
  connect(libButton, &QPushButton::clicked, this, [this] {
    const QString p = QFileDialog::getOpenFileName(this, "Texture Library", {}, "Texture Libraries (*.kvt *.kvp)");
    if (!p.isEmpty()) textures_->setText(p);
  });

  auto* form = new QFormLayout;
  form->addRow("Object:", object_);
  form->addRow("Textures:", texRow);
  form->addRow("Output folder:", browse(out_, "Browse...", false));
  form->addRow("Format:", format_);
  form->addRow("Quality:", quality_);

  bar_ = new QProgressBar(this);
  status_ = new QLabel(this);
  status_->setObjectName("BatchStatus");
  status_->setWordWrap(true);
  start_ = new QPushButton("Start", this);
  cancel_ = new QPushButton("Close", this);
  connect(start_, &QPushButton::clicked, this, [this] { Start(); });
  connect(cancel_, &QPushButton::clicked, this, &TBatchDrapeForm::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(start_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(bar_);
  layout->addWidget(status_);
  layout->addLayout(buttons);
  resize(560, 300);
  poll_.setInterval(100);
  connect(&poll_, &QTimer::timeout, this, &TBatchDrapeForm::Poll);
}

TBatchDrapeForm::~TBatchDrapeForm() {
  work_.Cancel();
  work_.Wait();
}

TBatchChoice TBatchDrapeForm::Choice() const {
  TBatchChoice c;
  c.Object = object_->currentIndex();
  c.Textures = ToUtf8(textures_->text());
  c.OutFolder = ToUtf8(out_->text());
  c.Format = ToUtf8(format_->currentText());
  c.Quality = quality_->value();
  return c;
}

void TBatchDrapeForm::SetChoice(const TBatchChoice& c) {
  object_->setCurrentIndex(c.Object);
  textures_->setText(FromUtf8(c.Textures));
  out_->setText(FromUtf8(c.OutFolder));
  format_->setCurrentText(FromUtf8(c.Format));
  quality_->setValue(c.Quality);
}

bool TBatchDrapeForm::Start() {
  if (work_.Running() || doc_.Busy()) return false;
  running_ = Choice();
  if (auto wrong = CheckBatchChoice(doc_, running_)) {
    status_->setText(FromUtf8(*wrong));
    return false;
  }
  report_.reset();
  TBatchDrape job = MakeBatchJob(doc_, running_);
  TKVXFile2* file = &doc_.Doc;
  work_.Start([this, job, file](TProgress& progress, const std::atomic<bool>& cancel) mutable {
    job.Progress = &progress;
    job.Cancel = &cancel;
    job.OnItem = [&progress](const TBatchItem& item) {
      progress.Message(item.Error.empty() ? item.Texture : item.Texture + ": " + item.Error);
    };
    report_ = BatchDrape(*file, job);
  });
  start_->setEnabled(false);
  cancel_->setText("Cancel");
  status_->setText("Draping...");
  poll_.start();
  return true;
}

void TBatchDrapeForm::Poll() {
  bar_->setMaximum(std::max(1, work_.Maximum()));
  bar_->setValue(work_.Position());
  if (work_.Running()) {
    status_->setText(FromUtf8(work_.MessageText()));
    return;
  }
  work_.Wait();
  poll_.stop();
  start_->setEnabled(true);
  cancel_->setText("Close");
  if (!report_) return;
  status_->setText(report_->ok() ? FromUtf8(BatchSummary(report_->value(), running_.OutFolder))
                                 : FromUtf8(report_->error()));
}

void TBatchDrapeForm::reject() {
  // While the job runs, Cancel stops it after the texture in hand; the dialog stays.
  if (work_.Running()) {
    work_.Cancel();
    status_->setText("Cancelling...");
    return;
  }
  QDialog::reject();
}

}  // namespace kelvane::ui
