#include "DrapeFill.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "KVXUtils.h"

namespace kelvane {

TFillOptions FillOptionsOf(const TKVXParamBlock& param) {
  return {param.LevelUp != 0, param.HiContrast != 0, param.Glare != 0, param.Transparency, false};
}

std::vector<std::string> TFillReport::Warnings() const {
  std::vector<std::string> out;
  if (FlatGridInPerspective)
    out.push_back("the grid is flat (every Z is 0) and the object is drawn in perspective (its field of view is "
                  "not 0): the camera sees none of the grid");
  if (NoCellOfKey)
    out.push_back("no cell of the grid has the material key " + std::to_string(MaterialKey) +
                  ", and the antialiased render draws only those");
  // The two above leave every masked pixel uncovered; saying so again adds nothing.
  if (UncoveredPixels > 0 && out.empty())
    out.push_back(std::to_string(UncoveredPixels) + " of the " + std::to_string(MaskedPixels) +
                  " masked pixels lie outside every grid cell: they get the plain colour");
  return out;
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

bool HasTexture(const TFillInput& in) { return in.Texture && !in.Texture->Empty(); }

// With texture transparency the texture is drawn with its colours multiplied by its
// alpha, so that filtering across the edge of a hole does not mix in the colour of the
// hole's invisible pixels; the drape's colours are divided by the alpha afterwards.
void Premultiply(TBitmap32& t) {
  TColor32* p = t.Bits();
  for (size_t i = 0, n = size_t(t.Width()) * t.Height(); i < n; ++i) {
    const uint32_t a = AlphaComponent(p[i]);
    if (a == 255) continue;
    auto m = [a](uint32_t v) { return (v * a + 127) / 255; };
    p[i] = Color32(uint8_t(m(RedComponent(p[i]))), uint8_t(m(GreenComponent(p[i]))), uint8_t(m(BlueComponent(p[i]))),
                   uint8_t(a));
  }
}

void Unpremultiply(TBitmap32& t) {
  TColor32* p = t.Bits();
  for (size_t i = 0, n = size_t(t.Width()) * t.Height(); i < n; ++i) {
    const uint32_t a = AlphaComponent(p[i]);
    if (a == 255 || a == 0) continue;
    auto d = [a](uint32_t v) { return std::min<uint32_t>(255, (v * 255 + a / 2) / a); };
    p[i] = Color32(uint8_t(d(RedComponent(p[i]))), uint8_t(d(GreenComponent(p[i]))), uint8_t(d(BlueComponent(p[i]))),
                   uint8_t(a));
  }
}

bool UsesTextureAlpha(const TFillInput& in) { return in.Options.TextureAlpha && HasTexture(in); }

// The mask scaled by the drape's alpha: Round(M * A / 255).
TByteMap MaskTimesAlpha(const TByteMap& mask, const TBitmap32& drape) {
  TByteMap out = mask;
  if (drape.Width() != mask.Width() || drape.Height() != mask.Height()) return out;
  uint8_t* m = out.Bits();
  const TColor32* d = drape.Bits();
  for (size_t i = 0, n = size_t(mask.Width()) * mask.Height(); i < n; ++i)
    if (m[i]) m[i] = uint8_t((m[i] * AlphaComponent(d[i]) * 2 + 255) / 510);
  return out;
}

// Steps 3 and 4 of both fills: the photo adjusted under the mask and the drape
// composited into the result.
void AdjustAndCompose(const TFillInput& in, TBitmap32& photo, TBitmap32& drape, const TStepClock* clock) {
  auto say = [&](const char* m) {
    if (clock) clock->Say(m);
  };
  if (in.Options.LevelUp) ApplyLevelUp(photo, *in.Mask);
  say("Level Up... ");
  if (in.Options.HiContrast) ApplyHiContrast(photo, *in.Mask);
  say("Hi contrast... ");
  TByteMap seeThrough;
  if (UsesTextureAlpha(in)) {
    Unpremultiply(drape);
    seeThrough = MaskTimesAlpha(*in.Mask, drape);
  }
  const TByteMap& mask = UsesTextureAlpha(in) ? seeThrough : *in.Mask;
  if (in.Options.Glare)
    ComposeGlare(*in.Result, drape, photo, mask, in.Color, in.Options.Transparency);
  else
    ComposeMultiply(*in.Result, drape, photo, mask, in.Color, in.Options.Transparency);
  say("Apply Texture... ");
}

// RenderObject, noting in the report what the render will not show.
Status RenderDrape(const TKVXLayer& layer, TBitmap32& drape, const TFillInput& in) {
  if (!in.Report || !layer.Grid) return layer.RenderObject(drape, in.Color, in.Param);
  TFillReport& r = *in.Report;
  r = TFillReport{};
  r.MaterialKey = layer.MaterialKey;
  const TMapGrid& g = *layer.Grid;
  const auto kind = TKVXLayer::ChooseRasteriser(in.Param, layer.Options);
  if (kind != TKVXLayer::TRasteriser::Flat && !g.Cells.empty())
    r.FlatGridInPerspective = std::all_of(g.Nodes.begin(), g.Nodes.end(), [](const TMapNode& n) { return n.Z == 0; });
  if (kind == TKVXLayer::TRasteriser::PerspectiveAA)
    r.NoCellOfKey =
        std::none_of(g.Cells.begin(), g.Cells.end(), [&](const TMapCell& c) { return c.Key == r.MaterialKey; });
  TByteMap coverage;
  if (Status s = layer.RenderObject(drape, in.Color, in.Param, &coverage); !s) return s;
  const TByteMap& mask = *in.Mask;
  if (coverage.Width() != mask.Width() || coverage.Height() != mask.Height()) return Ok{};
  const uint8_t* m = mask.Bits();
  const uint8_t* c = coverage.Bits();
  for (size_t i = 0, n = size_t(mask.Width()) * mask.Height(); i < n; ++i) {
    r.MaskedPixels += m[i] != 0;
    r.UncoveredPixels += m[i] != 0 && c[i] == 0;
  }
  return Ok{};
}

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
    if (UsesTextureAlpha(in)) Premultiply(layer.Texture), layer.TextureChanged();
    clock.Say("Prepate texture... ");
    if (Status s = RenderDrape(layer, drape, in); !s) {
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
    if (UsesTextureAlpha(in)) Premultiply(layer.Texture);
    layer.TextureChanged();
    TMapGrid merged;
    for (size_t i = selected.size(); i-- > 0;)
      if (selected[i].Grid) AppendGrid(merged, *selected[i].Grid, in.Param.MaterialKey, selected[i].MaterialKey);
    TMapGrid* own = layer.Grid;
    layer.Grid = &merged;
    const Status s = RenderDrape(layer, drape, in);
    layer.Grid = own;
    if (!s) return s;
    if (in.Options.Sharpen && in.Sharpen) in.Sharpen(drape, *in.Mask);
  }
  AdjustAndCompose(in, photo, drape, nullptr);
  return Ok{};
}

}  // namespace kelvane
