#include "DrapeCommands.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "CliErrors.h"
#include "app/ObjectFill.h"
#include "drape/DrapeFill.h"
#include "drape/Jitter.h"
#include "drape/TexCoordGen.h"
#include "filters/Convolution.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {
namespace {

namespace fs = std::filesystem;

// The words of a command split into positional arguments, flags and options with a value.
class Args {
public:
  Args(const std::vector<std::string>& words, std::set<std::string> flags, std::set<std::string> valued) {
    for (size_t i = 0; i < words.size(); ++i) {
      const std::string& w = words[i];
      if (w.size() > 2 && w.rfind("--", 0) == 0) {
        if (flags.count(w)) {
          flags_.insert(w);
        } else if (valued.count(w)) {
          if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
          values_[w] = words[++i];
        } else {
          throw UsageError("unknown option " + w);
        }
      } else {
        positional.push_back(w);
      }
    }
  }
  bool flag(const std::string& name) const { return flags_.count(name) != 0; }
  std::optional<std::string> value(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::nullopt : std::optional(it->second);
  }
  void expect(size_t n) const {
    if (positional.size() != n) throw UsageError("expected " + std::to_string(n) + " arguments");
  }

  std::vector<std::string> positional;

private:
  std::set<std::string> flags_;
  std::map<std::string, std::string> values_;
};

const std::set<std::string> kRenderFlags = {"--sharpen", "--no-aa-render"};
const std::set<std::string> kRenderValues = {"--sampling", "--passes"};

std::set<std::string> with(std::set<std::string> a, const std::set<std::string>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

std::pair<double, double> pair(const std::string& text, const char* what) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) throw UsageError(std::string(what) + ": expected X,Y");
  return {ParseReal(text.substr(0, comma), what), ParseReal(text.substr(comma + 1), what)};
}

TDocumentFill renderOptions(const Args& a) {
  TDocumentFill how;
  if (auto s = a.value("--sampling")) {
    if (*s == "nearest")
      how.Render.Sampling = TTextureSampling::Nearest;
    else if (*s != "linear")
      throw UsageError("--sampling: linear or nearest");
  }
  if (auto p = a.value("--passes")) {
    how.Render.Passes = int(ParseInteger(*p, "--passes"));
    if (how.Render.Passes != -1 && JitterTable(how.Render.Passes).empty())
      throw UsageError("--passes: -1 (none), 2, 3, 4, 8, 15, 24 or 66");
  }
  how.Render.AntialiasingRender = !a.flag("--no-aa-render");
  how.Sharpen = a.flag("--sharpen");
  how.SharpenFn = [](TBitmap32& drape, const TByteMap& mask) { SharpenFilter(drape, &mask); };
  return how;
}

TBitmap32 picture(const std::string& path) {
  auto p = LoadPicture(path);
  if (!p) throw Failed(p.error());
  return std::move(p.value());
}

void savePicture(const std::string& path, const TBitmap32& bmp, int quality) {
  PictureWriteOptions o;
  o.jpegQuality = quality;
  if (Status s = SavePicture(path, bmp, o); !s) throw Failed(s.error());
}

int quality(const Args& a) {
  const int64_t q = ParseInteger(a.value("--quality").value_or("90"), "--quality");
  if (q < 1 || q > 100) throw UsageError("--quality must be 1..100");
  return int(q);
}

uint32_t color(const std::string& text) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (text.size() != 8 || *end) throw UsageError("--color: expected AARRGGBB");
  return uint32_t(v);
}

// Prints the fill's steps with their times on stderr.
struct StepPrinter : TProgress {
  void Begin(const std::string&, int) override {}
  void Message(const std::string& m) override { std::fprintf(stderr, "%s ms\n", m.c_str()); }
  void Step() override {}
  void End() override {}
};

void loadProject(TKVXFile2& doc, const std::string& path) {
  RegisterKvxPictureFormat();
  if (Status s = doc.LoadFromFile(path); !s) throw Failed(s.error());
}

int objectIndex(const TKVXFile2& doc, const std::string& text) {
  const int64_t v = ParseInteger(text, "object");
  if (v < 0 || v > doc.HighIndex())
    throw Failed("the project has no object " + text + " (it has " + std::to_string(doc.HighIndex() + 1) + ")");
  return int(v);
}

