// New, delete, merge and group objects.
#include <algorithm>

#include "TKVXEditSession.h"

namespace kelvane {

void TKVXEditSession::NewObject() {
  const int n = Doc.AddObject();
  const std::string proposal = ("KVXObject" + std::to_string(n)).substr(0, 30);
  std::optional<std::string> answer;
  if (services_.Prompt) answer = services_.Prompt->Prompt("New KVX Object", "Enter KVX Object Name", proposal);
  if (!answer) {
    (void)Doc.DeleteObject(n);
    return;
  }
  {
    TObjectView v = ObjectView(n);
    v.Param = TKVXParamBlock{};
    v.Param.Name = answer->substr(0, 30);
    v.Param.Transparency = 255;
    v.Param.TileX = v.Param.TileY = 1;
    if (currentMask_) v.Mask.SetSize(currentMask_->Width(), currentMask_->Height());
    else v.Mask.SetSize(Doc.Width, Doc.Height);
    int cw = Layer.CellWidth, ch = Layer.CellHeight;
    BuildLattice(v.Grid, Doc.Width, Doc.Height, cw, ch);
  }
  History.Reset();
  RefillList(n);
  SetCurrentColor(0xFFFFFFFFu);
  SetModified(true);
}

void TKVXEditSession::DeleteObject() {
  // A document always keeps one object.
  if (RowCount() <= 1 || itemIndex_ < 0 || SelectedCount() == 0) return;
  currentMask_ = nullptr;
  currentTexture_ = nullptr;
  Layer.SetGrid(nullptr, 0);
  if (Status s = Doc.DeleteObject(itemIndex_); !s) Message("Error Deletiong Object");
  History.Reset();
  currentIndex_ = 0;
  RefillList(0);
  SetModified(true);
}

void TKVXEditSession::MergeSelected() {
  const std::vector<int> rows = SelectedRows();
  if (rows.size() < 2 || itemIndex_ < 0) return;
  const int target = *std::min_element(rows.begin(), rows.end());
  itemIndex_ = target;
  currentIndex_ = target;
  MakeCurrent();
  merging_ = true;
  {
    TObjectView t = ObjectView(target);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
      const int i = *it;
      if (i == target) continue;
      {
        TObjectView o = ObjectView(i);
        if (o.Mask.Width() == t.Mask.Width() && o.Mask.Height() == t.Mask.Height())
          for (size_t k = 0, n = size_t(t.Mask.Width()) * t.Mask.Height(); k < n; ++k)
            t.Mask.Bits()[k] = std::max(t.Mask.Bits()[k], o.Mask.Bits()[k]);
        AppendGrid(t.Grid, o.Grid, t.Param.MaterialKey, o.Param.MaterialKey);
        AppendGrid(t.Grid2, o.Grid2, t.Param.MaterialKey2, o.Param.MaterialKey2);
      }
      (void)Doc.DeleteObject(i);
      rowSelected_.erase(rowSelected_.begin() + i);
    }
  }
  merging_ = false;
  History.Reset();
  RefillList(-1);
  currentIndex_ = target;
  SelectOnlyRow(target);
  SetModified(true);
}

void TKVXEditSession::GroupBySubmaterial() {
  TProgress* progress = services_.Progress;
  if (progress) progress->Begin("Group by Submaterials", RowCount());
  int a = RowCount() - 1;
  while (a >= 0) {
    if (progress) progress->Step();
    const std::string key = SubmaterialKey(RowCaption(a));
    std::fill(rowSelected_.begin(), rowSelected_.end(), false);
    itemIndex_ = a;
    for (int r = 0; r <= a; ++r)
      if (SubmaterialKey(RowCaption(r)) == key) rowSelected_[size_t(r)] = true;
    if (SelectedCount() >= 2) MergeSelected();
    a -= 1;
    if (a > RowCount() - 1) a = RowCount() - 1;
  }
  currentIndex_ = 0;
  SelectOnlyRow(0);
  if (progress) progress->End();
}

}  // namespace kelvane
