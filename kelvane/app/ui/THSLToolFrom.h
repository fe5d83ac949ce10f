#pragma once
#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

#include "TRealTrackEdit.h"
#include "app/Services.h"

namespace kelvane::ui {

// The HSL colour range's tolerances; every change makes the active document's HSL
// selection follow at once. The window comes back where the user left it, in this run
// and the next (through the settings store); its values start afresh each run.
class THSLToolFrom final : public QWidget {
  Q_OBJECT
public:
  using Changed = std::function<void(float deltaH, float deltaS, float deltaL)>;
  THSLToolFrom(Changed changed, TSettingsStore* settings, QWidget* parent = nullptr);
  TRealTrackEdit* DeltaH() const { return h_; }
  TRealTrackEdit* DeltaS() const { return s_; }
  TRealTrackEdit* DeltaL() const { return l_; }

  // Shows the window where it was left, or at `firstPlace` when it never was (or the
  // screen it was left on is gone).
  void ShowAt(QPoint firstPlace);

protected:
  void hideEvent(QHideEvent* e) override;

private:
  Changed changed_;
  TSettingsStore* settings_;
  std::optional<QPoint> place_;
  bool loaded_ = false;
  TRealTrackEdit *h_, *s_, *l_;
};

}  // namespace kelvane::ui
