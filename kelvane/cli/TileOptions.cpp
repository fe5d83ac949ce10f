#include "TileOptions.h"

#include <algorithm>
#include <cstdio>

#include "CliErrors.h"

namespace kelvane::cli {

namespace {

// The value after `name`, removed from the words with it; empty when absent.
std::optional<std::string> takeValue(std::vector<std::string>& words, const std::string& name) {
  std::optional<std::string> out;
  for (size_t i = 0; i < words.size();) {
    if (words[i] != name) {
      ++i;
      continue;
    }
    if (i + 1 >= words.size()) throw UsageError(name + " needs a value");
    out = words[i + 1];
    words.erase(words.begin() + long(i), words.begin() + long(i) + 2);
  }
  return out;
}

bool takeFlag(std::vector<std::string>& words, const std::string& name) {
  const auto end = std::remove(words.begin(), words.end(), name);
  const bool found = end != words.end();
  words.erase(end, words.end());
  return found;
}

constexpr double kMaxCm = 1e6;  // ten kilometres: anything larger is a typing slip

}  // namespace

TTileRule TakeTileOptions(std::vector<std::string>& words) {
  TTileRule rule;
  rule.KeepProportions = takeFlag(words, "--keep-aspect");
  const auto width = takeValue(words, "--object-width");
  const auto repeat = takeValue(words, "--repeat");
  if (width.has_value() != repeat.has_value()) throw UsageError("--object-width and --repeat go together");
  if (!width) return rule;
  if (std::find(words.begin(), words.end(), "--tile") != words.end())
    throw UsageError("--tile cannot go with --object-width and --repeat, which give the tiling");
  rule.ObjectWidthCm = ParseRealIn(*width, "--object-width", 0.01, kMaxCm);
  const size_t comma = repeat->find(',');
  rule.RepeatXCm = ParseRealIn(repeat->substr(0, comma), "--repeat", 0.01, kMaxCm);
  if (comma != std::string::npos) {
    rule.RepeatYCm = ParseRealIn(repeat->substr(comma + 1), "--repeat Y", 0.01, kMaxCm);
    if (rule.KeepProportions)
      throw UsageError("--keep-aspect cannot go with --repeat X,Y, which gives the repeat's height");
  }
  return rule;
}

void ApplyTileRuleOrFail(const TTileRule& rule, TKVXParamBlock& param, const TMapGrid& grid, int imageWidth,
                         int imageHeight, const TBitmap32& texture) {
  if (rule.Empty()) return;
  // Without a texture the render draws one pixel of the colour: square.
  const int tw = texture.Empty() ? 1 : texture.Width(), th = texture.Empty() ? 1 : texture.Height();
  auto tiles = RuleTiles(rule, param, grid, imageWidth, imageHeight, tw, th);
  if (!tiles) throw Failed(tiles.error());
  auto held = [](float v, const char* name) {
    const float c = std::clamp(v, kMinTile, kMaxTile);
    if (c != v)
      std::fprintf(stderr, "kelvane-cli: warning: %s would be %.9g; it is held to %.9g\n", name, double(v), double(c));
    return c;
  };
  param.TileX = held(tiles->first, "TileX");
  param.TileY = held(tiles->second, "TileY");
}

}  // namespace kelvane::cli
