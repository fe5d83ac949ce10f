#include "ObjectGroups.h"

#include <algorithm>
#include <vector>

#include "../drape/KVXUtils.h"

namespace kelvane {

Status MergeObjects(TKVXFile2& doc, std::span<const int> objects) {
  std::vector<int> list(objects.begin(), objects.end());
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  if (list.size() < 2) return Ok{};
  if (list.front() < 0 || list.back() > doc.HighIndex()) return fail("Error Deletiong Object");
  const int target = list.front();
  for (size_t k = list.size(); k-- > 1;) {
    const int i = list[k];
    {
      // Both views are dropped before the merged object goes.
      TObjectView into = doc.GetObjectView(target);
      TObjectView from = doc.GetObjectView(i);
      if (into.Mask.Empty())
        into.Mask = from.Mask;
      else
        UniteMask(into.Mask, from.Mask);
      AppendGrid(into.Grid, from.Grid, into.Param.MaterialKey, from.Param.MaterialKey);
      AppendGrid(into.Grid2, from.Grid2, into.Param.MaterialKey2, from.Param.MaterialKey2);
    }
    if (Status s = doc.DeleteObject(i); !s) return s;
  }
  return Ok{};
}

std::string SubmaterialKey(const std::string& name) {
  const size_t at = name.find(" - ");
  return at == std::string::npos ? name : name.substr(at);
}

Status GroupBySubmaterial(TKVXFile2& doc, TProgress* progress) {
  if (progress) progress->Begin("Group by Submaterials", doc.HighIndex() + 1);
  for (int a = doc.HighIndex(); a >= 0;) {
    if (progress) progress->Step();
    const std::string key = SubmaterialKey(doc.Objects[size_t(a)]->Param->Get().Name);
    std::vector<int> same;
    for (int i = 0; i <= a; ++i)
      if (SubmaterialKey(doc.Objects[size_t(i)]->Param->Get().Name) == key) same.push_back(i);
    if (same.size() >= 2)
      if (Status s = MergeObjects(doc, same); !s) return s;
    a = std::min(a - 1, doc.HighIndex());
  }
  if (progress) progress->End();
  return Ok{};
}

}  // namespace kelvane
