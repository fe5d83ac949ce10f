#include "TKVXMatialParamsForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <cmath>

namespace kelvane::ui {

namespace {
QString Text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
constexpr int kSliderSteps = 1000;

int SliderPosition(const TTexParamField& f, double v) {
  return int(std::lround((v - f.Min) / (f.Max - f.Min) * kSliderSteps));
}
double SliderValue(const TTexParamField& f, int position) {
  return f.Min + (f.Max - f.Min) * position / double(kSliderSteps);
}
}  // namespace

TKVXMatialParamsForm::TKVXMatialParamsForm(ActiveDocument active, QWidget* parent)
    : QWidget(parent, Qt::Tool), active_(std::move(active)) {
  setObjectName("TKVXMatialParamsForm");
  setWindowTitle(Text(kTexParamsCaption));
  auto* l = new QGridLayout(this);
  l->setContentsMargins(6, 6, 6, 6);
  for (size_t i = 0; i < kTexParamCount; ++i) {
    const TTexParamField& f = kTexParamFields[i];
    auto* field = new QDoubleSpinBox(this);
    field->setObjectName(Text(f.Label));
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
    l->addWidget(new QLabel(Text(f.Label), this), int(i), 0);
    l->addWidget(slider, int(i), 1);
    l->addWidget(field, int(i), 2);
    fields_[i] = field;
    sliders_[i] = slider;
  }
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
  if (TKVXEditSession* doc = active_ ? active_() : nullptr) doc->SetTexParam(Values(), i);
}

}  // namespace kelvane::ui
