// The filters of the dialogs on the result image, within the current mask.
#include "FilterDialogs.h"
#include "TKVXEditSession.h"

namespace kelvane {

namespace {
// Below this many pixels even the long filters take well under a second; beyond four
// times as many even the short ones are felt.
constexpr int64_t kBackgroundPixels = 1'000'000;
}  // namespace

// A filter on copies of the result and the mask, off the interface thread; the result
// image changes only when the filter is done, in one swap. Cancel stops the filter
// between bands of rows and throws the copies away: the picture stays as it was.
class TFilterJob final : public TJob {
public:
  TFilterJob(TKVXEditSession& s, const TFilterKind& kind, const TFilterValues& values)
      : s_(s), kind_(kind), values_(values), result_(s.Doc.Result), mask_(*s.CurrentMask()) {}
  void Work(TProgress& progress) override {
    progress.ClearCancel();
    // The NPR reports its own stages; the others are one step.
    const bool ownSteps = kind_.Id == "ANPR";
    if (!ownSteps) progress.Begin(std::string(kind_.Caption), 1);
    progress.OfferCancel(true);
    done_ = kind_.Run(result_, &mask_, values_, &progress);
    progress.OfferCancel(false);
    if (!ownSteps) {
      if (done_) progress.Step();
      progress.End();
    }
  }
  void Done() override {
    if (done_) {
      std::swap(s_.Doc.Result, result_);
      s_.Doc.Result.CopySettingsFrom(result_);
    }
    s_.JobFinished();
    if (!done_) return;
    s_.SetModified(true);
    s_.observer_->ImageChanged();
  }

private:
  TKVXEditSession& s_;
  const TFilterKind& kind_;
  TFilterValues values_;
  TBitmap32 result_;
  TByteMap mask_;
  bool done_ = false;
};

void TKVXEditSession::RunFilter(const TFilterKind& kind, const TFilterValues& values) {
  if (Busy() || !currentMask_ || currentMask_->Empty() || Doc.Result.Empty()) return;
  // Reads beyond the picture see its top-left pixel.
  Doc.Result.OuterColor = Doc.Result.Pixel(0, 0);
  const int64_t pixels = int64_t(Doc.Result.Width()) * Doc.Result.Height();
  if ((kind.Long && pixels >= kBackgroundPixels) || pixels >= 4 * kBackgroundPixels) {
    StartJob(std::make_unique<TFilterJob>(*this, kind, values));
    return;
  }
  kind.Run(Doc.Result, currentMask_, values, nullptr);
  SetModified(true);
  observer_->ImageChanged();
}

}  // namespace kelvane
