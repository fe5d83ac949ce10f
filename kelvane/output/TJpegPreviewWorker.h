#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "ExportJpeg.h"

namespace kelvane {

// Recomputes the export dialog's preview off the interface thread: each Request replaces
// the one waiting, so dragging the quality edit compresses only the latest value.
class TJpegPreviewWorker {
public:
  // The source is the copy of the result image the dialog shows.
  explicit TJpegPreviewWorker(TBitmap32 source, std::function<void()> onReady = {});
  ~TJpegPreviewWorker();
  TJpegPreviewWorker(const TJpegPreviewWorker&) = delete;
  TJpegPreviewWorker& operator=(const TJpegPreviewWorker&) = delete;

  void Request(int quality);
  // The newest finished preview not taken yet. onReady runs on the worker thread after
  // each one.
  std::optional<Result<TJpegPreview>> Take();
  // True while a requested preview is not finished.
  bool Busy() const;

private:
  void Work();

  const TBitmap32 source_;
  std::function<void()> onReady_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<int> wanted_;
  std::optional<Result<TJpegPreview>> done_;
  bool working_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace kelvane
