#include "TKVXJpegExport.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "QtBitmap.h"

namespace kelvane::ui {

// The preview frame: the picture at 1:1, dragged with the mouse to see another part.
class TPanPreview final : public QWidget {
public:
  explicit TPanPreview(QWidget* parent) : QWidget(parent) {
    setMinimumSize(420, 320);
    setCursor(Qt::OpenHandCursor);
  }
  void SetPicture(const TBitmap32& b) {
    image_ = WrapBitmap(b, true).copy();
    Clamp();
    update();
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(110, 115, 128));
    // A picture smaller than the frame is centred.
    const int x = image_.width() < width() ? (width() - image_.width()) / 2 : -offset_.x();
    const int y = image_.height() < height() ? (height() - image_.height()) / 2 : -offset_.y();
    p.drawImage(x, y, image_);
  }
  void mousePressEvent(QMouseEvent* e) override { last_ = e->position().toPoint(); }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & Qt::LeftButton)) return;
    offset_ -= e->position().toPoint() - last_;
    last_ = e->position().toPoint();
    Clamp();
    update();
  }
  void resizeEvent(QResizeEvent*) override { Clamp(); }

private:
  void Clamp() {
    offset_.setX(std::clamp(offset_.x(), 0, std::max(0, int(image_.width()) - width())));
    offset_.setY(std::clamp(offset_.y(), 0, std::max(0, int(image_.height()) - height())));
  }
  QImage image_;
  QPoint offset_, last_;
};

TKVXJpegExport::TKVXJpegExport(QWidget* parent) : QDialog(parent) {
  setObjectName("TKVXJpegExport");
  setWindowTitle("Jpeg Export");
  preview_ = new TPanPreview(this);
  quality_ = new QSpinBox(this);
  quality_->setObjectName("QualityEdit");
  quality_->setRange(1, 100);
  quality_->setValue(kDefaultJpegQuality);
  size_ = new QLabel(this);
  size_->setObjectName("SizeLabel");
  size_->setMinimumWidth(140);
  connect(quality_, &QSpinBox::valueChanged, this, [this](int q) {
    if (worker_) worker_->Request(q);
  });
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Compression", this), 0, 0);
  grid->addWidget(quality_, 0, 1);
  grid->addWidget(new QLabel("Size:", this), 0, 2);
  grid->addWidget(size_, 0, 3);
  grid->setColumnStretch(4, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(preview_, 1);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  resize(640, 520);
}

TKVXJpegExport::~TKVXJpegExport() = default;

void TKVXJpegExport::SetSource(const TBitmap32& picture) {
  worker_.reset();
  size_->clear();
  worker_ = std::make_unique<TJpegPreviewWorker>(
      picture, [this] { QMetaObject::invokeMethod(this, [this] { TakePreview(); }, Qt::QueuedConnection); });
  worker_->Request(quality_->value());
}

bool TKVXJpegExport::Busy() const { return worker_ && worker_->Busy(); }

void TKVXJpegExport::TakePreview() {
  if (!worker_) return;
  auto done = worker_->Take();
  if (!done) return;
  if (!done->ok()) {
    size_->setText(FromUtf8(done->error()));
    return;
  }
  TJpegPreview& p = done->value();
  size_->setText(FromUtf8(JpegSizeText(p.Size)));
  shown_ = std::move(p.Picture);
  preview_->SetPicture(shown_);
}

std::optional<int> TKVXJpegExport::AskQuality(const TBitmap32& picture) {
  SetSource(picture);
  const bool ok = exec() == QDialog::Accepted;
  worker_.reset();
  if (!ok) return std::nullopt;
  return JpegQuality(quality_->value());
}

}  // namespace kelvane::ui
