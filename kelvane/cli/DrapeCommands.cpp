#include "DrapeCommands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "CliErrors.h"
#include "CliSupport.h"
#include "Json.h"
#include "ParamFields.h"
#include "TileOptions.h"
#include "app/BatchDrape.h"
#include "app/ObjectFill.h"
#include "drape/DrapeFill.h"
#include "drape/Jitter.h"
#include "drape/TexCoordGen.h"
#include "filters/Convolution.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {
namespace {

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

const std::set<std::string> kRenderFlags = {"--sharpen", "--no-aa-render", "--projective", "--texture-alpha"};
const std::set<std::string> kRenderValues = {"--sampling", "--passes"};

std::set<std::string> with(std::set<std::string> a, const std::set<std::string>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// The drape options that set fields of the parameter block: one field, or X,Y for two.
struct FieldOption {
  const char* option;
  const char* fields[2];
};
constexpr FieldOption kFieldOptions[] = {
    {"--color", {"Color"}},
    {"--tile", {"TileX", "TileY"}},
    {"--rotate", {"Rotate"}},
    {"--shift", {"ShiftX", "ShiftY"}},
    {"--seamless", {"SeamlessX", "SeamlessY"}},
    {"--fov", {"FieldOfView"}},
    {"--key", {"MaterialKey"}},
    {"--transparency", {"Transparency"}},
};

void setFieldOptions(const Args& a, TKVXParamBlock& p) {
  for (const FieldOption& o : kFieldOptions) {
    const auto text = a.value(o.option);
    if (!text) continue;
    if (!o.fields[1]) {
      SetParamField(p, o.fields[0], *text, o.option);
      continue;
    }
    const size_t comma = text->find(',');
    if (comma == std::string::npos) throw UsageError(std::string(o.option) + ": expected X,Y, got " + *text);
    SetParamField(p, o.fields[0], text->substr(0, comma), std::string(o.option) + " X");
    SetParamField(p, o.fields[1], text->substr(comma + 1), std::string(o.option) + " Y");
  }
}

void printWarnings(const TFillReport& report) {
  for (const std::string& w : report.Warnings()) std::fprintf(stderr, "kelvane-cli: warning: %s\n", w.c_str());
}

TDocumentFill renderOptions(const Args& a) {
  TDocumentFill how;
  if (auto s = a.value("--sampling")) {
    if (*s == "nearest")
      how.Render.Sampling = TTextureSampling::Nearest;
    else if (*s == "smooth")
      how.Render.Sampling = TTextureSampling::Smooth;
    else if (*s != "linear")
      throw UsageError("--sampling: linear, nearest or smooth");
  }
  if (auto p = a.value("--passes")) {
    how.Render.Passes = int(ParseIntegerIn(*p, "--passes", -1, 66));
    if (how.Render.Passes != -1 && JitterTable(how.Render.Passes).empty())
      throw UsageError("--passes: -1 (none), 2, 3, 4, 8, 15, 24 or 66");
  }
  how.Render.AntialiasingRender = !a.flag("--no-aa-render");
  how.Render.ProjectiveCells = a.flag("--projective");
  how.TextureAlpha = a.flag("--texture-alpha");
  how.Sharpen = a.flag("--sharpen");
  how.SharpenFn = [](TBitmap32& drape, const TByteMap& mask) { SharpenFilter(drape, &mask); };
  return how;
}

int quality(const Args& a) {
  return int(ParseIntegerIn(a.value("--quality").value_or("90"), "--quality", 1, 100));
}

// Prints the fill's steps with their times on stderr.
struct StepPrinter : TProgress {
  void Begin(const std::string&, int) override {}
  void Message(const std::string& m) override { std::fprintf(stderr, "%s ms\n", m.c_str()); }
  void Step() override {}
  void End() override {}
};

void warnIfMaskEmpty(TKVXFile2& doc, int index) {
  const TByteMap& m = doc.GetObjectView(index).Mask;
  if (std::all_of(m.Bits(), m.Bits() + size_t(m.Width()) * m.Height(), [](uint8_t v) { return v == 0; }))
    std::fprintf(stderr, "kelvane-cli: object %d covers nothing (its mask is empty); the result is unchanged\n", index);
}

// K/N: slice K (0..N-1) of N.
std::pair<size_t, size_t> parseShard(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) throw UsageError("--shard: expected K/N (K from 0 to N-1), got " + text);
  const int64_t n = ParseIntegerIn(text.substr(slash + 1), "--shard N", 1, 1000000);
  const int64_t k = ParseIntegerIn(text.substr(0, slash), "--shard K", 0, n - 1);
  return {size_t(k), size_t(n)};
}

// One record per texture of the slice, written whole under a temporary name.
void writeManifest(const std::string& path, const TBatchDrape& job, const TBatchReport& report) {
  std::string json = "{\"shard\":" + std::to_string(job.ShardIndex) + ",\"shards\":" + std::to_string(job.ShardCount) +
                     ",\"cancelled\":" + (report.Cancelled ? "true" : "false") + ",\"textures\":[";
  for (size_t i = 0; i < report.Items.size(); ++i) {
    const TBatchItem& t = report.Items[i];
    json += std::string(i ? "," : "") + "\n{\"input\":" + JsonString(t.Input) + ",\"output\":" + JsonString(t.Output) +
            ",\"milliseconds\":" + std::to_string(t.Milliseconds) + ",\"status\":\"" + t.Status() +
            "\",\"message\":" + JsonString(t.Skipped ? "already complete" : t.Error) + "}";
  }
  json += "\n]}\n";
  if (Status s = SaveFileAtomically(path, std::vector<uint8_t>(json.begin(), json.end())); !s)
    throw Failed("cannot write the manifest " + path + ": " + s.error());
}

}  // namespace

