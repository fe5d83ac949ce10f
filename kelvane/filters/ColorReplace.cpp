#include "ColorReplace.h"

#include <cmath>

#include "../raster/ApplyThroughMask.h"
#include "../raster/ParallelRows.h"
#include "../raster/HSL.h"

namespace kelvane {

void ColorReplace(const TRepColorSet& set, TBitmap32& target, const TByteMap* mask) {
  TBitmap32 c = target;
  ParallelRows(c.Height(), c.Width(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* row = c.ScanLine(y);
      for (int x = 0; x < c.Width(); ++x) {
        THSL p = RGBToHSL(row[x]);
        for (const TRepColor& e : set) {
          if (std::fabs(e.H - p.H) < e.dH && std::fabs(e.S - p.S) < e.dS && std::fabs(e.L - p.L) < e.dL) {
            p = {e.newH, p.S * e.kS, p.L * e.kL};
            row[x] = HSLToRGB(p.H, p.S, p.L);
          }
        }
      }
    }
  });
  ApplyThroughMask(c, target, mask);
}

namespace {

template <class Colour>
std::vector<TColor32> strip(int width, Colour colour) {
  std::vector<TColor32> out;
  for (int x = 0; x < width; ++x) out.push_back(colour(float(x) / width));
  return out;
}

}  // namespace

std::vector<TColor32> HueStrip(int width) {
  return strip(width, [](float t) { return HSLToRGB(t, 1, 0.5f); });
}

std::vector<TColor32> LightnessStrip(int width, float h, const TRepColor& first, float kS) {
  return strip(width, [&](float t) { return HSLToRGB(h, first.S * kS, 2 * first.L * t); });
}

std::vector<TColor32> SaturationStrip(int width, float h, const TRepColor& first, float kL) {
  return strip(width, [&](float t) { return HSLToRGB(h, 5 * first.S * t, first.L * kL); });
}

std::vector<TColor32> MatchedHueBand(int width, const TRepColor& first) {
  return strip(width, [&](float t) { return HSLToRGB(first.H - first.dH / 2 + first.dH * t, 1, 0.5f); });
}

}  // namespace kelvane
