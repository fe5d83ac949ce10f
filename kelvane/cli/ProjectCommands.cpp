#include "ProjectCommands.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "CliErrors.h"
#include "CliSupport.h"
#include "DrapeCommands.h"
#include "drape/KVXGridTools.h"
#include "project/TKVXFile2.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {
namespace {

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

void expect(const std::vector<std::string>& a, size_t n) {
  if (a.size() != n) throw UsageError("expected " + std::to_string(n) + " arguments");
}

int cmdNew(const std::vector<std::string>& a) {
  expect(a, 2);
  TKVXFile2 doc;
  NewProjectFromPicture(doc, LoadPictureOrFail(a[0]));
  SaveProjectOrFail(doc, a[1]);
  return 0;
}

int cmdInfo(const std::vector<std::string>& a) {
  expect(a, 1);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  std::printf("{\"width\":%d,\"height\":%d,\"objects\":[", doc.Width, doc.Height);
  for (int i = 0; i <= doc.HighIndex(); ++i) {
    TObjectView v = doc.GetObjectView(i);
    const TKVXParamBlock& p = v.Param;
    const TKVXTexture& t = *doc.Objects[size_t(i)]->Texture;
    std::printf("%s{\"shortName\":%s,\"Name\":%s,\"Color\":\"%08X\",\"Glare\":%d,\"LevelUp\":%d,\"HiContrast\":%d,"
                "\"Transparency\":%d,\"Rotate\":%.9g,\"TileX\":%.9g,\"TileY\":%.9g,\"SeamlessX\":%.9g,"
                "\"SeamlessY\":%.9g,\"ShiftX\":%.9g,\"ShiftY\":%.9g,\"FieldOfView\":%.9g,\"MaterialKey\":%d,"
                "\"MaterialKey2\":%d,\"mask\":[%d,%d],\"grid\":[%lld,%lld,%zu,%zu],\"grid2\":[%lld,%lld,%zu,%zu],"
                "\"texture\":{\"width\":%d,\"height\":%d,\"library\":%s,\"index\":%d,\"file\":%s}}",
                i ? "," : "", jsonString(doc.Objects[size_t(i)]->ShortName).c_str(), jsonString(p.Name).c_str(),
                p.Color, p.Glare, p.LevelUp, p.HiContrast, p.Transparency, p.Rotate, p.TileX, p.TileY, p.SeamlessX,
                p.SeamlessY, p.ShiftX, p.ShiftY, p.FieldOfView, p.MaterialKey, p.MaterialKey2, v.Mask.Width(),
                v.Mask.Height(), (long long)v.Grid.Cols, (long long)v.Grid.Rows, v.Grid.Nodes.size(),
                v.Grid.Cells.size(), (long long)v.Grid2.Cols, (long long)v.Grid2.Rows, v.Grid2.Nodes.size(),
                v.Grid2.Cells.size(), v.Texture.Width(), v.Texture.Height(),
                t.FromLibrary ? jsonString(t.LibraryName).c_str() : "null", t.LibraryIndex,
                t.FromFile ? jsonString(t.FilePath).c_str() : "null");
  }
  std::printf("],\"included\":[");
  for (size_t i = 0; i < doc.Included.Count(); ++i) {
    const TIncObj& e = doc.Included[i];
    std::printf("%s{\"left\":%.9g,\"top\":%.9g,\"width\":%.9g,\"height\":%.9g,\"brightness\":%d,\"contrast\":%d,"
                "\"gamma\":%d,\"opacity\":%d,\"picture\":%s,\"alpha\":%s}",
                i ? "," : "", e.Left, e.Top, e.Width, e.Height, e.Brightness, e.Contrast, e.Gamma, e.Opacity,
                jsonString(e.PicturePath).c_str(), jsonString(e.AlphaPath).c_str());
  }
  std::printf("]}\n");
  return 0;
}

double number(const std::string& field, const std::string& value) { return ParseReal(value, field); }

void setField(TKVXParamBlock& p, const std::string& field, const std::string& value) {
  auto byte = [&](uint8_t& b) {
    const double v = number(field, value);
    if (v < 0 || v > 255) throw UsageError(field + " must be 0..255");
    b = uint8_t(v);
  };
  if (field == "Name") {
    if (value.size() > 100) throw UsageError("Name: at most 100 characters");
    p.Name = value;
  } else if (field == "Color") {
    p.Color = ParseHexColor(value, 8, "Color");
  } else if (field == "Glare") byte(p.Glare);
  else if (field == "LevelUp") byte(p.LevelUp);
  else if (field == "HiContrast") byte(p.HiContrast);
  else if (field == "Transparency") byte(p.Transparency);
  else if (field == "MaterialKey") p.MaterialKey = int32_t(number(field, value));
  else if (field == "MaterialKey2") p.MaterialKey2 = int32_t(number(field, value));
  else {
    float* f = field == "Rotate" ? &p.Rotate : field == "TileX" ? &p.TileX : field == "TileY" ? &p.TileY
             : field == "SeamlessX" ? &p.SeamlessX : field == "SeamlessY" ? &p.SeamlessY
             : field == "ShiftX" ? &p.ShiftX : field == "ShiftY" ? &p.ShiftY
             : field == "FieldOfView" ? &p.FieldOfView : nullptr;
    if (!f) throw UsageError("unknown field " + field);
    *f = float(number(field, value));
  }
}

int cmdSet(const std::vector<std::string>& a) {
  if (a.size() < 4) throw UsageError("expected IN.kvx OBJ FIELD=VALUE... OUT.kvx");
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  TKVXParamBlock& p = doc.GetObjectView(ObjectIndex(doc, a[1])).Param;
  for (size_t i = 2; i + 1 < a.size(); ++i) {
    const size_t eq = a[i].find('=');
    if (eq == std::string::npos) throw UsageError("expected FIELD=VALUE, got " + a[i]);
    setField(p, a[i].substr(0, eq), a[i].substr(eq + 1));
  }
  SaveProjectOrFail(doc, a.back());
  return 0;
}

int cmdSetMask(const std::vector<std::string>& a) {
  expect(a, 4);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  TObjectView v = doc.GetObjectView(ObjectIndex(doc, a[1]));
  v.Mask = LoadMaskPicture(a[2], doc.Width, doc.Height, "the project");
  SaveProjectOrFail(doc, a[3]);
  return 0;
}

int cmdSetGrid(const std::vector<std::string>& a) {
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
int cmdSetTexture(const std::vector<std::string>& a) {
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

}  // namespace

int ProjectCommand(std::vector<std::string> args) {
  RegisterKvxPictureFormat();
  if (args.empty()) throw UsageError("missing project command");
  const std::string cmd = args[0];
  args.erase(args.begin());
  if (cmd == "new") return cmdNew(args);
  if (cmd == "info") return cmdInfo(args);
  if (cmd == "set") return cmdSet(args);
  if (cmd == "set-mask") return cmdSetMask(args);
  if (cmd == "set-grid") return cmdSetGrid(args);
  if (cmd == "set-texture") return cmdSetTexture(args);
  if (cmd == "fill") return ProjectFillCommand(args);
  if (cmd == "aa-mask") return ProjectAAMaskCommand(args);
  throw UsageError("unknown project command " + cmd);
}

}  // namespace kelvane::cli
