#include "TKVXOptions.h"

#include <algorithm>
#include <charconv>

namespace kelvane {

namespace {

constexpr const char* kNodeSize = "TrackEdit1.Value";
constexpr const char* kShowTexture = "CheckBox1.Checked";
constexpr const char* kAALevel = "cbaalevel.ItemIndex";
constexpr const char* kPage = "PageControl1.ActivePage";
constexpr const char* kGroupByMat = "GroupByMat.Checked";
constexpr const char* kPaths = "ListBox1.Items";
constexpr const char* kAutoRender = "CheckBox2.Checked";
constexpr const char* kAntialiasRender = "AAntialiasRender.Checked";

std::string Bool(bool b) { return b ? "true" : "false"; }

void ReadBool(TSettingsStore& s, const char* key, bool& into) {
  if (auto v = s.Read(key)) into = *v == "true" || *v == "1";
}

void ReadInt(TSettingsStore& s, const char* key, int& into, int lo, int hi) {
  auto v = s.Read(key);
  if (!v) return;
  int n = 0;
  auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
  if (ec == std::errc() && end == v->data() + v->size() && n >= lo && n <= hi) into = n;
}

}  // namespace

int PassesOfAALevel(int index) {
  if (index < 0 || index >= int(kAALevels.size())) index = 4;
  return kAALevels[size_t(index)].Passes;
}

TRenderOptions TKVXOptions::Render() const {
  TRenderOptions r;
  r.Sampling = Nearest ? TTextureSampling::Nearest : Smooth ? TTextureSampling::Smooth : TTextureSampling::Linear;
  r.ProjectiveCells = ProjectiveCells;
  r.Passes = PassesOfAALevel(AALevel);
  r.AntialiasingRender = AntialiasRender;
  return r;
}

bool TKVXOptions::AddLibraryPath(const std::string& folder) {
  if (folder.empty() || std::find(LibraryPaths.begin(), LibraryPaths.end(), folder) != LibraryPaths.end())
    return false;
  LibraryPaths.push_back(folder);
  return true;
}

void TKVXOptions::DeleteLibraryPath(int i) {
  if (i >= 0 && i < int(LibraryPaths.size())) LibraryPaths.erase(LibraryPaths.begin() + i);
}

void TKVXOptions::Load(TSettingsStore& s) {
  ReadInt(s, kNodeSize, NodeSize, 2, 10);
  ReadBool(s, kShowTexture, ShowTextureWhenDrag);
  ReadInt(s, kAALevel, AALevel, 0, int(kAALevels.size()) - 1);
  if (auto v = s.Read(kPage)) ActivePage = *v;
  ReadBool(s, kGroupByMat, GroupByMaterials);
  if (auto v = s.ReadList(kPaths)) LibraryPaths = *v;
  ReadBool(s, kAutoRender, AutoRender);
  ReadBool(s, kAntialiasRender, AntialiasRender);
}

void TKVXOptions::Save(TSettingsStore& s) const {
  s.Write(kNodeSize, std::to_string(NodeSize));
  s.Write(kShowTexture, Bool(ShowTextureWhenDrag));
  s.Write(kAALevel, std::to_string(AALevel));
  s.Write(kPage, ActivePage);
  s.Write(kGroupByMat, Bool(GroupByMaterials));
  s.WriteList(kPaths, LibraryPaths);
  s.Write(kAutoRender, Bool(AutoRender));
  s.Write(kAntialiasRender, Bool(AntialiasRender));
}

}  // namespace kelvane