int DrapeCommand(const std::vector<std::string>& given) {
  std::vector<std::string> words = given;
  const TTileRule tiles = TakeTileOptions(words);
  const Args a(words, with({"--glare", "--level-up", "--hi-contrast", "--verbose"}, kRenderFlags),
               with({"--grid", "--mask", "--color", "--tile", "--rotate", "--shift", "--seamless", "--transparency",
                     "--fov", "--key", "--quality"},
                    kRenderValues));
  a.expect(3);
  // Options are checked before any picture is read.
  TKVXParamBlock p;
  setFieldOptions(a, p);
  p.Glare = a.flag("--glare");
  p.LevelUp = a.flag("--level-up");
  p.HiContrast = a.flag("--hi-contrast");
  TDocumentFill how = renderOptions(a);
  const int q = quality(a);

  TKVXFile2 doc;
  NewProjectFromPicture(doc, LoadPictureOrFail(a.positional[0]));
  TObjectView object = doc.GetObjectView(0);
  if (a.positional[1] != "-") object.Texture = LoadPictureOrFail(a.positional[1]);
  if (auto g = a.value("--grid")) {
    auto loaded = LoadGridFile(*g);
    if (!loaded) throw Failed(loaded.error());
    object.Grid = std::move(loaded.value());
  }
  if (auto m = a.value("--mask"))
    object.Mask = LoadMaskPicture(*m, doc.Width, doc.Height, "the photo");
  else
    object.Mask.Clear(255);
  p.Name = object.Param.Name;
  ApplyTileRuleOrFail(tiles, p, object.Grid, doc.Width, doc.Height, object.Texture);
  object.Param = p;

  StepPrinter steps;
  if (a.flag("--verbose")) how.Progress = &steps;
  TFillReport report;
  how.Report = &report;
  if (Status s = FillObject(doc, 0, how); !s) throw Failed(s.error());
  printWarnings(report);
  SavePictureOrFail(a.positional[2], doc.Result, q);
  return 0;
}

