#include "ProjectCommands.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "CliErrors.h"
#include "CliSupport.h"
#include "CodePage.h"
#include "Json.h"
#include "ParamFields.h"
#include "SceneCommands.h"
#include "TileOptions.h"
#include "drape/KVXGridTools.h"
#include "project/TKVXFile2.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {
namespace {

// Text of the file's code page as a JSON string.
std::string fileText(const std::string& s) { return JsonString(CodePageToUtf8(s)); }

void expect(const std::vector<std::string>& a, size_t n) {
  if (a.size() != n) throw UsageError("expected " + std::to_string(n) + " arguments");
}

}  // namespace

int ProjectNewCommand(const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  TSceneOptions scene = TakeSceneOptions(a);
  expect(a, 2);
  TKVXFile2 doc;
  NewProjectFromPicture(doc, LoadPictureOrFail(a[0]));
  ImportSceneBesideOrFail(doc, a[0], scene);
  SaveProjectOrFail(doc, a[1]);
  return 0;
}

int ProjectInfoCommand(const std::vector<std::string>& a) {
  expect(a, 1);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  std::printf("{\"width\":%d,\"height\":%d,\"objects\":[", doc.Width, doc.Height);
  for (int i = 0; i <= doc.HighIndex(); ++i) {
    TObjectView v = doc.GetObjectView(i);
    const TKVXParamBlock& p = v.Param;
    const TKVXTexture& t = *doc.Objects[size_t(i)]->Texture;
    std::printf("%s{\"shortName\":%s,\"Name\":%s,\"Color\":\"%08X\",\"Glare\":%d,\"LevelUp\":%d,\"HiContrast\":%d,"
                "\"Transparency\":%d,\"Rotate\":%s,\"TileX\":%s,\"TileY\":%s,\"SeamlessX\":%s,"
                "\"SeamlessY\":%s,\"ShiftX\":%s,\"ShiftY\":%s,\"FieldOfView\":%s,\"MaterialKey\":%d,"
                "\"MaterialKey2\":%d,\"mask\":[%d,%d],\"grid\":[%lld,%lld,%zu,%zu],\"grid2\":[%lld,%lld,%zu,%zu],"
                "\"texture\":{\"width\":%d,\"height\":%d,\"library\":%s,\"index\":%d,\"file\":%s}}",
                i ? "," : "", fileText(doc.Objects[size_t(i)]->ShortName).c_str(), fileText(p.Name).c_str(),
                p.Color, p.Glare, p.LevelUp, p.HiContrast, p.Transparency, JsonNumber(p.Rotate).c_str(),
                JsonNumber(p.TileX).c_str(), JsonNumber(p.TileY).c_str(), JsonNumber(p.SeamlessX).c_str(),
                JsonNumber(p.SeamlessY).c_str(), JsonNumber(p.ShiftX).c_str(), JsonNumber(p.ShiftY).c_str(),
                JsonNumber(p.FieldOfView).c_str(), p.MaterialKey, p.MaterialKey2, v.Mask.Width(), v.Mask.Height(), (long long)v.Grid.Cols, (long long)v.Grid.Rows, v.Grid.Nodes.size(),
                v.Grid.Cells.size(), (long long)v.Grid2.Cols, (long long)v.Grid2.Rows, v.Grid2.Nodes.size(),
                v.Grid2.Cells.size(), v.Texture.Width(), v.Texture.Height(),
                t.FromLibrary ? fileText(t.LibraryName).c_str() : "null", t.LibraryIndex,
                t.FromFile ? fileText(t.FilePath).c_str() : "null");
  }
  std::printf("],\"included\":[");
  for (size_t i = 0; i < doc.Included.Count(); ++i) {
    const TIncObj& e = doc.Included[i];
    std::printf("%s{\"left\":%s,\"top\":%s,\"width\":%s,\"height\":%s,\"brightness\":%d,\"contrast\":%d,"
                "\"gamma\":%d,\"opacity\":%d,\"picture\":%s,\"alpha\":%s}",
                i ? "," : "", JsonNumber(e.Left).c_str(), JsonNumber(e.Top).c_str(), JsonNumber(e.Width).c_str(),
                JsonNumber(e.Height).c_str(), e.Brightness, e.Contrast, e.Gamma, e.Opacity,
                fileText(e.PicturePath).c_str(), fileText(e.AlphaPath).c_str());
  }
  std::printf("]}\n");
  return 0;
}

