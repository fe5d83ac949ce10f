#include "SceneCommands.h"

#include <cstdio>

#include "CliErrors.h"
#include "CliSupport.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "scene3d/ModelScene.h"

namespace kelvane::cli {
namespace {

// Removes `--name VALUE` from the words and returns VALUE, or "" when it is not there.
std::string TakeOption(std::vector<std::string>& words, const std::string& name) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] != name) continue;
    if (i + 1 >= words.size()) throw UsageError(name + " needs a value");
    std::string value = words[i + 1];
    words.erase(words.begin() + std::ptrdiff_t(i), words.begin() + std::ptrdiff_t(i) + 2);
    return value;
  }
  return "";
}

bool TakeFlag(std::vector<std::string>& words, const std::string& name) {
  for (size_t i = 0; i < words.size(); ++i)
    if (words[i] == name) {
      words.erase(words.begin() + std::ptrdiff_t(i));
      return true;
    }
  return false;
}

void RefuseOtherOptions(const std::vector<std::string>& words) {
  for (const std::string& w : words)
    if (w.size() > 2 && w.rfind("--", 0) == 0) throw UsageError("unknown option " + w);
}

void Expect(const std::vector<std::string>& words, size_t n, const char* form) {
  RefuseOtherOptions(words);
  if (words.size() != n) throw UsageError(std::string("expected ") + form);
}

// A two-way option: `yes` and `no` words (or `on` and `off`), else the default.
bool Choice(std::vector<std::string>& words, const std::string& name, const char* yes, const char* no, bool byDefault) {
  const std::string v = TakeOption(words, name);
  if (v.empty()) return byDefault;
  if (v == yes) return true;
  if (v == no) return false;
  throw UsageError(name + ": " + yes + " or " + no);
}

}  // namespace

int SceneFromModelCommand(const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  TModelSceneOptions o;
  if (const std::string size = TakeOption(a, "--size"); !size.empty()) {
    const size_t x = size.find('x');
    if (x == std::string::npos) throw UsageError("--size: expected WxH");
    o.Width = int(ParseIntegerIn(size.substr(0, x), "--size W", 1, 16384));
    o.Height = int(ParseIntegerIn(size.substr(x + 1), "--size H", 1, 16384));
  }
  o.Camera = TakeOption(a, "--camera");
  if (const std::string fov = TakeOption(a, "--fov"); !fov.empty())
    o.FieldOfView = float(ParseRealIn(fov, "--fov", 0.01, 3.1));
  Expect(a, 2, "MODEL OUT.png");
  const PictureFormat* format = PictureFormats::instance().find(LowerExtension(a[1]));
  if (!format || !format->write) throw UsageError("OUT: a .png, .bmp or .jpg picture");
  std::vector<std::string> warnings;
  if (Status s = WriteModelScene(a[0], a[1], o, &warnings); !s) throw Failed(s.error());
  for (const std::string& w : warnings) std::fprintf(stderr, "kelvane-cli: warning: %s\n", w.c_str());
  return 0;
}

int ProjectGetMaskCommand(const std::vector<std::string>& args) {
  Expect(args, 3, "IN.kvx OBJ OUT.png");
  TKVXFile2 doc;
  LoadProjectOrFail(doc, args[0]);
  const int i = ObjectIndex(doc, args[1]);
  TBitmap32 grey;
  {
    TObjectView v = doc.GetObjectView(i);
    if (v.Mask.Empty()) throw Failed("object " + args[1] + " has no mask");
    grey.SetSize(v.Mask.Width(), v.Mask.Height());
    for (int y = 0; y < grey.Height(); ++y) {
      const uint8_t* m = v.Mask.ScanLine(y);
      TColor32* row = grey.ScanLine(y);
      for (int x = 0; x < grey.Width(); ++x) row[x] = Color32(m[x], m[x], m[x]);
    }
  }
  SavePictureOrFail(args[2], grey);
  return 0;
}

int ProjectGetGridCommand(const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  const bool second = TakeFlag(a, "--second");
  Expect(a, 3, "IN.kvx OBJ OUT.kvg [--second]");
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a[0]);
  TObjectView v = doc.GetObjectView(ObjectIndex(doc, a[1]));
  if (Status s = SaveGridFile(a[2], second ? v.Grid2 : v.Grid); !s) throw Failed(s.error());
  return 0;
}

TSceneOptions TakeSceneOptions(std::vector<std::string>& words) {
  TSceneOptions o;
  o.Import.GroupByMaterials = Choice(words, "--group-by-materials", "on", "off", true);
  o.Answers.ByName = Choice(words, "--by-name", "yes", "no", true);
  o.Answers.UseOld = Choice(words, "--use-old", "yes", "no", true);
  RefuseOtherOptions(words);
  return o;
}

void ImportSceneBesideOrFail(TKVXFile2& doc, const std::string& picturePath, TSceneOptions& options) {
  const std::string kv = SceneFileBeside(picturePath);
  if (kv.empty()) return;
  if (Status s = ImportScene(doc, kv, options.Import, options.Answers); !s) throw Failed(s.error());
}

}  // namespace kelvane::cli
