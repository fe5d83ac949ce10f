#include "TKVXBaseFilterForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>

#include "Cursors.h"
#include "QtBitmap.h"

namespace kelvane::ui {

// The preview picture: paints what the preview shows and hands the mouse to the dialog.
class TPreviewArea final : public QWidget {
public:
  TPreviewArea(TKVXBaseFilterForm& form, QSize size) : QWidget(&form), form_(form) {
    setObjectName("PreviewArea");
    setFixedSize(size);
    setCursor(ProgramCursor(42));
  }
  const TBitmap32* Shown = nullptr;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (Shown && !Shown->Empty()) p.drawImage(QPoint(0, 0), WrapBitmap(*Shown, true));
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) form_.PressAt(e->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() & Qt::LeftButton) form_.DragTo(e->position().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton)
      form_.ReleaseAt(e->position().toPoint(), e->modifiers() & Qt::ShiftModifier);
  }

private:
  TKVXBaseFilterForm& form_;
};

TKVXBaseFilterForm::TKVXBaseFilterForm(QWidget* parent, QSize previewSize)
    : QDialog(parent), previewSize_(previewSize) {
  setObjectName("TKVXBaseFilterForm");
  auto* l = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  area_ = new TPreviewArea(*this, previewSize);
  left->addWidget(area_);
  previewCheck_ = new QCheckBox("Preview", this);
  previewCheck_->setChecked(true);
  connect(previewCheck_, &QCheckBox::toggled, this, [this](bool on) {
    if (!preview_) return;
    preview_->Enabled = on;
    Recompute();
  });
  left->addWidget(previewCheck_);
  left->addStretch(1);
  l->addLayout(left);
  auto* right = new QVBoxLayout;
  controls_ = new QVBoxLayout;
  right->addLayout(controls_);
  right->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  right->addWidget(buttons);
  l->addLayout(right, 1);
}

TKVXBaseFilterForm::~TKVXBaseFilterForm() = default;

bool TKVXBaseFilterForm::Run(TKVXEditSession& doc, const TFilterKind& kind) {
  if (!doc.CurrentMask() || doc.Doc.Result.Empty() || doc.Busy()) return false;
  if (windowTitle().isEmpty() || objectName() == "TKVXBaseFilterForm") setWindowTitle(FromUtf8(std::string(kind.Caption)));
  doc.Doc.Result.OuterColor = doc.Doc.Result.Pixel(0, 0);
  kind_ = &kind;
  preview_ = std::make_unique<TFilterPreview>(doc.Doc.Result, doc.CurrentMask(), previewSize_.width(),
                                              previewSize_.height());
  preview_->Enabled = previewCheck_->isChecked();
  // A selection away from the picture's corner would leave the preview all checkerboard.
  preview_->PanToSelection();
  Recompute();
  const bool ok = exec() == QDialog::Accepted;
  const TFilterValues values = Values();
  area_->Shown = nullptr;
  preview_.reset();
  kind_ = nullptr;
  if (!ok) return false;
  doc.RunFilter(kind, values);
  return true;
}

void TKVXBaseFilterForm::Recompute() {
  if (!preview_ || !kind_) return;
  preview_->Recompute(*kind_, Values());
  area_->Shown = &preview_->Shown();
  area_->update();
  Recomputed();
}

void TKVXBaseFilterForm::PressAt(QPoint p) {
  last_ = pressed_ = p;
  dragged_ = false;
}

void TKVXBaseFilterForm::DragTo(QPoint p) {
  if (!preview_) return;
  if ((p - pressed_).manhattanLength() > 2) dragged_ = true;
  // While dragging the picture moves unfiltered; the release filters it again.
  preview_->PanBy(p.x() - last_.x(), p.y() - last_.y());
  last_ = p;
  area_->Shown = &preview_->Shown();
  area_->update();
}

void TKVXBaseFilterForm::ReleaseAt(QPoint p, bool shift) {
  if (!preview_) return;
  if (!dragged_) Picked(p, shift);
  dragged_ = false;
  Recompute();
}

}  // namespace kelvane::ui
