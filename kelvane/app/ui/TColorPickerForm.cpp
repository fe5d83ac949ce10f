#include "TColorPickerForm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kelvane::ui {

// The two-channel field with its marker.
class TPickerField final : public QWidget {
public:
  TPickerField(TColorPickerForm& form) : QWidget(&form), form_(form) { setFixedSize(256, 256); }
  QPushButton* Ok = nullptr;

protected:
  void paintEvent(QPaintEvent*) override {
    const TColorPickerModel& m = form_.Model();
    QImage image(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < 256; ++x) row[x] = m.FieldPixel(x, y);
    }
    QPainter p(this);
    p.drawImage(0, 0, image);
    const TColor32 c = m.Colour();
    p.setBrush(QColor::fromRgb(c));
    p.setPen(QColor::fromRgb(~c | 0xFF000000u));
    p.drawEllipse(QRect(m.MarkerX() - 6, m.MarkerY() - 6, 11, 11));
  }
  void mousePressEvent(QMouseEvent* e) override {
    Move(e);
    if (Ok) Ok->setFocus();
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() == Qt::LeftButton) Move(e);
  }

private:
  void Move(QMouseEvent* e) {
    form_.Model().MoveMarker(int(e->position().x()), int(e->position().y()));
    form_.Recompute();
  }
  TColorPickerForm& form_;
};

// The strip of the slider's channel, row i showing the colour with that channel at i.
class TPickerStrip final : public QWidget {
public:
  TPickerStrip(TColorPickerForm& form) : QWidget(&form), form_(form) { setFixedSize(24, 256); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    for (int i = 0; i < 256; ++i) {
      p.setPen(QColor::fromRgb(form_.Model().StripPixel(i)));
      p.drawLine(0, i, width(), i);
    }
  }
  void mousePressEvent(QMouseEvent* e) override { Set(e); }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() == Qt::LeftButton) Set(e);
  }

private:
  void Set(QMouseEvent* e) {
    form_.Model().SetSlider(int(e->position().y()));
    form_.Recompute();
  }
  TColorPickerForm& form_;
};

TColorPickerForm::TColorPickerForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TColorPickerForm");
  setWindowTitle("Color Picker");
  // Nothing answers the widgets' signals until all of them exist.
  updating_ = true;
  auto* l = new QHBoxLayout(this);
  field_ = new TPickerField(*this);
  l->addWidget(field_);
  strip_ = new TPickerStrip(*this);
  l->addWidget(strip_);
  slider_ = new QSlider(Qt::Vertical, this);
  slider_->setRange(0, 255);
  slider_->setInvertedAppearance(true);
  slider_->setFixedHeight(256);
  connect(slider_, &QSlider::valueChanged, this, [this](int v) {
    if (updating_) return;
    model_.SetSlider(v);
    Recompute();
  });
  l->addWidget(slider_);

  auto* right = new QVBoxLayout;
  auto* swatches = new QHBoxLayout;
  old_ = new QWidget(this);
  new_ = new QWidget(this);
  for (QWidget* w : {old_, new_}) {
    w->setFixedSize(48, 32);
    w->setAutoFillBackground(true);
    swatches->addWidget(w);
  }
  right->addLayout(swatches);
  auto* grid = new QGridLayout;
  const char* names[3] = {"R:", "G:", "B:"};
  auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
  for (int i = 0; i < 3; ++i) {
    modes_[i] = new QRadioButton(names[i], this);
    connect(modes_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (!on || updating_) return;
      model_.SetMode(TPickerMode(i));
      Recompute();
    });
    fields_[i] = new QLineEdit(this);
    fields_[i]->setValidator(digits);
    fields_[i]->setMaximumWidth(60);
    connect(fields_[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
      bool ok = false;
      const int v = text.toInt(&ok);
      if (!ok) return;  // not a number: ignored
      model_.SetChannel(i, v);
      typing_ = fields_[i];
      Recompute();
      typing_ = nullptr;
    });
    grid->addWidget(modes_[i], i, 0);
    grid->addWidget(fields_[i], i, 1);
  }
  modes_[0]->setChecked(true);
  grid->addWidget(new QLabel("#", this), 3, 0);
  hex_ = new QLineEdit(this);
  hex_->setMaxLength(6);
  hex_->setMaximumWidth(80);
  connect(hex_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!model_.SetHex(text.toStdString())) return;
    const QSignalBlocker b(hex_);
    const int at = hex_->cursorPosition();
    hex_->setText(text.toUpper());
    hex_->setCursorPosition(at);
    // The field being typed in keeps its text.
    typing_ = hex_;
    Recompute();
    typing_ = nullptr;
  });
  grid->addWidget(hex_, 3, 1);
  right->addLayout(grid);
  right->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  field_->Ok = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  right->addWidget(buttons);
  l->addLayout(right);
  updating_ = false;
}

TColor32 TColorPickerForm::Pick(TColor32 colour) {
  model_.Pick(colour);
  QPalette p = old_->palette();
  p.setColor(QPalette::Window, QColor::fromRgb(model_.Original() | 0xFF000000u));
  old_->setPalette(p);
  Recompute();
  return model_.Result(exec() == QDialog::Accepted);
}

void TColorPickerForm::Recompute() {
  updating_ = true;
  const TColor32 c = model_.Colour();
  modes_[int(model_.Mode())]->setChecked(true);
  slider_->setValue(model_.Slider());
  const int parts[3] = {RedComponent(c), GreenComponent(c), BlueComponent(c)};
  for (int i = 0; i < 3; ++i)
    if (!fields_[i]->hasFocus() && typing_ != fields_[i]) fields_[i]->setText(QString::number(parts[i]));
  if (!hex_->hasFocus() && typing_ != hex_) hex_->setText(QString::fromStdString(model_.Hex()));
  QPalette p = new_->palette();
  p.setColor(QPalette::Window, QColor::fromRgb(c));
  new_->setPalette(p);
  field_->update();
  strip_->update();
  updating_ = false;
}

}  // namespace kelvane::ui
