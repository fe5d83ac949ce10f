#include "FilterCommand.h"

#include <map>
#include <string_view>

#include "CliErrors.h"
#include "CliSupport.h"
#include "filters/Adjust.h"
#include "filters/ColorReplace.h"
#include "filters/Convolution.h"
#include "filters/NPR.h"
#include "raster/HSL.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {
namespace {

// The --param k=v values (or the k=v,k=v list of one --entry); each read names its
// range, and a value no filter read is bad usage.
class Params {
public:
  explicit Params(const std::vector<std::string>& items, std::string option = "--param")
      : option_(std::move(option)) {
    for (const auto& item : items) {
      const size_t eq = item.find('=');
      if (eq == std::string::npos) throw UsageError(option_ + ": expected k=v, got " + item);
      const std::string key = item.substr(0, eq);
      if (option_ != "--param" && values_.count(key)) throw UsageError(option_ + ": " + key + " given twice");
      values_[key] = item.substr(eq + 1);
    }
  }
  // The --entry values, each a comma-separated list of k=v.
  std::vector<std::string> entries;
  double real(const std::string& key, double fallback, double lo, double hi) {
    const std::string* v = take(key);
    return v ? ParseRealIn(*v, option_ + " " + key, lo, hi) : fallback;
  }
  int whole(const std::string& key, int fallback, int lo, int hi) {
    const std::string* v = take(key);
    return v ? int(ParseIntegerIn(*v, option_ + " " + key, lo, hi)) : fallback;
  }
  std::string text(const std::string& key, const std::string& fallback) {
    const std::string* v = take(key);
    return v ? *v : fallback;
  }
  void checkAllUsed() const {
    for (const auto& [k, v] : values_)
      if (!used_.count(k)) throw UsageError(option_ + " " + k + " means nothing to this filter");
  }

private:
  const std::string* take(const std::string& key) {
    auto it = values_.find(key);
    if (it == values_.end()) return nullptr;
    used_[key] = true;
    return &it->second;
  }
  std::string option_;
  std::map<std::string, std::string> values_;
  std::map<std::string, bool> used_;
};

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t comma = text.find(',', from);
    parts.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) return parts;
    from = comma + 1;
  }
}

TStretchFilter filterParam(Params& p) {
  const std::string f = p.text("filter", "linear");
  if (f == "linear") return TStretchFilter::sfLinear;
  if (f == "nearest") return TStretchFilter::sfNearest;
  throw UsageError("--param filter: linear or nearest");
}

// A filter reads its parameters (a value out of range is bad usage) and runs on the
// picture, through the mask when there is one.
using FilterRun = void (*)(TBitmap32& image, const TByteMap* mask, Params& p);

void npr(TBitmap32& image, const TByteMap* mask, Params& p) {
  TNPRParams n;
  n.noise = p.whole("noise", 1, 0, 100);
  n.edgeIntensity = p.whole("intensity", 128, 1, 255);
  n.distortion = p.whole("distortion", 0, 0, 10);
  const std::string mode = p.text("mode", "find-edge");
  if (mode != "find-edge" && mode != "sobel") throw UsageError("--param mode: find-edge or sobel");
  n.mode = mode == "sobel" ? TEdgeMode::Sobel : TEdgeMode::FindEdge;
  const auto seed = uint32_t(ParseIntegerIn(p.text("seed", "0"), "--param seed", 0, 4294967295));
  NPRFilter(image, n, mask, nullptr, seed);
}

TRepColor repColorEntry(Params& p, const std::string& option) {
  TRepColor e;
  const std::string ref = p.text("ref", "");
  if (!ref.empty()) {
    const THSL hsl = RGBToHSL(ParseHexColor(ref, 6, option + " ref"));
    e.H = hsl.H;
    e.S = hsl.S;
    e.L = hsl.L;
  }
  e.newH = float(p.real("H", 0, 0, 1));
  e.kS = float(p.real("kS", 1, 0, 5));
  e.kL = float(p.real("kL", 1, 0, 2));
  e.dH = float(p.real("deltaH", 10, 1, 50) / 1000);
  e.dS = float(p.real("deltaS", 1, 0, 1));
  e.dL = float(p.real("deltaL", 1, 0, 1));
  return e;
}

// One entry from --param, or one per --entry, applied in the order given.
void replaceColor(TBitmap32& image, const TByteMap* mask, Params& p) {
  TRepColorSet set;
  if (p.entries.empty()) {
    set.push_back(repColorEntry(p, "--param"));
  } else {
    for (const std::string& text : p.entries) {
      Params entry(SplitList(text), "--entry");
      set.push_back(repColorEntry(entry, "--entry"));
      entry.checkAllUsed();
    }
  }
  ColorReplace(set, image, mask);
}

