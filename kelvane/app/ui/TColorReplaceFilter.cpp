#include "TColorReplaceFilter.h"

#include <QPixmap>

namespace kelvane::ui {

namespace {

constexpr int kStripWidth = 200;

QLabel* Strip(QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setFixedSize(kStripWidth, 8);
  l->setScaledContents(true);
  return l;
}

void ShowStrip(QLabel* label, const std::vector<TColor32>& colours) {
  QImage image(int(colours.size()), 1, QImage::Format_RGB32);
  for (int x = 0; x < image.width(); ++x) image.setPixel(x, 0, colours[size_t(x)]);
  label->setPixmap(QPixmap::fromImage(image));
}

}  // namespace

TColorReplaceFilter::TColorReplaceFilter(QWidget* parent) : TKVXBaseFilterForm(parent, {320, 240}) {
  setObjectName("TColorReplaceFilter");
  setWindowTitle("ColorReplaceFilter");
  h_ = new TRealTrackEdit("H:", 0, 1, 0, 3, this);
  hueStrip_ = Strip(this);
  kS_ = new TRealTrackEdit("kS:", 0, 5, 1, 2, this);
  lightnessStrip_ = Strip(this);
  kL_ = new TRealTrackEdit("kL:", 0, 2, 1, 2, this);
  saturationStrip_ = Strip(this);
  dH_ = new TRealTrackEdit("Delta H:", 1, 50, 10, 1, this);
  dS_ = new TRealTrackEdit("Delta S:", 0, 1, 1, 2, this);
  dL_ = new TRealTrackEdit("Delta L:", 0, 1, 1, 2, this);
  band_ = Strip(this);
  band_->setToolTip("The hues the reference colours match");
  Controls()->addWidget(h_);
  Controls()->addWidget(hueStrip_);
  Controls()->addWidget(kS_);
  Controls()->addWidget(lightnessStrip_);
  Controls()->addWidget(kL_);
  Controls()->addWidget(saturationStrip_);
  for (TRealTrackEdit* t : {dH_, dS_, dL_}) Controls()->addWidget(t);
  Controls()->addWidget(band_);
  for (TRealTrackEdit* t : {h_, kS_, kL_, dH_, dS_, dL_})
    connect(t, &TRealTrackEdit::ValueChanged, this, [this] { Recompute(); });
  ShowStrip(hueStrip_, HueStrip(kStripWidth));
}

TColorReplaceControls TColorReplaceFilter::ControlValues() const {
  return {.H = float(h_->Value()),
          .kS = float(kS_->Value()),
          .kL = float(kL_->Value()),
          .DeltaH = float(dH_->Value()),
          .DeltaS = float(dS_->Value()),
          .DeltaL = float(dL_->Value())};
}

TFilterValues TColorReplaceFilter::Values() {
  WriteControls(set_, ControlValues());
  TFilterValues v;
  v.Colors = set_;
  return v;
}

void TColorReplaceFilter::Picked(QPoint at, bool shift) {
  if (!Preview()) return;
  PickReference(set_, Preview()->CompositePixel(at.x(), at.y()), shift);
  setWindowTitle(QString::number(int(set_.size()) - 1));
}

void TColorReplaceFilter::Recomputed() {
  if (set_.empty()) return;
  const TRepColor& first = set_.front();
  const float h = float(h_->Value());
  ShowStrip(lightnessStrip_, LightnessStrip(kStripWidth, h, first, float(kS_->Value())));
  ShowStrip(saturationStrip_, SaturationStrip(kStripWidth, h, first, float(kL_->Value())));
  ShowStrip(band_, MatchedHueBand(kStripWidth, first));
}

}  // namespace kelvane::ui