int ProjectFillCommand(const std::vector<std::string>& words) {
  const Args a(words, kRenderFlags, with({"--export", "--objects", "--quality"}, kRenderValues));
  a.expect(3);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a.positional[0]);
  const int current = ObjectIndex(doc, a.positional[1]);
  std::vector<int> selected;
  if (auto list = a.value("--objects")) {
    size_t start = 0;
    for (;;) {
      const size_t comma = list->find(',', start);
      selected.push_back(ObjectIndex(doc, list->substr(start, comma - start)));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (selected.size() < 2) warnIfMaskEmpty(doc, current);
  TDocumentFill how = renderOptions(a);
  TFillReport report;
  how.Report = &report;
  if (Status s = FillSelected(doc, current, selected, how); !s) throw Failed(s.error());
  printWarnings(report);
  if (auto e = a.value("--export")) SavePictureOrFail(*e, doc.Result, quality(a));
  SaveProjectOrFail(doc, a.positional[2]);
  return 0;
}

int ProjectAAMaskCommand(const std::vector<std::string>& words) {
  const Args a(words, {}, {"--passes"});
  a.expect(3);
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a.positional[0]);
  const TDocumentFill how = renderOptions(a);
  if (Status s = GetAntialiasedMask(doc, ObjectIndex(doc, a.positional[1]), how.Render); !s) throw Failed(s.error());
  SaveProjectOrFail(doc, a.positional[2]);
  return 0;
}

int BatchCommand(const std::vector<std::string>& given) {
  std::vector<std::string> words = given;
  const TTileRule tiles = TakeTileOptions(words);
  const Args a(words, with({"--resume"}, kRenderFlags),
               with({"--object", "--textures", "--out", "--quality", "--format", "--shard", "--manifest"}, kRenderValues));
  a.expect(1);
  const auto objectText = a.value("--object");
  const auto textures = a.value("--textures");
  const auto out = a.value("--out");
  if (!objectText || !textures || !out) throw UsageError("batch needs --object, --textures and --out");
  TBatchDrape job;
  job.Format = a.value("--format").value_or("jpg");
  if (!PictureFormats::instance().find(job.Format) || !PictureFormats::instance().find(job.Format)->write)
    throw UsageError("--format: jpg, png or bmp");
  job.Quality = quality(a);
  job.Fill = renderOptions(a);
  job.Tiles = tiles;
  TFillReport fillReport;
  job.Fill.Report = &fillReport;
  job.Textures = *textures;
  job.OutFolder = *out;
  if (auto shard = a.value("--shard")) std::tie(job.ShardIndex, job.ShardCount) = parseShard(*shard);
  job.Resume = a.flag("--resume");
  const auto manifest = a.value("--manifest");
  TKVXFile2 doc;
  LoadProjectOrFail(doc, a.positional[0]);
  job.Object = ObjectIndex(doc, *objectText);
  warnIfMaskEmpty(doc, job.Object);
  job.OnItem = [](const TBatchItem& item) {
    std::fprintf(stderr, "[%zu/%zu] %s", item.Number, item.Total, item.Texture.c_str());
    if (item.Skipped)
      std::fprintf(stderr, " -> %s (already complete)\n", item.Output.c_str());
    else if (item.Error.empty())
      std::fprintf(stderr, " -> %s (%lld ms)\n", item.Output.c_str(), (long long)item.Milliseconds);
    else
      std::fprintf(stderr, ": %s\n", item.Error.c_str());
  };
  auto report = BatchDrape(doc, job);
  if (!report) throw Failed(report.error());
  if (manifest) writeManifest(*manifest, job, report.value());
  // The grid and the mask are the same for every texture: one report says it.
  printWarnings(fillReport);
  if (const size_t failures = report->Failures())
    throw Failed(std::to_string(failures) + " of " + std::to_string(report->Items.size()) + " textures failed");
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
