#include "THSLToolFrom.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "app/TWindowPlace.h"

namespace kelvane::ui {

namespace {
const char* const kPlaceName = "HSLToolFrom";
}  // namespace

THSLToolFrom::THSLToolFrom(Changed changed, TSettingsStore* settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), changed_(std::move(changed)), settings_(settings) {
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

void THSLToolFrom::ShowAt(QPoint firstPlace) {
  if (!loaded_) {
    // The place of an earlier run counts while its title bar is on some screen.
    loaded_ = true;
    if (settings_)
      if (const std::optional<TWindowPlace> saved = LoadWindowPlace(*settings_, kPlaceName)) {
        const QPoint p(saved->Left, saved->Top);
        if (QGuiApplication::screenAt(p + QPoint(24, 8))) place_ = p;
      }
  }
  move(place_.value_or(firstPlace));
  show();
}

void THSLToolFrom::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  // Hidden when another tool is chosen or the program ends: remember where it was.
  if (!loaded_) return;
  place_ = pos();
  if (settings_) SaveWindowPlace(*settings_, kPlaceName, {place_->x(), place_->y()});
}

}  // namespace kelvane::ui
