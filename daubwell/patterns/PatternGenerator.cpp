#include "PatternGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace daubwell {
namespace {

constexpr int kSide = 400;
constexpr double kTau = 6.283185307179586;

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}
double unit(uint32_t x, uint32_t y, uint32_t seed) { return (hash(x, y, seed) & 0xFFFF) / 65535.0; }

// Value noise on a lattice of `cells` per side, wrapping so that the picture tiles.
double valueNoise(double x, double y, int cells, uint32_t seed) {
  const double fx = x / kSide * cells, fy = y / kSide * cells;
  const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
  const double tx = fx - ix, ty = fy - iy;
  auto at = [&](int cx, int cy) { return unit(uint32_t((cx % cells + cells) % cells), uint32_t((cy % cells + cells) % cells), seed); };
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double a = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * sx;
  const double b = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * sx;
  return a + (b - a) * sy;
}

// Several octaves of value noise, starting at `cells` per side.
double fractal(double x, double y, int cells, int octaves, uint32_t seed) {
  double sum = 0, amp = 1, total = 0;
  for (int o = 0; o < octaves; ++o, cells *= 2, amp *= 0.5) {
    sum += amp * valueNoise(x, y, cells, seed + uint32_t(o));
    total += amp;
  }
  return sum / total;
}

// Distances to the nearest and second-nearest of `cells` x `cells` jittered points
// (wrapping), for pores and crackle.
std::pair<double, double> cellular(double x, double y, int cells, uint32_t seed) {
  const double size = double(kSide) / cells;
  const int cx = int(x / size), cy = int(y / size);
  double d1 = 1e9, d2 = 1e9;
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) {
      const int gx = cx + i, gy = cy + j;
      const uint32_t wx = uint32_t((gx % cells + cells) % cells), wy = uint32_t((gy % cells + cells) % cells);
      const double px = (gx + unit(wx, wy, seed)) * size, py = (gy + unit(wx, wy, seed + 7)) * size;
      const double d = std::hypot(px - x, py - y);
      if (d < d1) {
        d2 = d1;
        d1 = d;
      } else if (d < d2) {
        d2 = d;
      }
    }
  return {d1 / size, d2 / size};
}

// Distance to (cx, cy) on the torus the picture tiles into, with y stretched by `sy`.
double torusDistance(double x, double y, double cx, double cy, double sy = 1.0) {
  const double dx = std::fabs(x - cx), dy = std::fabs(y - cy);
  return std::hypot(std::min(dx, kSide - dx), sy * std::min(dy, kSide - dy));
}

double wave(double v, int periodsPerSide) { return 0.5 + 0.5 * std::sin(v * kTau * periodsPerSide / kSide); }

using Pattern = std::function<double(double x, double y)>;

// Style images: gloss that the highlight carries; a bright glaze is rare, so most sit low.
const std::vector<Pattern>& stylePatterns() {
  static const std::vector<Pattern> p = {
      [](double x, double y) { return 0.15 + 0.5 * fractal(x, y, 4, 5, 11); },                      // soft gloss
      [](double x, double y) { return 0.55 * std::pow(fractal(x, y, 8, 4, 12), 2.0); },             // oily sheen
      [](double x, double y) { return 0.2 + 0.6 * wave(y + 12 * fractal(x, y, 6, 3, 13), 40); },     // bristle streaks
      [](double x, double y) { return 0.7 * fractal(x, y, 25, 3, 14); },                            // fine grain
      [](double x, double y) { return 0.1 + 0.8 * std::pow(wave(x + y, 8) * wave(x - y, 8), 3.0); }, // diamond glints
      [](double x, double y) { return 0.8 * std::pow(unit(uint32_t(x), uint32_t(y), 15), 12.0); },  // sparkle
      [](double x, double y) { return 0.6 * (1 - cellular(x, y, 10, 16).first); },                  // pebbles
      [](double x, double y) { return 0.5 * wave(x + 30 * fractal(x, y, 4, 3, 17), 20); },          // marbled veins
      [](double x, double y) { return 0.25 + 0.35 * wave(torusDistance(x, y, 200, 200), 25); },      // rings
      [](double x, double y) { return 0.6 * fractal(x, y, 2, 6, 18); },                             // clouds
      [](double x, double y) { return 0.3 + 0.4 * wave(x, 50) * wave(y, 50); },                     // canvas weave
      [](double x, double y) { return 0.7 * std::min(1.0, cellular(x, y, 14, 19).second - cellular(x, y, 14, 19).first); },
      [](double x, double y) { return 0.5 * wave(x * 0.7 + y, 30) * fractal(x, y, 8, 3, 20); },     // ripples
      [](double x, double y) { return fractal(x, y, 16, 2, 21) > 0.62 ? 0.8 : 0.1; },               // spots
      [](double x, double y) { return 0.45 + 0.25 * wave(x, 10) - 0.2 * wave(y, 7); },              // broad bands
      [](double x, double y) { return 0.9 * std::pow(fractal(x, y, 6, 5, 22), 3.0); },              // wet patches
      [](double, double) { return 0.35; },                                                          // even satin
      [](double x, double y) { return 0.2 + 0.6 * wave(x + 20 * std::sin(y / 40.0), 24); },         // wavy combing
  };
  return p;
}

