#include "ProjectFromPicture.h"

namespace kelvane {

void NewProjectFromPicture(TKVXFile2& doc, const TBitmap32& picture) {
  doc.Base = picture;
  doc.Result = picture;
  doc.Width = picture.Width();
  doc.Height = picture.Height();
  TObjectView v = doc.GetObjectView(doc.AddObject());
  v.Param = TKVXParamBlock{};
  v.Param.Name = "KVXObject0";
  v.Mask.SetSize(doc.Width, doc.Height);
  int cw = 0, ch = 0;
  BuildLattice(v.Grid, doc.Width, doc.Height, cw, ch);
}

}  // namespace kelvane
