#pragma once
#include <QDialog>
#include <QDoubleSpinBox>
#include <QSpinBox>

#include "drape/FollowFolds.h"

namespace kelvane::ui {

// "Follow Folds": the lattice laid over the object's mask and how strongly its texture
// follows the photograph's folds. Keeps the last answer for the next time.
class TFollowFoldsForm final : public QDialog, public TFoldPrompt {
  Q_OBJECT
public:
  explicit TFollowFoldsForm(QWidget* parent = nullptr);
  std::optional<TFoldOptions> AskFoldOptions() override;

private:
  QSpinBox* columns_;
  QSpinBox* rows_;
  QDoubleSpinBox* strength_;
};

}  // namespace kelvane::ui
