#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QVBoxLayout>
#include <memory>

#include "app/FilterDialogs.h"
#include "app/TKVXEditSession.h"

namespace kelvane::ui {

class TPreviewArea;

// The filter dialog: a preview of the filter on a pannable 1:1 window of the result
// image, over a checkerboard where the selection is not, "Preview", OK and Cancel.
// Filters without parameters use it as it is; the others add their controls.
class TKVXBaseFilterForm : public QDialog {
  Q_OBJECT
public:
  explicit TKVXBaseFilterForm(QWidget* parent = nullptr, QSize previewSize = {169, 153});
  ~TKVXBaseFilterForm() override;

  // The dialog for the filter on the document; on OK the filter runs through the
  // current mask with the dialog's values. True when it ran.
  bool Run(TKVXEditSession& doc, const TFilterKind& kind);
  QCheckBox* PreviewCheck() const { return previewCheck_; }
  const TFilterPreview* Preview() const { return preview_.get(); }
  // What a press, drag and release at preview positions do (tests drive these).
  void PressAt(QPoint p);
  void DragTo(QPoint p);
  void ReleaseAt(QPoint p, bool shift);

protected:
  virtual TFilterValues Values() { return {}; }
  // A release over the preview without a drag, at a preview position.
  virtual void Picked(QPoint, bool) {}
  // After every recomputation (strips and captions of derived dialogs).
  virtual void Recomputed() {}
  void Recompute();
  QVBoxLayout* Controls() const { return controls_; }

private:
  std::unique_ptr<TFilterPreview> preview_;
  const TFilterKind* kind_ = nullptr;
  TPreviewArea* area_ = nullptr;
  QCheckBox* previewCheck_ = nullptr;
  QVBoxLayout* controls_ = nullptr;
  QSize previewSize_;
  QPoint last_, pressed_;
  bool dragged_ = false;
};

}  // namespace kelvane::ui
