#pragma once
#include <QDialog>
#include <QLabel>
#include <QSpinBox>
#include <memory>

#include "app/SessionExport.h"
#include "output/TJpegPreviewWorker.h"

namespace kelvane::ui {

class TPanPreview;

// The JPEG export dialog: "Compression" with the quality (1..100), "Size:" with the
// compressed size in bytes, and a pannable preview of the picture as the quality leaves
// it, compressed again in the background whenever the quality changes.
class TKVXJpegExport final : public QDialog, public TJpegQualityDialog {
  Q_OBJECT
public:
  explicit TKVXJpegExport(QWidget* parent = nullptr);
  ~TKVXJpegExport() override;

  // Shows the dialog on the picture; the quality on OK.
  std::optional<int> AskQuality(const TBitmap32& picture) override;
  // Prepares the dialog on the picture without showing it.
  void SetSource(const TBitmap32& picture);

  QSpinBox* Quality() const { return quality_; }
  QLabel* SizeLabel() const { return size_; }
  // True while a preview is being compressed.
  bool Busy() const;
  // The preview as last shown.
  const TBitmap32& Shown() const { return shown_; }

private:
  void TakePreview();

  QSpinBox* quality_;
  QLabel* size_;
  TPanPreview* preview_;
  std::unique_ptr<TJpegPreviewWorker> worker_;
  TBitmap32 shown_;
};

}  // namespace kelvane::ui
