#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>

#include "app/TKVXOptions.h"

namespace kelvane::ui {

// "Options": the grid, render and texture library pages.
class TOptionsDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TOptionsDlg(QWidget* parent = nullptr);
  // Shows the values, runs the dialog and leaves the edited values in `o` on OK.
  bool Edit(TKVXOptions& o);
  void Show(const TKVXOptions& o);
  void Take(TKVXOptions& o) const;

  QSpinBox* NodeSize() const { return nodeSize_; }
  QListWidget* Paths() const { return paths_; }

private:
  QTabWidget* pages_;
  QSpinBox* nodeSize_;
  QCheckBox* showTexture_;
  QComboBox* aaLevel_;
  QCheckBox* autoRender_;
  QCheckBox* groupByMat_;
  QListWidget* paths_;
};

}  // namespace kelvane::ui
