#include "TKVXNPRFilterForm.h"

#include <QHBoxLayout>
#include <QLabel>

namespace kelvane::ui {

TKVXNPRFilterForm::TKVXNPRFilterForm(QWidget* parent) : TKVXBaseFilterForm(parent, {320, 240}) {
  setObjectName("TKVXNPRFilterForm");
  setWindowTitle("KVXNPRFilterForm");
  distortion_ = new TTrackEdit("Egde Distroy:", 0, 10, 0, this);
  intensity_ = new TTrackEdit("Egde Intensity:", 1, 255, 128, this);
  noise_ = new TTrackEdit("Add Noise:", 0, 100, 1, this);
  for (TTrackEdit* t : {distortion_, intensity_, noise_}) {
    Controls()->addWidget(t);
    connect(t, &TTrackEdit::ValueChanged, this, [this] { Recompute(); });
  }
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Edge Mode:", this));
  mode_ = new QComboBox(this);
  mode_->addItems({"Find Edge", "Sobel"});
  connect(mode_, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
  row->addWidget(mode_, 1);
  Controls()->addLayout(row);
}

TFilterValues TKVXNPRFilterForm::Values() {
  TFilterValues v;
  v.Npr.distortion = distortion_->Value();
  v.Npr.edgeIntensity = intensity_->Value();
  v.Npr.noise = noise_->Value();
  v.Npr.mode = mode_->currentIndex() == 1 ? TEdgeMode::Sobel : TEdgeMode::FindEdge;
  return v;
}

}  // namespace kelvane::ui
