#pragma once
#include "../raster/TBitmap32.h"

namespace kelvane {

struct TPointD {
  double X = 0, Y = 0;
};

// How the image view shows the image: a scale and the view position of the image's
// top-left corner. An image smaller than the view is centred; a larger one can be
// scrolled up to its edges and no further.
class TViewState {
public:
  static constexpr double kMinScale = 0.01, kMaxScale = 16;

  double Scale() const { return scale_; }
  double OffsetX() const { return offsetX_; }
  double OffsetY() const { return offsetY_; }
  int ViewWidth() const { return viewWidth_; }
  int ViewHeight() const { return viewHeight_; }
  int ImageWidth() const { return imageWidth_; }
  int ImageHeight() const { return imageHeight_; }

  void SetViewSize(int width, int height);
  void SetImageSize(int width, int height);
  // The scale (clamped to 0.01..16), keeping the image point at the view's centre there.
  void SetScale(double scale);
  // The scale, keeping the image point under view position (x, y) there.
  void SetScaleAbout(double scale, double x, double y);
  void ZoomIn() { SetScale(scale_ * 1.2); }
  void ZoomOut() { SetScale(scale_ * 0.8); }
  // The whole image in the view, 19 pixels kept for the scroll bars.
  void Fit();
  void ScrollBy(double dx, double dy);
  // Puts image point (x, y) at the view's centre.
  void CentreOn(double x, double y);

  TPointD ViewToBitmap(double x, double y) const { return {(x - offsetX_) / scale_, (y - offsetY_) / scale_}; }
  TPointD BitmapToView(double x, double y) const { return {x * scale_ + offsetX_, y * scale_ + offsetY_}; }
  // The image pixels the view shows (at least partly), clipped to the image.
  TRect VisibleImageRect() const;
  // Where the whole image lies in the view, in view pixels (not clipped).
  TRect ImageRectInView() const;

private:
  void Clamp();

  double scale_ = 1, offsetX_ = 0, offsetY_ = 0;
  int viewWidth_ = 0, viewHeight_ = 0, imageWidth_ = 0, imageHeight_ = 0;
};

}  // namespace kelvane
