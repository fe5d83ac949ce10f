#pragma once
#include <QWidget>
#include <functional>

#include "TRealTrackEdit.h"

namespace kelvane::ui {

// The HSL colour range's tolerances; every change makes the active document's HSL
// selection follow at once.
class THSLToolFrom final : public QWidget {
  Q_OBJECT
public:
  using Changed = std::function<void(float deltaH, float deltaS, float deltaL)>;
  explicit THSLToolFrom(Changed changed, QWidget* parent = nullptr);
  TRealTrackEdit* DeltaH() const { return h_; }
  TRealTrackEdit* DeltaS() const { return s_; }
  TRealTrackEdit* DeltaL() const { return l_; }

private:
  Changed changed_;
  TRealTrackEdit *h_, *s_, *l_;
};

}  // namespace kelvane::ui