int ProjectSetCommand(const std::vector<std::string>& given) {
  std::vector<std::string> a = given;
  const TTileRule tiles = TakeTileOptions(a);
  if (a.size() < 3 || (a.size() < 4 && tiles.Empty())) throw UsageError("expected IN.kvx OBJ FIELD=VALUE... OUT.kvx");
  // Every field is checked before the project is read.
  TKVXParamBlock check;
  std::vector<std::pair<std::string, std::string>> fields;
  for (size_t i = 2; i + 1 < a.size(); ++i) {
    const size_t eq = a[i].find('=');
    if (eq == std::string::npos) throw UsageError("expected FIELD=VALUE, got " + a[i]);
    fields.emplace_back(a[i].substr(0, eq), a[i].substr(eq + 1));
    SetParamField(check, fields.back().first, fields.back().second);
    if (!tiles.Empty() && tiles.ObjectWidthCm > 0 && fields.back().first.rfind("Tile", 0) == 0)
      throw UsageError(fields.back().first + " cannot be set with --object-width and --repeat, which give it");
  }
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  TObjectView v = doc.GetObjectView(ObjectIndex(doc, a[1]));
  TKVXParamBlock& p = v.Param;
  for (const auto& [field, value] : fields) SetParamField(p, field, value);
  // The tiling follows from the fields just set (TileX, the seamless overlaps, Rotate).
  ApplyTileRuleOrFail(tiles, p, v.Grid, doc.Width, doc.Height, v.Texture);
  SaveProjectOrFail(doc, a.back());
  return 0;
}

int ProjectSetMaskCommand(const std::vector<std::string>& a) {
  expect(a, 4);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  TObjectView v = doc.GetObjectView(ObjectIndex(doc, a[1]));
  v.Mask = LoadMaskPicture(a[2], doc.Width, doc.Height, "the project");
  SaveProjectOrFail(doc, a[3]);
  return 0;
}

int ProjectSetGridCommand(const std::vector<std::string>& a) {
  expect(a, 4);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  TObjectView v = doc.GetObjectView(ObjectIndex(doc, a[1]));
  auto grid = LoadGridFile(a[2]);
  if (!grid) throw Failed(grid.error());
  v.Grid = std::move(grid.value());
  SaveProjectOrFail(doc, a[3]);
  return 0;
}

// FILE is a picture (its pixels are stored), or texlib:LIBRARY:INDEX for a library entry.
int ProjectSetTextureCommand(const std::vector<std::string>& a) {
  expect(a, 4);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  const int i = ObjectIndex(doc, a[1]);
  (void)doc.GetObjectView(i);
  TKVXTexture& t = *doc.Objects[size_t(i)]->Texture;
  TBitmap32& bmp = t.Get();
  if (a[2].rfind("texlib:", 0) == 0) {
    const size_t colon = a[2].rfind(':');
    t.FromLibrary = true;
    t.FromFile = false;
    t.LibraryName = a[2].substr(7, colon - 7).substr(0, 30);
    t.LibraryIndex = int32_t(ParseInteger(a[2].substr(colon + 1), "library index"));
    bmp = TBitmap32();
    (void)t.Get();
    if (Status s = t.FetchStatus(); !s) throw Failed(s.error());
  } else {
    bmp = LoadPictureOrFail(a[2]);
    t.FromLibrary = t.FromFile = false;
  }
  SaveProjectOrFail(doc, a[3]);
  return 0;
}

int ProjectAddObjectCommand(const std::vector<std::string>& a) {
  expect(a, 3);
  // The name the window's New Object would keep: at most 30 characters.
  const std::string name = NameInCodePage(a[1], "NAME", 30);
  if (name.empty()) throw UsageError("NAME: an object needs a name");
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  if (FindObjectByName(doc, name) >= 0) throw Failed("the project already has an object named " + a[1]);
  TObjectView v = doc.GetObjectView(doc.AddObject());
  v.Param.Name = name;
  v.Mask.SetSize(doc.Width, doc.Height);  // covers nothing until set-mask
  int cw = 0, ch = 0;
  BuildLattice(v.Grid, doc.Width, doc.Height, cw, ch);
  SaveProjectOrFail(doc, a[2]);
  return 0;
}

}  // namespace kelvane::cli
