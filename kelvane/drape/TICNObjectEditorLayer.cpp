#include "TICNObjectEditorLayer.h"

#include <algorithm>
#include <cmath>

#include "../raster/PictureFormats.h"

namespace kelvane {
namespace {

// The edges a grab moves: left, top, right, bottom.
struct TGrabEdges {
  bool l, t, r, b;
};

TGrabEdges EdgesOf(TBandGrab g) {
  switch (g) {
    case TBandGrab::Move: return {true, true, true, true};
    case TBandGrab::Left: return {true, false, false, false};
    case TBandGrab::Top: return {false, true, false, false};
    case TBandGrab::Right: return {false, false, true, false};
    case TBandGrab::Bottom: return {false, false, false, true};
    case TBandGrab::TopLeft: return {true, true, false, false};
    case TBandGrab::TopRight: return {false, true, true, false};
    case TBandGrab::BottomRight: return {false, false, true, true};
    case TBandGrab::BottomLeft: return {true, false, false, true};
    case TBandGrab::None: break;
  }
  return {false, false, false, false};
}

float Finite(float v, float otherwise) { return std::isfinite(v) ? v : otherwise; }

}  // namespace

void TICNObjectEditorLayer::SetImageSize(int width, int height) {
  Width = width;
  Height = height;
  NeedsRedraw = true;
}

TIncObj* TICNObjectEditorLayer::Selected() {
  if (!List || List->Selected() < 0 || size_t(List->Selected()) >= List->Count()) return nullptr;
  return &(*List)[size_t(List->Selected())];
}

const TIncObj* TICNObjectEditorLayer::Selected() const {
  return const_cast<TICNObjectEditorLayer*>(this)->Selected();
}

Result<TBitmap32> TICNObjectEditorLayer::Read(const std::string& path) const {
  return PictureLoader ? PictureLoader(path) : LoadPicture(path);
}

Result<size_t> TICNObjectEditorLayer::PlacePicture(const std::string& path, int x, int y) {
  if (!List) return fail("There is no list of included objects");
  auto picture = Read(path);
  if (!picture) return fail(picture.error());
  const size_t i = List->AddIncludedObject({x, y, x + kIncObjDropSide, y + kIncObjDropSide});
  (*List)[i].PicturePath = path;
  NeedsRedraw = true;
  return i;
}

std::optional<TRect> TICNObjectEditorLayer::BandRect() const {
  if (!Selected()) return std::nullopt;
  return List->EntryRect(size_t(List->Selected()));
}

TBandGrab TICNObjectEditorLayer::HandleAt(const TIncObj& e, double x, double y) const {
  const double l = e.Left, t = e.Top, r = e.Left + e.Width, b = e.Top + e.Height;
  const double mx = (l + r) / 2, my = (t + b) / 2, h = HandleSize;
  auto near = [&](double hx, double hy) { return std::fabs(x - hx) <= h && std::fabs(y - hy) <= h; };
  const struct {
    double x, y;
    TBandGrab grab;
  } handles[] = {{l, t, TBandGrab::TopLeft},    {r, t, TBandGrab::TopRight}, {r, b, TBandGrab::BottomRight},
                 {l, b, TBandGrab::BottomLeft}, {mx, t, TBandGrab::Top},     {r, my, TBandGrab::Right},
                 {mx, b, TBandGrab::Bottom},    {l, my, TBandGrab::Left}};
  for (const auto& handle : handles)
    if (near(handle.x, handle.y)) return handle.grab;
  if (x >= l && x < r && y >= t && y < b) return TBandGrab::Move;
  return TBandGrab::None;
}

void TICNObjectEditorLayer::MouseDown(double x, double y) {
  grab_ = TBandGrab::None;
  changed_ = false;
  lastX_ = x;
  lastY_ = y;
  if (!List) return;
  if (const TIncObj* e = Selected()) grab_ = HandleAt(*e, x, y);
  if (grab_ == TBandGrab::None && List->EntryAt(int(std::floor(x)), int(std::floor(y))) >= 0)
    grab_ = TBandGrab::Move;
}

void TICNObjectEditorLayer::MouseMove(double x, double y) {
  TIncObj* e = Selected();
  if (!e || grab_ == TBandGrab::None) return;
  const float dx = float(x - lastX_), dy = float(y - lastY_);
  lastX_ = x;
  lastY_ = y;
  const TGrabEdges edges = EdgesOf(grab_);
  float l = e->Left, t = e->Top, r = e->Left + e->Width, b = e->Top + e->Height;
  if (edges.l) l += dx;
  if (edges.r) r += dx;
  if (edges.t) t += dy;
  if (edges.b) b += dy;
  // A side dragged across the other stops a pixel short of it.
  if (r - l < 1) {
    if (edges.l)
      l = r - 1;
    else
      r = l + 1;
  }
  if (b - t < 1) {
    if (edges.t)
      t = b - 1;
    else
      b = t + 1;
  }
  e->Left = l;
  e->Top = t;
  e->Width = r - l;
  e->Height = b - t;
  changed_ = changed_ || dx != 0 || dy != 0;
  NeedsRedraw = NeedsRedraw || dx != 0 || dy != 0;
}

bool TICNObjectEditorLayer::MouseUp() {
  grab_ = TBandGrab::None;
  const bool changed = changed_;
  changed_ = false;
  return changed;
}

std::optional<TIncObjParams> TICNObjectEditorLayer::SelectedParams() const {
  const TIncObj* e = Selected();
  if (!e) return std::nullopt;
  return TIncObjParams{e->Left, e->Top, e->Width, e->Height, e->Brightness, e->Contrast, e->Gamma, e->Opacity};
}

bool TICNObjectEditorLayer::SetSelectedParams(const TIncObjParams& p) {
  TIncObj* e = Selected();
  if (!e) return false;
  e->Left = Finite(p.Left, e->Left);
  e->Top = Finite(p.Top, e->Top);
  e->Width = std::max(1.0f, Finite(p.Width, e->Width));
  e->Height = std::max(1.0f, Finite(p.Height, e->Height));
  e->Brightness = std::clamp(p.Brightness, -100, 100);
  e->Contrast = std::clamp(p.Contrast, -100, 100);
  e->Gamma = std::clamp(p.Gamma, -100, 100);
  e->Opacity = std::clamp(p.Opacity, 0, 255);
  NeedsRedraw = true;
  return true;
}

Status TICNObjectEditorLayer::LoadImage(const std::string& path) {
  TIncObj* e = Selected();
  if (!e) return fail("No included object is selected");
  if (auto picture = Read(path); !picture) return fail(picture.error());
  e->PicturePath = path;
  e->Picture.reset();  // loaded again, with its alpha, at the next drawing
  NeedsRedraw = true;
  return Ok{};
}

Status TICNObjectEditorLayer::LoadAlpha(const std::string& path) {
  TIncObj* e = Selected();
  if (!e) return fail("No included object is selected");
  if (auto picture = Read(path); !picture) return fail(picture.error());
  e->AlphaPath = path;
  e->Picture.reset();
  NeedsRedraw = true;
  return Ok{};
}

bool TICNObjectEditorLayer::ClearAlpha() {
  TIncObj* e = Selected();
  if (!e || e->AlphaPath.empty()) return false;
  e->AlphaPath.clear();
  e->Picture.reset();
  NeedsRedraw = true;
  return true;
}

bool TICNObjectEditorLayer::DeleteSelected() {
  if (!Selected()) return false;
  List->Delete(size_t(List->Selected()));
  NeedsRedraw = true;
  return true;
}

Status TICNObjectEditorLayer::Redraw() {
  if (!NeedsRedraw) return Ok{};
  NeedsRedraw = false;
  if (Bitmap.Width() != Width || Bitmap.Height() != Height) Bitmap.SetSize(Width, Height);
  Bitmap.DrawMode = TDrawMode::dmBlend;
  if (!List) {
    Bitmap.Clear(0);
    return Ok{};
  }
  return List->DrawIncludedObjects(Bitmap, PictureLoader);
}

}  // namespace kelvane
