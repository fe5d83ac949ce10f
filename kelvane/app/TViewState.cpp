#include "TViewState.h"

#include <algorithm>
#include <cmath>

namespace kelvane {

void TViewState::SetViewSize(int width, int height) {
  viewWidth_ = std::max(0, width);
  viewHeight_ = std::max(0, height);
  Clamp();
}

void TViewState::SetImageSize(int width, int height) {
  imageWidth_ = std::max(0, width);
  imageHeight_ = std::max(0, height);
  Clamp();
}

void TViewState::SetScale(double scale) { SetScaleAbout(scale, viewWidth_ / 2.0, viewHeight_ / 2.0); }

void TViewState::SetScaleAbout(double scale, double x, double y) {
  if (!std::isfinite(scale)) scale = kMaxScale;
  const TPointD p = ViewToBitmap(x, y);
  scale_ = std::clamp(scale, kMinScale, kMaxScale);
  offsetX_ = x - p.X * scale_;
  offsetY_ = y - p.Y * scale_;
  Clamp();
}

void TViewState::Fit() {
  if (imageWidth_ <= 0 || imageHeight_ <= 0) return;
  scale_ = std::clamp(std::min(double(viewWidth_ - 19) / imageWidth_, double(viewHeight_ - 19) / imageHeight_),
                      kMinScale, kMaxScale);
  Clamp();
}

void TViewState::ScrollBy(double dx, double dy) {
  offsetX_ -= dx;
  offsetY_ -= dy;
  Clamp();
}

void TViewState::CentreOn(double x, double y) {
  offsetX_ = viewWidth_ / 2.0 - x * scale_;
  offsetY_ = viewHeight_ / 2.0 - y * scale_;
  Clamp();
}

void TViewState::Clamp() {
  auto clampAxis = [](double& offset, double view, double shown) {
    if (shown <= view)
      offset = std::floor((view - shown) / 2);
    else
      offset = std::clamp(offset, view - shown, 0.0);
  };
  clampAxis(offsetX_, viewWidth_, imageWidth_ * scale_);
  clampAxis(offsetY_, viewHeight_, imageHeight_ * scale_);
}

TRect TViewState::VisibleImageRect() const {
  const TPointD a = ViewToBitmap(0, 0), b = ViewToBitmap(viewWidth_, viewHeight_);
  TRect r{int(std::floor(a.X)), int(std::floor(a.Y)), int(std::ceil(b.X)), int(std::ceil(b.Y))};
  r.Left = std::clamp(r.Left, 0, imageWidth_);
  r.Top = std::clamp(r.Top, 0, imageHeight_);
  r.Right = std::clamp(r.Right, 0, imageWidth_);
  r.Bottom = std::clamp(r.Bottom, 0, imageHeight_);
  return r;
}

TRect TViewState::ImageRectInView() const {
  return {int(std::lround(offsetX_)), int(std::lround(offsetY_)), int(std::lround(offsetX_ + imageWidth_ * scale_)),
          int(std::lround(offsetY_ + imageHeight_ * scale_))};
}

}  // namespace kelvane
