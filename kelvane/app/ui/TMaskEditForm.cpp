#include "TMaskEditForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "Cursors.h"
#include "QtBitmap.h"

namespace kelvane::ui {

// The picture under the red film of the mask, at the editor's zoom; only the part that
// is exposed is drawn.
class TMaskCanvas final : public QWidget {
public:
  TMaskCanvas(TMaskEditForm& form, const TBitmap32& picture) : QWidget(&form), form_(form), picture_(picture) {
    setObjectName("MaskCanvas");
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void Resize() { resize(int(std::ceil(picture_.Width() * form_.Zoom())), int(std::ceil(picture_.Height() * form_.Zoom()))); }

protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    const double z = form_.Zoom();
    const QRect r = e->rect();
    const QRectF src(r.left() / z, r.top() / z, r.width() / z, r.height() / z);
    p.fillRect(r, Qt::gray);
    p.setRenderHint(QPainter::SmoothPixmapTransform, z < 1);
    p.drawImage(QRectF(r), WrapBitmap(picture_, true), src);
    TMaskEditor& ed = form_.Editor();
    p.setOpacity(127 / 255.0);
    p.drawImage(QRectF(r), WrapBitmap(ed.MaskLayer(), true), src);
    if (ed.Stroking()) {
      p.setOpacity(std::clamp(ed.Opacity, 0, 255) / 255.0);
      p.drawImage(QRectF(r), WrapBitmap(ed.StrokeLayer(), false), src);
    }
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
    form_.Editor().Press(ToImage(e), e->button() == Qt::LeftButton);
    update();
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & (Qt::LeftButton | Qt::RightButton)) || !form_.Editor().Stroking()) return;
    form_.Editor().Move(ToImage(e));
    update();
  }
  void mouseReleaseEvent(QMouseEvent*) override {
    form_.Editor().Release();
    update();
  }

private:
  TPoint ToImage(const QMouseEvent* e) const {
    return {int(std::floor(e->position().x() / form_.Zoom())), int(std::floor(e->position().y() / form_.Zoom()))};
  }
  TMaskEditForm& form_;
  const TBitmap32& picture_;
};

TMaskEditForm::TMaskEditForm(const TBitmap32& picture, const TByteMap& mask, QWidget* parent)
    : QDialog(parent), picture_(picture), editor_(mask) {
  setObjectName("TMaskEditForm");
  setWindowTitle("Mask Edit Tool");
  auto* l = new QHBoxLayout(this);
  scroll_ = new QScrollArea(this);
  scroll_->setBackgroundRole(QPalette::Dark);
  canvas_ = new TMaskCanvas(*this, picture_);
  scroll_->setWidget(canvas_);
  l->addWidget(scroll_, 1);

  auto* side = new QVBoxLayout;
  auto labelled = [&](QLabel*& label, QScrollBar*& bar, int lo, int hi, int v, QLayout* into) {
    label = new QLabel(this);
    bar = Bar(lo, hi, v);
    into->addWidget(label);
    into->addWidget(bar);
  };
  labelled(sizeLabel_, size_, 1, 100, 50, side);
  labelled(zoomLabel_, zoomBar_, 1, 400, 100, side);
  labelled(opacityLabel_, opacity_, 0, 255, 255, side);
  pencil_ = new QRadioButton("Pencil", this);
  brush_ = new QRadioButton("Brush", this);
  brush_->setChecked(true);
  side->addWidget(pencil_);
  side->addWidget(brush_);
  brushOptions_ = new QGroupBox(" Additional brush options ", this);
  auto* bl = new QVBoxLayout(brushOptions_);
  labelled(intensityLabel_, intensity_, 1, 100, 100, bl);
  labelled(stepsLabel_, steps_, 1, 100, 1, bl);
  side->addWidget(brushOptions_);
  circles_ = new QCheckBox("Use circles in pencil mode", this);
  circles_->setChecked(true);
  side->addWidget(circles_);
  side->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  side->addWidget(buttons);
  auto* sideWidget = new QWidget(this);
  sideWidget->setLayout(side);
  sideWidget->setFixedWidth(230);
  l->addWidget(sideWidget);
  for (QRadioButton* r : {pencil_, brush_}) connect(r, &QRadioButton::toggled, this, &TMaskEditForm::SettingsChanged);
  connect(circles_, &QCheckBox::toggled, this, &TMaskEditForm::SettingsChanged);
  SettingsChanged();
  resize(1000, 700);
}

TMaskEditForm::~TMaskEditForm() = default;

QWidget* TMaskEditForm::Canvas() const { return canvas_; }

QScrollBar* TMaskEditForm::Bar(int minimum, int maximum, int value) {
  auto* b = new QScrollBar(Qt::Horizontal, this);
  b->setRange(minimum, maximum);
  b->setValue(value);
  connect(b, &QScrollBar::valueChanged, this, &TMaskEditForm::SettingsChanged);
  return b;
}

void TMaskEditForm::SettingsChanged() {
  editor_.BrushSize = size_->value();
  editor_.Opacity = opacity_->value();
  editor_.Intensity = intensity_->value();
  editor_.Steps = steps_->value();
  editor_.Pencil = pencil_->isChecked();
  editor_.Circles = circles_->isChecked();
  zoom_ = zoomBar_->value() / 100.0;
  sizeLabel_->setText(QString("Brushsize: %1px").arg(editor_.BrushSize));
  zoomLabel_->setText(QString("Zoom %1X").arg(zoom_));
  opacityLabel_->setText(QString("Opacity: %1%").arg(std::lround(editor_.Opacity / 2.55)));
  intensityLabel_->setText(QString("Brush intensity: %1%").arg(editor_.Intensity));
  stepsLabel_->setText(QString("Brush steps: %1px").arg(editor_.Steps));
  brushOptions_->setVisible(!editor_.Pencil);
  circles_->setVisible(editor_.Pencil);
  canvas_->Resize();
  canvas_->update();
  UpdateCursor();
}

void TMaskEditForm::UpdateCursor() {
  canvas_->setCursor(BrushCursor(int(std::lround(editor_.BrushSize * zoom_))));
}

}  // namespace kelvane::ui
