#include "THSLToolFrom.h"

#include <QVBoxLayout>

namespace kelvane::ui {

THSLToolFrom::THSLToolFrom(Changed changed, QWidget* parent) : QWidget(parent, Qt::Tool), changed_(std::move(changed)) {
  setObjectName("THSLToolFrom");
  setWindowTitle("HSLToolFrom");
  auto* l = new QVBoxLayout(this);
  h_ = new TRealTrackEdit("Delta H:", 1, 50, 10, 1, this);
  s_ = new TRealTrackEdit("Delta S:", 0, 1, 1, 2, this);
  l_ = new TRealTrackEdit("Delta L:", 0, 1, 1, 2, this);
  for (TRealTrackEdit* t : {h_, s_, l_}) {
    l->addWidget(t);
    connect(t, &TRealTrackEdit::ValueChanged, this,
            [this] { changed_(float(h_->Value()), float(s_->Value()), float(l_->Value())); });
  }
  setMinimumWidth(300);
}

}  // namespace kelvane::ui
