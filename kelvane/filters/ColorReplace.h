#pragma once
#include <vector>

#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

namespace kelvane {

// One reference colour with its tolerances and what a match becomes.
struct TRepColor {
  float H = 0, S = 0, L = 0;
  float dH = 0.02f, dS = 1, dL = 1;
  float newH = 0, kS = 1, kL = 1;
};
using TRepColorSet = std::vector<TRepColor>;

// The entry a preview creates when the set is empty.
inline TRepColor DefaultRepColor() { return {}; }

// Recolours every pixel whose hue, saturation and lightness lie strictly within the
// tolerances of an entry (entries in order, each testing what earlier ones made of the
// pixel), then writes back through the mask.
void ColorReplace(const TRepColorSet& set, TBitmap32& target, const TByteMap* mask);

// The dialog's colour strips, `width` pixels wide: the hue strip, the lightness strip,
// the saturation strip and the matched-hue band.
std::vector<TColor32> HueStrip(int width);
std::vector<TColor32> LightnessStrip(int width, float h, const TRepColor& first, float kS);
std::vector<TColor32> SaturationStrip(int width, float h, const TRepColor& first, float kL);
std::vector<TColor32> MatchedHueBand(int width, const TRepColor& first);

}  // namespace kelvane
