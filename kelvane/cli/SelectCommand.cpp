#include "SelectCommand.h"

#include <cstdlib>
#include <map>
#include <optional>

#include "CliErrors.h"
#include "CliSupport.h"
#include "raster/PictureFormats.h"
#include "select/Selection.h"

namespace kelvane::cli {
namespace {

TPoint point(const std::string& text, const std::string& what) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) throw UsageError(what + ": expected X,Y, got " + text);
  constexpr int64_t kFar = 1000000;  // pixels; shapes may reach beyond the picture
  return {int(ParseIntegerIn(text.substr(0, comma), what, -kFar, kFar)),
          int(ParseIntegerIn(text.substr(comma + 1), what, -kFar, kFar))};
}

}  // namespace

int SelectCommand(const std::vector<std::string>& words) {
  std::vector<std::string> pos;
  std::map<std::string, std::string> opt;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i].rfind("--", 0) == 0) {
      if (i + 1 >= words.size()) throw UsageError(words[i] + " needs a value");
      opt[words[i].substr(2)] = words[i + 1];
      ++i;
    } else {
      pos.push_back(words[i]);
    }
  }
  if (pos.size() != 4) throw UsageError("expected TOOL PICTURE MASK_IN|- MASK_OUT");
  auto take = [&](const std::string& key) -> std::optional<std::string> {
    auto it = opt.find(key);
    if (it == opt.end()) return std::nullopt;
    std::string v = it->second;
    opt.erase(it);
    return v;
  };
  const TBitmap32 image = LoadPictureOrFail(pos[1]);
  TByteMap mask = pos[2] == "-" ? TByteMap(image.Width(), image.Height(), 0)
                                : LoadMaskPicture(pos[2], image.Width(), image.Height());

  TSelectionGesture g;
  const std::string& tool = pos[0];
  if (tool == "rectangle" || tool == "ellipse") {
    g.tool = tool == "rectangle" ? TSelectionTool::stRectangle : TSelectionTool::stEllipse;
    const auto from = take("from"), to = take("to");
    if (!from || !to) throw UsageError(tool + " needs --from X,Y --to X,Y");
    g.start = point(*from, "--from");
    g.end = point(*to, "--to");
  } else if (tool == "polygon" || tool == "lasso") {
    g.tool = tool == "polygon" ? TSelectionTool::stPolygon : TSelectionTool::stLasso;
    const auto points = take("points");
    if (!points) throw UsageError(tool + " needs --points X,Y;X,Y;...");
    size_t start = 0;
    while (start <= points->size()) {
      const size_t semi = points->find(';', start);
      const std::string item = points->substr(start, semi - start);
      if (!item.empty()) g.vertices.push_back(point(item, "--points"));
      if (semi == std::string::npos) break;
      start = semi + 1;
    }
  } else if (tool == "wand" || tool == "color-range" || tool == "hsl-range") {
    g.tool = tool == "wand" ? TSelectionTool::stMagicWand
             : tool == "color-range" ? TSelectionTool::stColorRange : TSelectionTool::stHSLRange;
    if (auto s = take("seed")) g.end = point(*s, "--seed");
    else if (tool == "wand") throw UsageError("wand needs --seed X,Y");
    const auto c = take("color");
    const TColor32 ref = c ? ParseHexColor(*c, 6, "--color") : image.Pixel(g.end.x, g.end.y);
    if (!c && tool != "wand") throw UsageError(tool + " needs --color RRGGBB");
    g.colourUnderPointer = g.colourAtPress = ref;
    if (auto t = take("tolerance")) g.tolerance = int(ParseIntegerIn(*t, "--tolerance", 1, 100));
    if (auto v = take("dh")) g.dH = float(ParseRealIn(*v, "--dh", 1, 50) / 1000);
    if (auto v = take("ds")) g.dS = float(ParseRealIn(*v, "--ds", 0, 1));
    if (auto v = take("dl")) g.dL = float(ParseRealIn(*v, "--dl", 0, 1));
  } else {
    throw UsageError("unknown selection tool " + tool);
  }
  TSelectionSettings s;
  if (auto m = take("mode")) {
    if (*m == "replace") s.mode = TCombineMode::cmReplace;
    else if (*m == "add") s.mode = TCombineMode::cmAdd;
    else if (*m == "subtract") s.mode = TCombineMode::cmSubtract;
    else throw UsageError("--mode: replace, add or subtract");
  }
  if (auto f = take("feather")) s.feather = int(ParseIntegerIn(*f, "--feather", 0, 100));
  if (!opt.empty()) throw UsageError("--" + opt.begin()->first + " means nothing to " + tool);
  CommitSelection(mask, image, g, s, nullptr);
  TBitmap32 out(mask.Width(), mask.Height());
  for (int y = 0; y < mask.Height(); ++y)
    for (int x = 0; x < mask.Width(); ++x) {
      const uint8_t v = mask.Value(x, y);
      out.SetPixel(x, y, Color32(v, v, v));
    }
  if (Status st = SavePicture(pos[3], out); !st) throw Failed(st.error());
  return 0;
}

}  // namespace kelvane::cli
