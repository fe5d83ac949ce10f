#include "ObjectFill.h"

#include <vector>

#include "../drape/KVXUtils.h"

namespace kelvane {

namespace {

Status CheckIndex(const TKVXFile2& doc, int index) {
  if (index < 0 || index > doc.HighIndex())
    return fail("The project has no object " + std::to_string(index) + " (it has " +
                std::to_string(doc.HighIndex() + 1) + ")");
  return Ok{};
}

// A library texture that could not be read drapes nothing: say so instead.
Status TextureFetched(const TKVXFile2& doc, int index) { return doc.Objects[size_t(index)]->Texture->FetchStatus(); }

TKVXLayer LayerFor(TKVXFile2& doc, TObjectView& view, const TDocumentFill& how) {
  TKVXLayer layer;
  layer.SetImageSize(doc.Width, doc.Height);
  layer.SetGrid(&view.Grid, view.Param.MaterialKey);
  layer.FieldOfView = doc.SceneFieldOfView;
  layer.Options = how.Render;
  layer.Progress = how.Progress;
  return layer;
}

TFillInput InputFor(TKVXFile2& doc, TObjectView& view, const TByteMap* mask, const TDocumentFill& how) {
  TFillInput in;
  in.Base = &doc.Base;
  in.Result = how.Result ? how.Result : &doc.Result;
  in.Mask = mask && !mask->Empty() ? mask : nullptr;
  in.Texture = &view.Texture;
  in.Color = view.Param.Color;
  in.Param = view.Param;
  in.Options = FillOptionsOf(view.Param);
  in.Options.Sharpen = how.Sharpen;
  in.Options.TextureAlpha = how.TextureAlpha;
  in.Sharpen = how.SharpenFn;
  in.Report = how.Report;
  return in;
}

}  // namespace

Status FillObject(TKVXFile2& doc, int index, const TDocumentFill& how) {
  if (Status s = CheckIndex(doc, index); !s) return s;
  TObjectView view = doc.GetObjectView(index);
  if (Status s = TextureFetched(doc, index); !s) return s;
  TKVXLayer layer = LayerFor(doc, view, how);
  return DrapeFill(layer, InputFor(doc, view, &view.Mask, how), how.Progress);
}

Status FillSelected(TKVXFile2& doc, int current, std::span<const int> selected, const TDocumentFill& how) {
  if (selected.size() < 2) return FillObject(doc, current, how);
  if (Status s = CheckIndex(doc, current); !s) return s;
  for (int i : selected)
    if (Status s = CheckIndex(doc, i); !s) return s;
  // The views keep every object's items pinned until the fill is done.
  std::vector<TObjectView> views;
  TByteMap unionMask;
  std::vector<TFillObject> objects;
  for (int i : selected) {
    TObjectView& v = views.emplace_back(doc.GetObjectView(i));
    if (unionMask.Empty())
      unionMask = v.Mask;
    else
      UniteMask(unionMask, v.Mask);
    objects.push_back({&v.Grid, v.Param.MaterialKey});
  }
  TObjectView view = doc.GetObjectView(current);
  if (Status s = TextureFetched(doc, current); !s) return s;
  TKVXLayer layer = LayerFor(doc, view, how);
  layer.SetTexture(view.Texture);
  return DrapeFillMulti(layer, InputFor(doc, view, &unionMask, how), objects);
}

Status GetAntialiasedMask(TKVXFile2& doc, int index, const TRenderOptions& options, TProgress* progress) {
  if (Status s = CheckIndex(doc, index); !s) return s;
  TObjectView view = doc.GetObjectView(index);
  if (view.Param.FieldOfView == 0) return fail(std::string("Get Anti-aliased Mask") + kNotAvailableText);
  doc.SceneFieldOfView = view.Param.FieldOfView;
  std::vector<TObjectView> views;
  std::vector<TSceneObject> objects;
  for (int i = 0; i <= doc.HighIndex(); ++i) {
    TObjectView& v = views.emplace_back(doc.GetObjectView(i));
    objects.push_back({&v.Grid, v.Param.MaterialKey});
  }
  if (view.Mask.Width() != doc.Width || view.Mask.Height() != doc.Height) view.Mask.SetSize(doc.Width, doc.Height);
  return RenderMaskAA(objects, size_t(index), doc.SceneFieldOfView, view.Mask, options, progress);
}

}  // namespace kelvane
