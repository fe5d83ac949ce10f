#include "ObjectFill.h"

#include <vector>

#include "../drape/KVXUtils.h"

namespace kelvane {

namespace {

// Keeps the items of the objects in memory while a fill uses them.
class TPinObjects {
public:
  TPinObjects(TKVXFile2& doc, std::span<const int> indices) {
    for (int i : indices) {
      TKVXObject2& o = *doc.Objects.at(size_t(i));
      TKVXCustomItem* items[] = {o.Param.get(), o.Texture.get(), o.Grid.get(), o.Grid2.get(), o.Mask.get()};
      for (TKVXCustomItem* item : items) {
        if (item->Pinned()) continue;
        item->SetPinned(true);
        pinned_.push_back(item);
      }
    }
  }
  ~TPinObjects() {
    for (TKVXCustomItem* item : pinned_) item->SetPinned(false);
  }
  TPinObjects(const TPinObjects&) = delete;
  TPinObjects& operator=(const TPinObjects&) = delete;

private:
  std::vector<TKVXCustomItem*> pinned_;
};

Status CheckIndex(const TKVXFile2& doc, int index) {
  if (index < 0 || index > doc.HighIndex())
    return fail("The project has no object " + std::to_string(index) + " (it has " +
                std::to_string(doc.HighIndex() + 1) + ")");
  return Ok{};
}

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
  in.Result = &doc.Result;
  in.Mask = mask && !mask->Empty() ? mask : nullptr;
  in.Texture = &view.Texture;
  in.Color = view.Param.Color;
  in.Param = view.Param;
  in.Options = FillOptionsOf(view.Param);
  in.Options.Sharpen = how.Sharpen;
  in.Sharpen = how.SharpenFn;
  return in;
}

}  // namespace

Status FillObject(TKVXFile2& doc, int index, const TDocumentFill& how) {
  if (Status s = CheckIndex(doc, index); !s) return s;
  const int one[] = {index};
  const TPinObjects pin(doc, one);
  TObjectView view = doc.GetObjectView(index);
  TKVXLayer layer = LayerFor(doc, view, how);
  return DrapeFill(layer, InputFor(doc, view, &view.Mask, how), how.Progress);
}

Status FillSelected(TKVXFile2& doc, int current, std::span<const int> selected, const TDocumentFill& how) {
  if (selected.size() < 2) return FillObject(doc, current, how);
  if (Status s = CheckIndex(doc, current); !s) return s;
  for (int i : selected)
    if (Status s = CheckIndex(doc, i); !s) return s;
  std::vector<int> all(selected.begin(), selected.end());
  all.push_back(current);
  const TPinObjects pin(doc, all);
  TByteMap unionMask;
  std::vector<TFillObject> objects;
  for (int i : selected) {
    TObjectView v = doc.GetObjectView(i);
    if (unionMask.Empty())
      unionMask = v.Mask;
    else
      UniteMask(unionMask, v.Mask);
    objects.push_back({&v.Grid, v.Param.MaterialKey});
  }
  TObjectView view = doc.GetObjectView(current);
  TKVXLayer layer = LayerFor(doc, view, how);
  layer.SetTexture(view.Texture);
  return DrapeFillMulti(layer, InputFor(doc, view, &unionMask, how), objects);
}

Status GetAntialiasedMask(TKVXFile2& doc, int index, const TRenderOptions& options, TProgress* progress) {
  if (Status s = CheckIndex(doc, index); !s) return s;
  TObjectView view = doc.GetObjectView(index);
  if (view.Param.FieldOfView == 0) return fail(std::string("Get Anti-aliased Mask") + kNotAvailableText);
  doc.SceneFieldOfView = view.Param.FieldOfView;
  std::vector<int> all;
  for (int i = 0; i <= doc.HighIndex(); ++i) all.push_back(i);
  const TPinObjects pin(doc, all);
  std::vector<TSceneObject> objects;
  for (int i : all) {
    TObjectView v = doc.GetObjectView(i);
    objects.push_back({&v.Grid, v.Param.MaterialKey});
  }
  if (view.Mask.Width() != doc.Width || view.Mask.Height() != doc.Height) view.Mask.SetSize(doc.Width, doc.Height);
  return RenderMaskAA(objects, size_t(index), doc.SceneFieldOfView, view.Mask, options, progress);
}

}  // namespace kelvane
