#include "TJpegPreviewWorker.h"

namespace kelvane {

TJpegPreviewWorker::TJpegPreviewWorker(TBitmap32 source, std::function<void()> onReady)
    : source_(std::move(source)), onReady_(std::move(onReady)), thread_([this] { Work(); }) {}

TJpegPreviewWorker::~TJpegPreviewWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void TJpegPreviewWorker::Request(int quality) {
  {
    std::lock_guard lock(mutex_);
    wanted_ = quality;
  }
  wake_.notify_all();
}

std::optional<Result<TJpegPreview>> TJpegPreviewWorker::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(done_, std::nullopt);
}

bool TJpegPreviewWorker::Busy() const {
  std::lock_guard lock(mutex_);
  return working_ || wanted_.has_value();
}

void TJpegPreviewWorker::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || wanted_; });
    if (stop_) return;
    const int quality = *std::exchange(wanted_, std::nullopt);
    working_ = true;
    lock.unlock();
    auto preview = PreviewJpeg(source_, quality);
    lock.lock();
    working_ = false;
    done_ = std::move(preview);
    if (onReady_) {
      lock.unlock();
      onReady_();
      lock.lock();
    }
  }
}

}  // namespace kelvane
