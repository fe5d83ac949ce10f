#include "FilterCommand.h"

#include <cstdlib>
#include <map>

#include "CliErrors.h"
#include "CliSupport.h"
#include "filters/Adjust.h"
#include "filters/ColorReplace.h"
#include "filters/Convolution.h"
#include "filters/NPR.h"
#include "raster/PictureFormats.h"
#include "raster/HSL.h"

namespace kelvane::cli {
namespace {

class Params {
public:
  explicit Params(const std::vector<std::string>& items) {
    for (const auto& item : items) {
      const size_t eq = item.find('=');
      if (eq == std::string::npos) throw UsageError("--param: expected k=v, got " + item);
      values_[item.substr(0, eq)] = item.substr(eq + 1);
    }
  }
  double number(const std::string& key, double fallback) {
    auto it = values_.find(key);
    if (it == values_.end()) return fallback;
    used_[key] = true;
    return ParseReal(it->second, "--param " + key);
  }
  std::string text(const std::string& key, const std::string& fallback) {
    auto it = values_.find(key);
    if (it == values_.end()) return fallback;
    used_[key] = true;
    return it->second;
  }
  void checkAllUsed() const {
    for (const auto& [k, v] : values_)
      if (!used_.count(k)) throw UsageError("--param " + k + " means nothing to this filter");
  }

private:
  std::map<std::string, std::string> values_;
  std::map<std::string, bool> used_;
};

TStretchFilter filterParam(Params& p) {
  const std::string f = p.text("filter", "linear");
  if (f == "linear") return TStretchFilter::sfLinear;
  if (f == "nearest") return TStretchFilter::sfNearest;
  throw UsageError("--param filter: linear or nearest");
}

}  // namespace

int FilterCommand(const std::vector<std::string>& words) {
  std::vector<std::string> positional, params;
  std::string maskPath;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--mask" && i + 1 < words.size()) {
      maskPath = words[++i];
    } else if (words[i] == "--param" && i + 1 < words.size()) {
      params.push_back(words[++i]);
    } else if (words[i].rfind("--", 0) == 0) {
      throw UsageError("unknown option " + words[i]);
    } else {
      positional.push_back(words[i]);
    }
  }
  if (positional.size() != 3) throw UsageError("expected NAME PICTURE OUT");
  const std::string& name = positional[0];
  TBitmap32 image = LoadPictureOrFail(positional[1]);
  TByteMap mask;
  if (!maskPath.empty()) mask = LoadMaskPicture(maskPath, image.Width(), image.Height());
  const TByteMap* maskPtr = maskPath.empty() ? nullptr : &mask;
  Params p(params);
  // Filters that read beyond the picture see the colour of its top-left pixel there.
  image.OuterColor = image.Pixel(0, 0);

  if (name == "blur") BlurFilter(image, maskPtr);
  else if (name == "sharpen") SharpenFilter(image, maskPtr);
  else if (name == "find-edge") FindEdgeFilter(image, maskPtr);
  else if (name == "sobel") SobelFilter(image, maskPtr);
  else if (name == "blur-edge") {
    if (!maskPtr) throw UsageError("blur-edge needs --mask");
    BlurEdge(image, mask);
  } else if (name == "water-color") WaterColorFilter(image, maskPtr);
  else if (name == "npr") {
    TNPRParams n;
    n.noise = int(p.number("noise", 1));
    n.edgeIntensity = int(p.number("intensity", 128));
    n.distortion = int(p.number("distortion", 0));
    const std::string mode = p.text("mode", "find-edge");
    if (mode != "find-edge" && mode != "sobel") throw UsageError("--param mode: find-edge or sobel");
    n.mode = mode == "sobel" ? TEdgeMode::Sobel : TEdgeMode::FindEdge;
    NPRFilter(image, n, maskPtr, nullptr, uint32_t(p.number("seed", 0)));
  } else if (name == "replace-color") {
    TRepColor e;
    const std::string ref = p.text("ref", "");
    if (!ref.empty()) {
      const THSL hsl = RGBToHSL(TColor32(std::strtoul(ref.c_str(), nullptr, 16)));
      e.H = hsl.H;
      e.S = hsl.S;
      e.L = hsl.L;
    }
    e.newH = float(p.number("H", 0));
    e.kS = float(p.number("kS", 1));
    e.kL = float(p.number("kL", 1));
    e.dH = float(p.number("deltaH", 10) / 1000);
    e.dS = float(p.number("deltaS", 1));
    e.dL = float(p.number("deltaL", 1));
    ColorReplace({e}, image, maskPtr);
  } else if (name == "balance") {
    BalanceInputs in;
    in.brightness = int(p.number("brightness", 0));
    in.contrast = int(p.number("contrast", 0));
    in.gamma = int(p.number("gamma", 0));
    ApplyBalanceTable(image, BuildBalanceTable(in));
  } else if (name == "rotate-90") image = Rotate90(image);
  else if (name == "rotate-180") image = Rotate180(image);
  else if (name == "rotate-270") image = Rotate270(image);
  else if (name == "flip-h") image = FlipHorizontal(image);
  else if (name == "flip-v") image = FlipVertical(image);
  else if (name == "rotate") {
    image.StretchFilter = filterParam(p);
    image = RotateByAngle(image, p.number("angle", 0));
  } else if (name == "resize") {
    const int w = int(p.number("width", 0)), h = int(p.number("height", 0));
    if (w < 1 || h < 1 || w > TBitmap32::kMaxSide || h > TBitmap32::kMaxSide)
      throw UsageError("resize needs --param width=W --param height=H");
    image.StretchFilter = filterParam(p);
    image = image.Resampled(w, h);
  } else {
    throw UsageError("unknown filter " + name);
  }
  p.checkAllUsed();
  if (Status s = SavePicture(positional[2], image); !s) throw Failed(s.error());
  return 0;
}

}  // namespace kelvane::cli
