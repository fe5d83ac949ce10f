#include "TIncObjParamsForm.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QVBoxLayout>

#include "QtBitmap.h"
#include "TTrackEdit.h"

namespace kelvane::ui {

TIncObjParamsForm::TIncObjParamsForm(TKVXEditSession& session, QWidget* parent)
    : QWidget(parent, Qt::Tool), session_(session) {
  setObjectName("TIncObjParamsForm");
  setWindowTitle(FromUtf8(kIncObjParamsCaption));
  auto* l = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const char* places[4] = {"Left:", "Top:", "Width:", "Height:"};
  for (int i = 0; i < 4; ++i) {
    auto* s = new QDoubleSpinBox(this);
    s->setObjectName(QString(places[i]).chopped(1));
    s->setDecimals(1);
    s->setRange(i < 2 ? -100000 : 1, 100000);
    s->setKeyboardTracking(false);
    connect(s, &QDoubleSpinBox::valueChanged, this, &TIncObjParamsForm::Write);
    form->addRow(places[i], s);
    place_[size_t(i)] = s;
  }
  l->addLayout(form);
  const struct {
    const char* caption;
    int min, max, value;
  } adjustments[4] = {{"Brightness:", -100, 100, 0}, {"Contrast:", -100, 100, 0}, {"Gamma:", -100, 100, 0},
                      {"Opacity:", 0, 255, 255}};
  for (int i = 0; i < 4; ++i) {
    const auto& a = adjustments[i];
    auto* t = new TTrackEdit(a.caption, a.min, a.max, a.value, this);
    t->setObjectName(QString(a.caption).chopped(1));
    connect(t, &TTrackEdit::ValueChanged, this, &TIncObjParamsForm::Write);
    l->addWidget(t);
    adjust_[size_t(i)] = t;
  }
  auto* buttons = new QGridLayout;
  auto button = [&](std::string_view caption, int at, void (*run)(TKVXEditSession&)) {
    auto* b = new QPushButton(FromUtf8(caption), this);
    connect(b, &QPushButton::clicked, this, [this, run] {
      run(session_);
      Refresh();
    });
    buttons->addWidget(b, at / 2, at % 2);
    return b;
  };
  // Plain functions, not member pointers: sanitizer builds misread those.
  button(kIncObjLoadImage, 0, [](TKVXEditSession& s) { s.LoadIncludedImage(); });
  loadAlpha_ = button(kIncObjLoadAlpha, 1, [](TKVXEditSession& s) { s.LoadIncludedAlpha(); });
  clearAlpha_ = button(kIncObjClearAlpha, 2, [](TKVXEditSession& s) { s.ClearIncludedAlpha(); });
  delete_ = button(kIncObjDelete, 3, [](TKVXEditSession& s) { s.DeleteIncluded(); });
  l->addLayout(buttons);
  Refresh();
}

void TIncObjParamsForm::Refresh() {
  const std::optional<TIncObjParams> p = session_.Included.SelectedParams();
  loading_ = true;
  const TIncObjParams v = p.value_or(TIncObjParams{});
  const double places[4] = {v.Left, v.Top, v.Width, v.Height};
  for (int i = 0; i < 4; ++i) {
    place_[size_t(i)]->setEnabled(p.has_value());
    place_[size_t(i)]->setValue(places[i]);
  }
  const int adjustments[4] = {v.Brightness, v.Contrast, v.Gamma, v.Opacity};
  for (int i = 0; i < 4; ++i) {
    adjust_[size_t(i)]->setEnabled(p.has_value());
    adjust_[size_t(i)]->SetValue(adjustments[i]);
  }
  for (QPushButton* b : {loadAlpha_, clearAlpha_, delete_}) b->setEnabled(p.has_value());
  loading_ = false;
}

void TIncObjParamsForm::Write() {
  if (loading_) return;
  TIncObjParams p;
  p.Left = float(place_[0]->value());
  p.Top = float(place_[1]->value());
  p.Width = float(place_[2]->value());
  p.Height = float(place_[3]->value());
  p.Brightness = adjust_[0]->Value();
  p.Contrast = adjust_[1]->Value();
  p.Gamma = adjust_[2]->Value();
  p.Opacity = adjust_[3]->Value();
  session_.SetIncludedParams(p);
}

}  // namespace kelvane::ui