void balance(TBitmap32& image, const TByteMap*, Params& p) {
  BalanceInputs in;
  in.brightness = p.whole("brightness", 0, -100, 100);
  in.contrast = p.whole("contrast", 0, -100, 100);
  in.gamma = p.whole("gamma", 0, -100, 100);
  ApplyBalanceTable(image, BuildBalanceTable(in));
}

void rotateByAngle(TBitmap32& image, const TByteMap*, Params& p) {
  const double angle = p.real("angle", 0, -1e6, 1e6);
  image.StretchFilter = filterParam(p);
  image = RotateByAngle(image, angle);
}

void resize(TBitmap32& image, const TByteMap*, Params& p) {
  const int w = p.whole("width", 0, 1, TBitmap32::kMaxSide), h = p.whole("height", 0, 1, TBitmap32::kMaxSide);
  if (w == 0 || h == 0) throw UsageError("resize needs --param width=W --param height=H");
  image.StretchFilter = filterParam(p);
  image = image.Resampled(w, h);
}

struct Filter {
  std::string_view name;
  // The whole-image adjustments ignore the selection, so they refuse a mask.
  bool wholeImage;
  FilterRun run;
};

constexpr Filter kFilters[] = {
    {"blur", false, [](TBitmap32& i, const TByteMap* m, Params&) { BlurFilter(i, m); }},
    {"sharpen", false, [](TBitmap32& i, const TByteMap* m, Params&) { SharpenFilter(i, m); }},
    {"find-edge", false, [](TBitmap32& i, const TByteMap* m, Params&) { FindEdgeFilter(i, m); }},
    {"sobel", false, [](TBitmap32& i, const TByteMap* m, Params&) { SobelFilter(i, m); }},
    {"blur-edge", false,
     [](TBitmap32& i, const TByteMap* m, Params&) {
       if (!m) throw UsageError("blur-edge needs --mask");
       BlurEdge(i, *m);
     }},
    {"water-color", false, [](TBitmap32& i, const TByteMap* m, Params&) { WaterColorFilter(i, m); }},
    {"npr", false, npr},
    {"replace-color", false, replaceColor},
    {"balance", true, balance},
    {"rotate-90", true, [](TBitmap32& i, const TByteMap*, Params&) { i = Rotate90(i); }},
    {"rotate-180", true, [](TBitmap32& i, const TByteMap*, Params&) { i = Rotate180(i); }},
    {"rotate-270", true, [](TBitmap32& i, const TByteMap*, Params&) { i = Rotate270(i); }},
    {"flip-h", true, [](TBitmap32& i, const TByteMap*, Params&) { i = FlipHorizontal(i); }},
    {"flip-v", true, [](TBitmap32& i, const TByteMap*, Params&) { i = FlipVertical(i); }},
    {"rotate", true, rotateByAngle},
    {"resize", true, resize},
};

}  // namespace

int FilterCommand(const std::vector<std::string>& words) {
  std::vector<std::string> positional, params, entries;
  std::string maskPath;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--mask" || w == "--param" || w == "--entry") {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      (w == "--mask" ? maskPath : (w == "--param" ? params : entries).emplace_back()) = words[++i];
    } else if (w.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + w);
    } else {
      positional.push_back(w);
    }
  }
  if (positional.size() != 3) throw UsageError("expected NAME PICTURE OUT");
  const Filter* filter = nullptr;
  for (const Filter& f : kFilters)
    if (f.name == positional[0]) filter = &f;
  if (!filter) throw UsageError("unknown filter " + positional[0]);
  if (filter->wholeImage && !maskPath.empty())
    throw UsageError("--mask: " + positional[0] + " works on the whole picture and takes no mask");

  TBitmap32 image = LoadPictureOrFail(positional[1]);
  TByteMap mask;
  if (!maskPath.empty()) mask = LoadMaskPicture(maskPath, image.Width(), image.Height());
  if (!entries.empty() && filter->name != "replace-color")
    throw UsageError("--entry: only replace-color takes entries");
  Params p(params);
  p.entries = entries;
  if (!entries.empty() && !params.empty())
    throw UsageError("--entry: give the entries alone, without --param");
  // Filters that read beyond the picture see the colour of its top-left pixel there.
  image.OuterColor = image.Pixel(0, 0);
  filter->run(image, maskPath.empty() ? nullptr : &mask, p);
  p.checkAllUsed();
  if (Status s = SavePicture(positional[2], image); !s) throw Failed(s.error());
  return 0;
}

}  // namespace kelvane::cli
