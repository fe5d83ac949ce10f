#pragma once
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

class TTrackEdit;

// "Params": the selected included object's place, adjustments and opacity, and its
// pictures. It edits through the document's session and follows its selection.
class TIncObjParamsForm final : public QWidget {
  Q_OBJECT
public:
  TIncObjParamsForm(TKVXEditSession& session, QWidget* parent);
  // The fields from the selected entry; disabled without one.
  void Refresh();
  QDoubleSpinBox* Place(int i) const { return place_[size_t(i)]; }
  TTrackEdit* Adjustment(int i) const { return adjust_[size_t(i)]; }

private:
  void Write();

  TKVXEditSession& session_;
  std::array<QDoubleSpinBox*, 4> place_{};  // left, top, width, height
  std::array<TTrackEdit*, 4> adjust_{};     // brightness, contrast, gamma, opacity
  QPushButton *loadAlpha_ = nullptr, *clearAlpha_ = nullptr, *delete_ = nullptr;
  bool loading_ = false;
};

}  // namespace kelvane::ui
