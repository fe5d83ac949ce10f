#pragma once
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../raster/TBitmap32.h"
#include "TTexLibTree.h"

namespace kelvane {

// One thumbnail of the library window: its caption and its 100 x 100 picture; Index
// counts the thumbnails shown, from 0.
struct TThumbnailItem {
  int Index = 0;
  std::string Caption;
  TBitmap32 Image;
};

// Makes the thumbnails of the current node in the background, on worker threads that
// live as long as it does. Show starts a node and drops whatever the previous node had
// not delivered; Take hands over the finished thumbnails in display order. A folder's
// pictures that cannot be read are skipped; a library that cannot be opened, or a list
// entry that cannot be read, ends the node with an error.
class TThumbnailer {
public:
  explicit TThumbnailer(unsigned threads = 0);  // 0: one per core, at most 4
  ~TThumbnailer();
  TThumbnailer(const TThumbnailer&) = delete;
  TThumbnailer& operator=(const TThumbnailer&) = delete;

  void Show(const TTexLibNode& node);
  void Cancel();
  // The thumbnails finished since the last call, in order.
  std::vector<TThumbnailItem> Take();
  // The error that ended the current node, once.
  std::optional<std::string> TakeError();
  // True when the current node has nothing more to deliver (or there is none).
  bool Finished() const;
  // Called on a worker thread whenever Take has something new (or an error came); the
  // window posts itself a wake-up there. Set before the first Show.
  void SetOnReady(std::function<void()> onReady);

private:
  struct Job;
  void Work();
  void StartJob(std::shared_ptr<Job> job);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::shared_ptr<Job> job_;
  std::function<void()> onReady_;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace kelvane
