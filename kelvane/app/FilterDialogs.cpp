#include "FilterDialogs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "../filters/Convolution.h"
#include "../raster/HSL.h"

namespace kelvane {

namespace {

using V = TFilterValues;

bool RunBlur(TBitmap32& t, const TByteMap* m, const V&, TProgress* p) { return BlurFilter(t, m, p); }
bool RunSharpen(TBitmap32& t, const TByteMap* m, const V&, TProgress* p) { return SharpenFilter(t, m, p); }
bool RunFindEdge(TBitmap32& t, const TByteMap* m, const V&, TProgress* p) { return FindEdgeFilter(t, m, p); }
bool RunSobel(TBitmap32& t, const TByteMap* m, const V&, TProgress* p) { return SobelFilter(t, m, p); }
bool RunWaterColor(TBitmap32& t, const TByteMap* m, const V&, TProgress* p) { return WaterColorFilter(t, m, p); }
bool RunNPR(TBitmap32& t, const TByteMap* m, const V& v, TProgress* p) { return NPRFilter(t, v.Npr, m, p); }
bool RunReplaceColor(TBitmap32& t, const TByteMap* m, const V& v, TProgress*) {
  ColorReplace(v.Colors.empty() ? TRepColorSet{DefaultRepColor()} : v.Colors, t, m);
  return true;
}
bool RunBlurEdge(TBitmap32& t, const TByteMap* m, const V&, TProgress*) {
  if (m) BlurEdge(t, *m);
  return true;
}

// The 3 x 3 kernels read one pixel around; the water colour's median two and its
// sharpening one more; the NPR's ripples depend on the distance from the centre.
constexpr std::array kKinds = {
    TFilterKind{"ABlur", "Blur", 1, false, false, RunBlur},
    TFilterKind{"ASharpen", "Sharpen", 1, false, false, RunSharpen},
    TFilterKind{"AFindEdge", "Find Edge", 1, false, true, RunFindEdge},
    TFilterKind{"ASobel", "Sobel", 1, false, false, RunSobel},
    TFilterKind{"AWaterColor", "Water Color", 3, false, true, RunWaterColor},
    TFilterKind{"ANPR", "KVXNPRFilterForm", -1, false, true, RunNPR},
    TFilterKind{"ARepColor", "ColorReplaceFilter", 0, false, false, RunReplaceColor},
    TFilterKind{"ABlurEdge", "Blur Edge", 2, true, false, RunBlurEdge},
};

TBitmap32 Crop(const TBitmap32& s, const TRect& r) {
  TBitmap32 out;
  out.CopySettingsFrom(s);
  out.OuterColor = s.OuterColor;
  out.DrawMode = TDrawMode::dmOpaque;
  if (r.Empty()) return out;
  out.SetSizeUninitialized(r.Width(), r.Height());
  for (int y = r.Top; y < r.Bottom; ++y)
    std::memcpy(out.ScanLine(y - r.Top), s.ScanLine(y) + r.Left, size_t(r.Width()) * sizeof(TColor32));
  return out;
}

TByteMap Crop(const TByteMap& s, const TRect& r) {
  TByteMap out(std::max(r.Width(), 0), std::max(r.Height(), 0));
  for (int y = r.Top; y < r.Bottom; ++y) std::memcpy(out.ScanLine(y - r.Top), s.ScanLine(y) + r.Left, size_t(r.Width()));
  return out;
}

TRect Intersect(TRect a, const TRect& b) {
  a.Left = std::max(a.Left, b.Left);
  a.Top = std::max(a.Top, b.Top);
  a.Right = std::min(a.Right, b.Right);
  a.Bottom = std::min(a.Bottom, b.Bottom);
  return a;
}

}  // namespace

std::span<const TFilterKind> FilterKinds() { return kKinds; }

const TFilterKind* FindFilterKind(std::string_view id) {
  for (const TFilterKind& k : kKinds)
    if (k.Id == id) return &k;
  return nullptr;
}

// ---- the preview

TRect SelectedBounds(const TByteMap& mask) {
  TRect r{mask.Width(), mask.Height(), 0, 0};
  for (int y = 0; y < mask.Height(); ++y) {
    const uint8_t* row = mask.ScanLine(y);
    const uint8_t* end = row + mask.Width();
    const uint8_t* first = std::find_if(row, end, [](uint8_t v) { return v != 0; });
    if (first == end) continue;
    const auto last = std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(first),
                                   [](uint8_t v) { return v != 0; });
    r.Left = std::min(r.Left, int(first - row));
    r.Right = std::max(r.Right, int(last.base() - row));
    r.Top = std::min(r.Top, y);
    r.Bottom = y + 1;
  }
  return r.Empty() ? TRect{} : r;
}