// Texture images: bright where paint piles up, dark where it does not take.
const std::vector<Pattern>& texturePatterns() {
  static const std::vector<Pattern> p = {
      [](double x, double y) { return 0.5 + 0.5 * wave(x, 100) * wave(y, 100); },                    // canvas weave
      [](double x, double y) { return 0.3 + 0.7 * fractal(x, y, 40, 3, 31); },                      // paper grain
      [](double x, double y) { return 0.2 + 0.8 * wave(y + 6 * fractal(x, y, 8, 3, 32), 60); },      // bristle streaks
      [](double x, double y) { return std::min(1.0, 1.4 * cellular(x, y, 24, 33).first); },          // sponge pores
      [](double x, double y) { return std::min(1.0, 6 * (cellular(x, y, 9, 34).second - cellular(x, y, 9, 34).first)); },  // crackle
      [](double x, double y) { return 0.4 + 0.3 * wave(x, 130) + 0.3 * wave(y, 110); },            // linen
      [](double x, double y) { return wave(torusDistance(x, y, 130, 200, 0.25) + 15 * fractal(x, y, 4, 3, 35), 30); },  // wood grain
      [](double x, double y) { return unit(uint32_t(x) / 2, uint32_t(y) / 2, 36) > 0.7 ? 1.0 : 0.15; },  // stipple
      [](double x, double y) { return wave(x + y, 60) > 0.6 ? 1.0 : 0.2; },                         // hatching
      [](double x, double y) { return std::max(wave(x + y, 50), wave(x - y, 50)) > 0.75 ? 1.0 : 0.25; },  // cross-hatching
      [](double x, double y) { return fractal(x, y, 64, 2, 37); },                                  // fine noise
      [](double x, double y) { return fractal(x, y, 16, 4, 38); },                                  // medium noise
      [](double x, double y) { return fractal(x, y, 4, 6, 39); },                                   // coarse noise
      [](double x, double y) { return 0.5 + 0.5 * std::sin(std::fmod(x, 40.0) / 40 * kTau) * (std::fmod(y, 80.0) < 40 ? 1 : -1); },  // basket weave
      [](double x, double y) { return 0.3 + 0.7 * std::pow(1 - cellular(x, y, 20, 40).first, 2.0); },  // pebbled
      [](double x, double y) { return wave(x + 25 * std::sin(y * kTau / 200), 16); },              // waves
      [](double x, double y) { return 0.2 + 0.8 * wave(std::hypot(std::fmod(x, 50.0) - 25, std::fmod(y, 50.0) - 25), 48); },  // dimples
      [](double x, double y) { return 0.25 + 0.75 * fractal(x * 0.2 + y, y, 20, 3, 41); },          // dry brush drag
  };
  return p;
}

DisplaySurface render(const Pattern& pattern) {
  DisplaySurface s;
  s.create(kSide, kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const uint8_t v = uint8_t(std::clamp(pattern(x + 0.5, y + 0.5), 0.0, 1.0) * 255 + 0.5);
      s.setPixel(x, y, v, v, v);
    }
  return s;
}

}  // namespace

DisplaySurface makeStylePattern(int index) {
  const auto& p = stylePatterns();
  return render(p[size_t(index) % p.size()]);
}

DisplaySurface makeTexturePattern(int index) {
  const auto& p = texturePatterns();
  return render(p[size_t(index) % p.size()]);
}

}  // namespace daubwell