void warnIfMaskEmpty(TKVXFile2& doc, int index) {
  const TByteMap& m = doc.GetObjectView(index).Mask;
  if (std::all_of(m.Bits(), m.Bits() + size_t(m.Width()) * m.Height(), [](uint8_t v) { return v == 0; }))
    std::fprintf(stderr, "kelvane-cli: object %d covers nothing (its mask is empty); the result is unchanged\n", index);
}

}  // namespace

int DrapeCommand(const std::vector<std::string>& words) {
  const Args a(words, with({"--glare", "--level-up", "--hi-contrast", "--verbose"}, kRenderFlags),
               with({"--grid", "--mask", "--color", "--tile", "--rotate", "--shift", "--seamless", "--transparency",
                     "--fov", "--key", "--quality"},
                    kRenderValues));
  a.expect(3);
  const TBitmap32 photo = picture(a.positional[0]);
  TBitmap32 texture;
  if (a.positional[1] != "-") texture = picture(a.positional[1]);
  TMapGrid grid;
  if (auto g = a.value("--grid")) {
    auto loaded = LoadGridFile(*g);
    if (!loaded) throw Failed(loaded.error());
    grid = std::move(loaded.value());
  } else {
    int cw = 0, ch = 0;
    BuildLattice(grid, photo.Width(), photo.Height(), cw, ch);
  }
  TByteMap mask(photo.Width(), photo.Height(), 255);
  if (auto m = a.value("--mask")) {
    const TBitmap32 pic = picture(*m);
    if (pic.Width() != photo.Width() || pic.Height() != photo.Height())
      throw Failed("the mask is " + std::to_string(pic.Width()) + "x" + std::to_string(pic.Height()) +
                   ", the photo " + std::to_string(photo.Width()) + "x" + std::to_string(photo.Height()));
    for (int y = 0; y < photo.Height(); ++y)
      for (int x = 0; x < photo.Width(); ++x) mask.SetValue(x, y, Intensity(pic.Pixel(x, y)));
  }
  TKVXParamBlock p;
  if (auto c = a.value("--color")) p.Color = color(*c);
  if (auto t = a.value("--tile")) std::tie(p.TileX, p.TileY) = pair(*t, "--tile");
  if (auto r = a.value("--rotate")) p.Rotate = float(ParseReal(*r, "--rotate"));
  if (auto s = a.value("--shift")) std::tie(p.ShiftX, p.ShiftY) = pair(*s, "--shift");
  if (auto s = a.value("--seamless")) std::tie(p.SeamlessX, p.SeamlessY) = pair(*s, "--seamless");
  if (auto f = a.value("--fov")) p.FieldOfView = float(ParseReal(*f, "--fov"));
  if (auto k = a.value("--key")) p.MaterialKey = int32_t(ParseInteger(*k, "--key"));
  if (auto t = a.value("--transparency")) {
    const int64_t v = ParseInteger(*t, "--transparency");
    if (v < 0 || v > 255) throw UsageError("--transparency must be 0..255");
    p.Transparency = uint8_t(v);
  }
  p.Glare = a.flag("--glare");
  p.LevelUp = a.flag("--level-up");
  p.HiContrast = a.flag("--hi-contrast");

  const TDocumentFill how = renderOptions(a);
  TKVXLayer layer;
  layer.SetImageSize(photo.Width(), photo.Height());
  layer.SetGrid(&grid, p.MaterialKey);
  layer.Options = how.Render;
  TBitmap32 result = photo;
  TFillInput in;
  in.Base = &photo;
  in.Result = &result;
  in.Mask = &mask;
  in.Texture = &texture;
  in.Color = p.Color;
  in.Param = p;
  in.Options = FillOptionsOf(p);
  in.Options.Sharpen = how.Sharpen;
  in.Sharpen = how.SharpenFn;
  StepPrinter steps;
  if (Status s = DrapeFill(layer, in, a.flag("--verbose") ? &steps : nullptr); !s) throw Failed(s.error());
  savePicture(a.positional[2], result, quality(a));
  return 0;
}

