#include "PrintPreview.h"

#include <algorithm>
#include <cmath>

namespace kelvane {
namespace {

// Round half to even, as the placement rules round.
int roundEven(double v) { return int(std::nearbyint(v)); }

}  // namespace

std::optional<TRect> FitRect(const TRect& source, const TRect& target) {
  const double sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
  if (sw == 0 || sh == 0) return std::nullopt;
  TRect r;
  if (tw / th >= sw / sh) {  // a target of no height compares as infinitely wide
    const int w = roundEven(sw * th / sh);
    r.Top = target.Top;
    r.Bottom = target.Bottom;
    r.Left = target.Left + (target.Width() - w) / 2;
    r.Right = r.Left + w;
  } else {
    const int h = roundEven(sh * tw / sw);
    r.Left = target.Left;
    r.Right = target.Right;
    r.Top = target.Top + (target.Height() - h) / 2;
    r.Bottom = r.Top + h;
  }
  return r;
}

std::optional<TRect> PrintRect(int width, int height, int pageWidth, int pageHeight) {
  return FitRect({0, 0, width, height}, {0, 0, pageWidth, pageHeight});
}

TPageMiniature PageMiniature(int areaWidth, int areaHeight, int pageWidth, int pageHeight, int pictureWidth,
                             int pictureHeight) {
  TPageMiniature m;
  if (pageWidth <= 0 || pageHeight <= 0) return m;
  m.Scale = std::min(float(areaWidth - 19) / float(pageWidth), float(areaHeight - 19) / float(pageHeight));
  m.Width = std::max(0, roundEven(double(m.Scale) * pageWidth));
  m.Height = std::max(0, roundEven(double(m.Scale) * pageHeight));
  m.Page = {2, 2, m.Width - 2, m.Height - 2};
  m.Picture = FitRect({0, 0, pictureWidth, pictureHeight}, m.Page);
  return m;
}

TBitmap32 DrawPageMiniature(const TPageMiniature& page, const TBitmap32& picture) {
  TBitmap32 out(page.Width, page.Height, 0);
  if (out.Empty()) return out;
  out.FillRect(page.Page, 0xFFFFFFFFu);
  if (page.Picture && !picture.Empty()) {
    TBitmap32 linear = picture;
    linear.StretchFilter = TStretchFilter::sfLinear;
    linear.DrawMode = TDrawMode::dmOpaque;
    linear.DrawTo(out, *page.Picture);
  }
  return out;
}

}  // namespace kelvane
