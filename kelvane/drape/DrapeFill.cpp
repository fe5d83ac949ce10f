#include "DrapeFill.h"

#include <chrono>
#include <string>

#include "KVXUtils.h"

namespace kelvane {

TFillOptions FillOptionsOf(const TKVXParamBlock& param) {
  return {param.LevelUp != 0, param.HiContrast != 0, param.Glare != 0, param.Transparency, false};
}

namespace {

// Each message followed by the milliseconds since the start.
class TStepClock {
public:
  explicit TStepClock(TProgress* progress) : progress_(progress) {}
  void Say(const char* message) const {
    if (!progress_) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    progress_->Message(message + std::to_string(ms.count()));
  }

private:
  TProgress* progress_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Steps 3 and 4 of both fills: the photo adjusted under the mask and the drape
// composited into the result.
void AdjustAndCompose(const TFillInput& in, TBitmap32& photo, const TBitmap32& drape, const TStepClock* clock) {
  auto say = [&](const char* m) {
    if (clock) clock->Say(m);
  };
  if (in.Options.LevelUp) ApplyLevelUp(photo, *in.Mask);
  say("Level Up... ");
  if (in.Options.HiContrast) ApplyHiContrast(photo, *in.Mask);
  say("Hi contrast... ");
  if (in.Options.Glare)
    ComposeGlare(*in.Result, drape, photo, *in.Mask, in.Color, in.Options.Transparency);
  else
    ComposeMultiply(*in.Result, drape, photo, *in.Mask, in.Color, in.Options.Transparency);
  say("Apply Texture... ");
}

bool HasTexture(const TFillInput& in) { return in.Texture && !in.Texture->Empty(); }

TBitmap32 NewDrape(const TBitmap32& base) {
  TBitmap32 drape;
  drape.SetSizeUninitialized(base.Width(), base.Height());
  drape.DrawMode = TDrawMode::dmBlend;
  return drape;
}

}  // namespace

Status DrapeFill(TKVXLayer& layer, const TFillInput& in, TProgress* progress) {
  if (!in.Mask || !in.Base || !in.Result) return Ok{};
  const TStepClock clock(progress);
  if (progress) progress->Begin("Fill", 0);
  TBitmap32 photo = *in.Base;
  clock.Say("Prepere image... ");
  TBitmap32 drape = NewDrape(*in.Base);
  if (!HasTexture(in)) {
    drape.Clear(in.Color);
  } else {
    layer.SetTexture(*in.Texture);
    clock.Say("Prepate texture... ");
    if (Status s = layer.RenderObject(drape, in.Color, in.Param); !s) {
      if (progress) progress->End();
      return s;
    }
    clock.Say("Render object... ");
    if (in.Options.Sharpen && in.Sharpen) {
      in.Sharpen(drape, *in.Mask);
      clock.Say("Sharpen texture... ");
    }
  }
  AdjustAndCompose(in, photo, drape, &clock);
  if (progress) progress->End();
  return Ok{};
}

Status DrapeFillMulti(TKVXLayer& layer, const TFillInput& in, std::span<const TFillObject> selected) {
  if (!in.Mask || !in.Base || !in.Result) return Ok{};
  TBitmap32 photo = *in.Base;
  TBitmap32 drape = NewDrape(*in.Base);
  if (!HasTexture(in)) {
    drape.Clear(in.Color);
  } else {
    FillTiled(layer.Texture, *in.Texture);
    TMapGrid merged;
    for (size_t i = selected.size(); i-- > 0;)
      if (selected[i].Grid) AppendGrid(merged, *selected[i].Grid, in.Param.MaterialKey, selected[i].MaterialKey);
    TMapGrid* own = layer.Grid;
    layer.Grid = &merged;
    const Status s = layer.RenderObject(drape, in.Color, in.Param);
    layer.Grid = own;
    if (!s) return s;
    if (in.Options.Sharpen && in.Sharpen) in.Sharpen(drape, *in.Mask);
  }
  AdjustAndCompose(in, photo, drape, nullptr);
  return Ok{};
}

}  // namespace kelvane