int ProjectFillCommand(const std::vector<std::string>& words) {
  const Args a(words, kRenderFlags, with({"--export", "--objects", "--quality"}, kRenderValues));
  a.expect(3);
  TKVXFile2 doc;
  loadProject(doc, a.positional[0]);
  const int current = objectIndex(doc, a.positional[1]);
  std::vector<int> selected;
  if (auto list = a.value("--objects")) {
    size_t start = 0;
    for (;;) {
      const size_t comma = list->find(',', start);
      selected.push_back(objectIndex(doc, list->substr(start, comma - start)));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (selected.size() < 2) warnIfMaskEmpty(doc, current);
  if (Status s = FillSelected(doc, current, selected, renderOptions(a)); !s) throw Failed(s.error());
  if (auto e = a.value("--export")) savePicture(*e, doc.Result, quality(a));
  if (Status s = doc.SaveToFile(a.positional[2]); !s) throw Failed(s.error());
  return 0;
}

int ProjectAAMaskCommand(const std::vector<std::string>& words) {
  const Args a(words, {}, {"--passes"});
  a.expect(3);
  TKVXFile2 doc;
  loadProject(doc, a.positional[0]);
  const TDocumentFill how = renderOptions(a);
  if (Status s = GetAntialiasedMask(doc, objectIndex(doc, a.positional[1]), how.Render); !s) throw Failed(s.error());
  if (Status s = doc.SaveToFile(a.positional[2]); !s) throw Failed(s.error());
  return 0;
}

int BatchCommand(const std::vector<std::string>& words) {
  const Args a(words, kRenderFlags, with({"--object", "--textures", "--out", "--quality", "--format"}, kRenderValues));
  a.expect(1);
  const auto objectText = a.value("--object");
  const auto textures = a.value("--textures");
  const auto out = a.value("--out");
  if (!objectText || !textures || !out) throw UsageError("batch needs --object, --textures and --out");
  const std::string format = a.value("--format").value_or("jpg");
  if (!PictureFormats::instance().find(format) || !PictureFormats::instance().find(format)->write)
    throw UsageError("--format: jpg, png or bmp");
  const int q = quality(a);
  TKVXFile2 doc;
  loadProject(doc, a.positional[0]);
  const int index = objectIndex(doc, *objectText);
  const TDocumentFill how = renderOptions(a);

  std::error_code ec;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(*textures, ec)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && ext != ".kvx" && PictureFormats::instance().canRead(entry.path().string()))
      files.push_back(entry.path());
  }
  if (ec) throw Failed("cannot read the folder " + *textures + ": " + ec.message());
  if (files.empty()) throw Failed("no picture files in " + *textures);
  std::sort(files.begin(), files.end());
  fs::create_directories(*out, ec);
  if (ec) throw Failed("cannot make the folder " + *out + ": " + ec.message());

  warnIfMaskEmpty(doc, index);
  const TBitmap32 original = doc.Result;
  TKVXTexture& item = *doc.Objects[size_t(index)]->Texture;
  int failures = 0;
  for (size_t k = 0; k < files.size(); ++k) {
    const auto start = std::chrono::steady_clock::now();
    const fs::path target = fs::path(*out) / (files[k].stem().string() + "." + format);
    std::fprintf(stderr, "[%zu/%zu] %s", k + 1, files.size(), files[k].filename().c_str());
    auto texture = LoadPicture(files[k].string());
    Status done = texture ? Status(Ok{}) : Status(fail(texture.error()));
    if (done) {
      item.FromLibrary = item.FromFile = false;
      item.Get() = std::move(texture.value());
      doc.Result = original;
      done = FillObject(doc, index, how);
    }
    if (done) {
      PictureWriteOptions o;
      o.jpegQuality = q;
      done = SavePicture(target.string(), doc.Result, o);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (done) {
      std::fprintf(stderr, " -> %s (%lld ms)\n", target.c_str(), (long long)ms.count());
    } else {
      std::fprintf(stderr, ": %s\n", done.error().c_str());
      ++failures;
    }
  }
  if (failures) throw Failed(std::to_string(failures) + " of " + std::to_string(files.size()) + " textures failed");
  return 0;
}

int GridTexCoordsCommand(const std::vector<std::string>& words) {
  if (words.size() != 10) throw UsageError("expected IN.kvg EUX EUY EUZ EKX EVX EVY EVZ EKY OUT.kvg");
  std::array<std::string, 8> texts;
  std::copy(words.begin() + 1, words.begin() + 9, texts.begin());
  const auto k = ParseTexGenCoefficients(texts);
  if (!k) throw UsageError("the eight coefficients must be numbers");
  auto grid = LoadGridFile(words[0]);
  if (!grid) throw Failed(grid.error());
  GenLinearTexCoords(grid.value(), *k);
  if (Status s = SaveGridFile(words[9], grid.value()); !s) throw Failed(s.error());
  return 0;
}

}  // namespace kelvane::cli
