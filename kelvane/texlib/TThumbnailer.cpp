#include "TThumbnailer.h"

#include <algorithm>
#include <filesystem>

#include "TKVXLibView.h"
#include "TTextureLibrary.h"
#include "TextureList.h"
#include "Thumbnail.h"

namespace kelvane {

struct TThumbnailer::Job {
  TTexLibNodeKind Kind = TTexLibNodeKind::Folder;
  std::vector<std::string> Captions;
  std::vector<std::string> Files;          // folders and lists: the picture files
  std::shared_ptr<const TKVXLibView> Library;  // libraries: open while the job lives
  std::vector<std::optional<Result<TBitmap32>>> Made;
  size_t Next = 0;       // the next source a worker takes
  size_t Delivered = 0;  // the next source Take hands over
  int Shown = 0;
  std::optional<std::string> Error;
  bool Ended = false;

  bool Claimable() const { return !Ended && Next < Captions.size(); }
  Result<TBitmap32> Make(size_t i) const {
    if (Library) return Library->LoadThumbnail(i);
    return ThumbnailOfFile(Files[i]);
  }
  void End(std::string error) {
    Error = std::move(error);
    Ended = true;
  }
};

TThumbnailer::TThumbnailer(unsigned threads) {
  if (threads == 0) threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

TThumbnailer::~TThumbnailer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    job_.reset();
  }
  wake_.notify_all();
  for (auto& t : workers_) t.join();
}

void TThumbnailer::SetOnReady(std::function<void()> onReady) {
  std::lock_guard lock(mutex_);
  onReady_ = std::move(onReady);
}

void TThumbnailer::Show(const TTexLibNode& node) {
  auto job = std::make_shared<Job>();
  job->Kind = node.Kind;
  if (node.Kind == TTexLibNodeKind::Library) {
    auto view = std::make_shared<TKVXLibView>();
    if (Status s = view->Open(node.Path); !s) {
      job->End(s.error());
    } else {
      for (size_t i = 0; i < view->Count(); ++i) job->Captions.push_back(std::to_string(i));
      job->Library = std::move(view);
    }
  } else if (node.Kind == TTexLibNodeKind::List) {
    auto list = LoadTextureList(node.Path);
    if (!list) job->End(list.error());
    else job->Files = job->Captions = std::move(list.value());
  } else {
    job->Files = PicturesIn(node.Path);
    for (const std::string& f : job->Files) job->Captions.push_back(std::filesystem::path(f).filename().string());
  }
  job->Made.resize(job->Captions.size());
  StartJob(std::move(job));
}

void TThumbnailer::Cancel() { StartJob(nullptr); }

void TThumbnailer::StartJob(std::shared_ptr<Job> job) {
  std::function<void()> ready;
  {
    std::lock_guard lock(mutex_);
    job_ = std::move(job);
    if (job_ && job_->Error) ready = onReady_;
  }
  wake_.notify_all();
  if (ready) ready();
}

void TThumbnailer::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || (job_ && job_->Claimable()); });
    if (stop_) return;
    std::shared_ptr<Job> job = job_;
    const size_t i = job->Next++;
    lock.unlock();
    auto made = job->Make(i);
    lock.lock();
    job->Made[i] = std::move(made);
    // A node left meanwhile is dropped with its last shared pointer.
    if (job == job_ && onReady_) {
      auto ready = onReady_;
      lock.unlock();
      ready();
      lock.lock();
    }
  }
}

std::vector<TThumbnailItem> TThumbnailer::Take() {
  std::lock_guard lock(mutex_);
  std::vector<TThumbnailItem> out;
  Job* job = job_.get();
  if (!job) return out;
  while (!job->Ended && job->Delivered < job->Made.size() && job->Made[job->Delivered]) {
    const size_t i = job->Delivered++;
    Result<TBitmap32>& made = *job->Made[i];
    if (made) {
      out.push_back({job->Shown++, job->Captions[i], std::move(made.value())});
    } else if (job->Kind != TTexLibNodeKind::Folder) {
      job->End(made.error());  // a list or library stops at its first bad entry
    }
    job->Made[i].reset();
  }
  return out;
}

std::optional<std::string> TThumbnailer::TakeError() {
  std::lock_guard lock(mutex_);
  if (!job_) return std::nullopt;
  return std::exchange(job_->Error, std::nullopt);
}

bool TThumbnailer::Finished() const {
  std::lock_guard lock(mutex_);
  return !job_ || job_->Ended || job_->Delivered == job_->Made.size();
}

}  // namespace kelvane
