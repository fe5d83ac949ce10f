#pragma once
#include <QDialog>

#include "app/TKVXEditSession.h"
#include "raster/BalanceTable.h"

namespace kelvane::ui {

class TTrackEdit;

// "Balans": brightness, contrast and gamma previewed on the result image; OK makes the
// adjusted picture the base image too, Cancel puts the result back.
class TBalansForm final : public QDialog {
  Q_OBJECT
public:
  explicit TBalansForm(QWidget* parent = nullptr);
  void Run(TKVXEditSession& doc);

private:
  BalanceInputs Inputs() const;
  TTrackEdit* bars_[3];
};

}  // namespace kelvane::ui
