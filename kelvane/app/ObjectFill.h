#pragma once
#include <span>
#include <string>

#include "../drape/DrapeFill.h"
#include "../drape/OglRender.h"
#include "../project/TKVXFile2.h"

// Fill and "Get Anti-aliased Mask" on the objects of a project document: the work of the
// document window's commands, without a window.
namespace kelvane {

struct TDocumentFill {
  TRenderOptions Render;
  bool Sharpen = false;   // "Sharpen mode"
  TSharpenFn SharpenFn;   // from the filter engine; none: no sharpening
  bool TextureAlpha = false;  // "Use Texture Transparency"
  TProgress* Progress = nullptr;
  // Where the drape is composited: the document's result image unless another is given
  // (a copy, while the window keeps showing the result).
  TBitmap32* Result = nullptr;
  TFillReport* Report = nullptr;  // what the render did not cover, for warnings
};

// Drapes object `index` into the document's result image with the object's texture,
// colour and shading options (Fill). An object whose mask has no size is left alone.
Status FillObject(TKVXFile2& doc, int index, const TDocumentFill& how);
// Drapes the current object's texture across the selected objects as one surface
// through the union of their masks; with fewer than two selected it is FillObject.
Status FillSelected(TKVXFile2& doc, int current, std::span<const int> selected, const TDocumentFill& how);

inline constexpr const char* kNotAvailableText = " Not Avialable For This Object";
// Recomputes a scene object's mask as its visible, antialiased part. A flat object is
// refused with "Get Anti-aliased Mask" followed by kNotAvailableText.
Status GetAntialiasedMask(TKVXFile2& doc, int index, const TRenderOptions& options, TProgress* progress = nullptr);

}  // namespace kelvane
