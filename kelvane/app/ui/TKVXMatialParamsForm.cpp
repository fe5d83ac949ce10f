#include "TKVXMatialParamsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <cmath>

#include "QtBitmap.h"

namespace kelvane::ui {

namespace {
constexpr int kSliderSteps = 1000;

int SliderPosition(const TTexParamField& f, double v) {
  return int(std::lround((v - f.Min) / (f.Max - f.Min) * kSliderSteps));
}
double SliderValue(const TTexParamField& f, int position) {
  return f.Min + (f.Max - f.Min) * position / double(kSliderSteps);
}
constexpr size_t kTileYField = 1;

QDoubleSpinBox* Centimetres(QWidget* parent, const char* name, const QString& unset) {
  auto* b = new QDoubleSpinBox(parent);
  b->setObjectName(name);
  b->setRange(0, kMaxCentimetres);
  b->setDecimals(1);
  b->setSuffix(" cm");
  b->setSpecialValueText(unset);  // shown at 0, which the rule reads as "not given"
  return b;
}
}  // namespace

TKVXMatialParamsForm::TKVXMatialParamsForm(ActiveDocument active, QWidget* parent)
    : QWidget(parent, Qt::Tool), active_(std::move(active)) {
  setObjectName("TKVXMatialParamsForm");
  setWindowTitle(FromUtf8(kTexParamsCaption));
  auto* l = new QGridLayout(this);
  l->setContentsMargins(6, 6, 6, 6);
  for (size_t i = 0; i < kTexParamCount; ++i) {
    const TTexParamField& f = kTexParamFields[i];
    auto* field = new QDoubleSpinBox(this);
    field->setObjectName(FromUtf8(f.Label));
    field->setDecimals(3);
    field->setRange(f.Min, f.Max);
    field->setSingleStep(f.Max - f.Min > 10 ? 1 : 0.01);
    field->setValue(f.Default);
    field->setKeyboardTracking(false);
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, kSliderSteps);
    slider->setValue(SliderPosition(f, f.Default));
    slider->setMinimumWidth(140);
    // The slider and the field show one value; either one writes it.
    connect(slider, &QSlider::valueChanged, this, [this, i, field](int v) {
      {
        const QSignalBlocker b(field);
        field->setValue(SliderValue(kTexParamFields[i], v));
      }
      Changed(i);
    });
    connect(field, &QDoubleSpinBox::valueChanged, this, [this, i, slider](double v) {
      {
        const QSignalBlocker b(slider);
        slider->setValue(SliderPosition(kTexParamFields[i], v));
      }
      Changed(i);
    });
    l->addWidget(new QLabel(FromUtf8(f.Label), this), int(i), 0);
    l->addWidget(slider, int(i), 1);
    l->addWidget(field, int(i), 2);
    fields_[i] = field;
    sliders_[i] = slider;
  }

  int row = int(kTexParamCount);
  keep_ = new QCheckBox(FromUtf8(kKeepProportionsLabel), this);
  keep_->setObjectName("KeepProportions");
  keep_->setToolTip("The Y tiling follows the X tiling, the texture's proportions and the grid's size, "
                    "so the pattern keeps its shape");
  connect(keep_, &QCheckBox::toggled, this, &TKVXMatialParamsForm::KeepToggled);
  l->addWidget(keep_, row++, 0, 1, 3);

  objectWidth_ = Centimetres(this, "ObjectWidth", "not given");
  objectWidth_->setToolTip("How wide the object is in real life");
  l->addWidget(new QLabel(FromUtf8(kObjectWidthLabel), this), row, 0);
  l->addWidget(objectWidth_, row++, 1, 1, 2);

  repeatWidth_ = Centimetres(this, "RepeatWidth", "not given");
  repeatHeight_ = Centimetres(this, "RepeatHeight", "as the texture");
  repeatWidth_->setToolTip("The width of one repeat of the fabric's pattern");
  repeatHeight_->setToolTip("Its height; left at 0 it follows the texture's proportions");
  auto* repeat = new QHBoxLayout;
  repeat->addWidget(repeatWidth_);
  repeat->addWidget(new QLabel("x", this));
  repeat->addWidget(repeatHeight_);
  l->addWidget(new QLabel(FromUtf8(kRepeatLabel), this), row, 0);
  l->addLayout(repeat, row++, 1, 1, 2);

  setTiling_ = new QPushButton(FromUtf8(kSetTilingLabel), this);
  setTiling_->setObjectName("SetTiling");
  setTiling_->setToolTip("The X and Y tiling from the object's width and the repeat");
  setTiling_->setEnabled(false);
  auto enable = [this] { setTiling_->setEnabled(objectWidth_->value() > 0 && repeatWidth_->value() > 0); };
  connect(objectWidth_, &QDoubleSpinBox::valueChanged, this, enable);
  connect(repeatWidth_, &QDoubleSpinBox::valueChanged, this, enable);
  connect(setTiling_, &QPushButton::clicked, this, &TKVXMatialParamsForm::ApplySizes);
  l->addWidget(setTiling_, row, 1, 1, 2, Qt::AlignRight);
}

TTexParamValues TKVXMatialParamsForm::Values() const {
  TTexParamValues v{};
  for (size_t i = 0; i < kTexParamCount; ++i) v[i] = float(fields_[i]->value());
  return v;
}

void TKVXMatialParamsForm::Load(TKVXEditSession* doc) {
  TTexParamValues v{};
  if (doc) {
    v = doc->TexParams();
  } else {
    for (size_t i = 0; i < kTexParamCount; ++i) v[i] = kTexParamFields[i].Default;
  }
  Show(v);
}

void TKVXMatialParamsForm::Show(const TTexParamValues& v) {
  loading_ = true;
  for (size_t i = 0; i < kTexParamCount; ++i) {
    const QSignalBlocker a(fields_[i]), b(sliders_[i]);
    fields_[i]->setValue(v[i]);
    sliders_[i]->setValue(SliderPosition(kTexParamFields[i], v[i]));
  }
  loading_ = false;
}

void TKVXMatialParamsForm::Changed(size_t i) {
  if (loading_) return;
  TKVXEditSession* doc = active_ ? active_() : nullptr;
  if (!doc || !doc->SetTexParam(Values(), i)) return;
  // The X tiling, the seamless crop and the turn all change what keeps the proportions.
  if (keep_->isChecked() && i != kTileYField) ApplyRule({.KeepProportions = true});
}

bool TKVXMatialParamsForm::ApplyRule(const TTileRule& rule) {
  TKVXEditSession* doc = active_ ? active_() : nullptr;
  if (!doc || !doc->ApplyTileRule(rule)) return false;
  Show(doc->TexParams());
  return true;
}

void TKVXMatialParamsForm::KeepToggled(bool on) {
  fields_[kTileYField]->setEnabled(!on);
  sliders_[kTileYField]->setEnabled(!on);
  if (on) ApplyRule({.KeepProportions = true});
}

void TKVXMatialParamsForm::ApplySizes() {
  TTileRule rule;
  rule.ObjectWidthCm = objectWidth_->value();
  rule.RepeatXCm = repeatWidth_->value();
  rule.RepeatYCm = repeatHeight_->value();
  // Real sizes give both tilings; the check box no longer holds Y to X then.
  if (ApplyRule(rule)) keep_->setChecked(false);
}

}  // namespace kelvane::ui