TPan OpeningPan(const TByteMap* mask, int previewW, int previewH, int sourceW, int sourceH) {
  const TRect box = mask ? SelectedBounds(*mask) : TRect{};
  if (box.Empty() || (box.Right <= previewW && box.Bottom <= previewH)) return {};
  const int cx = box.Left + box.Width() / 2, cy = box.Top + box.Height() / 2;
  return PanBy({}, previewW / 2 - cx, previewH / 2 - cy, previewW, previewH, sourceW, sourceH);
}

TFilterPreview::TFilterPreview(const TBitmap32& source, const TByteMap* mask, int width, int height)
    : source_(source), mask_(mask && !mask->Empty() ? mask : nullptr), width_(width), height_(height) {
  PanBy(0, 0);
}

void TFilterPreview::PanToSelection() {
  const TPan to = OpeningPan(mask_, width_, height_, source_.Width(), source_.Height());
  PanBy(to.x - pan_.x, to.y - pan_.y);
}

void TFilterPreview::PanBy(int dx, int dy) {
  pan_ = kelvane::PanBy(pan_, dx, dy, width_, height_, source_.Width(), source_.Height());
  const TRect all{0, 0, source_.Width(), source_.Height()};
  const TRect win = Intersect({-pan_.x, -pan_.y, -pan_.x + width_, -pan_.y + height_}, all);
  TBitmap32 window(width_, height_, 0);
  Crop(source_, win).DrawTo(window, 0, 0);
  Show(window);
}

void TFilterPreview::Recompute(const TFilterKind& kind, const TFilterValues& values) {
  if (!Enabled) return;
  const TRect all{0, 0, source_.Width(), source_.Height()};
  const TRect win = Intersect({-pan_.x, -pan_.y, -pan_.x + width_, -pan_.y + height_}, all);
  const int m = std::max(kind.Margin, 0);
  const TRect ext = Intersect({win.Left - m, win.Top - m, win.Right + m, win.Bottom + m}, all);
  // The filter sees its margin of the real picture, and beyond the picture what the
  // whole picture's filter would see there.
  TBitmap32 part = Crop(source_, ext);
  TByteMap partMask;
  if (kind.MaskItself && mask_) partMask = Crop(*mask_, ext);
  if (!part.Empty()) kind.Run(part, kind.MaskItself && mask_ ? &partMask : nullptr, values, nullptr);
  // Where the preview is larger than the picture it stays transparent: the checkerboard.
  filtered_.SetSize(width_, height_, 0);
  part.DrawMode = TDrawMode::dmOpaque;
  part.DrawTo(filtered_, ext.Left - win.Left, ext.Top - win.Top);
  if (kind.MaskItself) {
    // A filter along the mask's edge changes the unselected pixels: show them all.
    const TByteMap* keep = mask_;
    mask_ = nullptr;
    Show(filtered_);
    mask_ = keep;
  } else {
    Show(filtered_);
  }
}

void TFilterPreview::Show(const TBitmap32& window) {
  composite_ = window;
  if (mask_) ApplyMaskAlpha(composite_, *mask_, pan_);
  shown_ = ComposePreview(composite_);
}

// ---- colour replacement

void WriteControls(TRepColorSet& set, const TColorReplaceControls& c) {
  if (set.empty()) set.push_back(DefaultRepColor());
  for (TRepColor& e : set) {
    e.newH = c.H;
    e.kS = c.kS;
    e.kL = c.kL;
    e.dH = c.DeltaH / 1000;
    e.dS = c.DeltaS;
    e.dL = c.DeltaL;
  }
}

void PickReference(TRepColorSet& set, TColor32 colour, bool shift) {
  const THSL hsl = RGBToHSL(colour);
  TRepColor e = set.empty() ? DefaultRepColor() : set.back();
  e.H = hsl.H;
  e.S = hsl.S;
  e.L = hsl.L;
  if (!shift) set.clear();
  set.push_back(e);
}

// ---- balance

TBalancePreview::TBalancePreview(TBitmap32& result, TRect visible)
    : result_(result), backup_(result), visible_(Intersect(visible, {0, 0, result.Width(), result.Height()})) {}

void TBalancePreview::Preview(const BalanceInputs& inputs) {
  const TBalanceTable t = BuildBalanceTable(inputs);
  for (int y = visible_.Top; y < visible_.Bottom; ++y) {
    const TColor32* in = backup_.ScanLine(y);
    TColor32* out = result_.ScanLine(y);
    for (int x = visible_.Left; x < visible_.Right; ++x) {
      const TColor32 c = in[x];
      out[x] = (c & 0xFF000000u) | TColor32(t[(c >> 16) & 0xFF]) << 16 | TColor32(t[(c >> 8) & 0xFF]) << 8 |
               t[c & 0xFF];
    }
  }
}

void TBalancePreview::Ok(TBitmap32& base, const BalanceInputs& inputs) {
  result_ = backup_;
  ApplyBalanceTable(result_, BuildBalanceTable(inputs));
  base = result_;
}

void TBalancePreview::Cancel() { result_ = backup_; }

}  // namespace kelvane
