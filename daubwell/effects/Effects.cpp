#include "Effects.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "canvas/Lighting.h"
#include "canvas/ParallelRows.h"
#include "canvas/Truncate.h"

namespace daubwell {
namespace {

// Grey value of three effects: red weighted 0.59, green 0.3, blue 0.11.
double grey(const CanvasPixel& p) { return 0.59 * p.red + 0.3 * p.green + 0.11 * p.blue; }

// Every rule reads and writes only its own pixel, so the rows are shared out between
// the cores.
template <class Rule>
void eachPixel(Canvas& c, Rule rule) {
  parallelRows(c.height, c.width, [&](uint32_t y0, uint32_t y1) {
    CanvasPixel* p = &c.at(0, y0);
    for (size_t n = size_t(y1 - y0) * c.width; n; --n, ++p) rule(*p);
  });
}

// For the two effects that read the shown colour: rule(record, r, g, b).
template <class Rule>
void eachShownPixel(Canvas& c, Rule rule) {
  const int bpp = c.surface.bytesPerPixel();
  parallelRows(c.height, c.width, [&](uint32_t y0, uint32_t y1) {
    for (uint32_t y = y0; y < y1; ++y) {
      const uint8_t* shown = c.surface.pictureRow(y);
      CanvasPixel* p = &c.at(0, y);
      for (uint32_t x = 0; x < c.width; ++x, shown += bpp) rule(p[x], shown[2], shown[1], shown[0]);
    }
  });
}

// A pattern image sampled over the canvas as the brush engine samples it, with the
// column of every canvas x worked out once: rule(record, value).
template <class Rule>
void eachPatternPixel(Canvas& c, const DisplaySurface& image, float offsetX, float offsetY, Rule rule) {
  std::vector<uint32_t> columns(c.width);
  for (uint32_t x = 0; x < c.width; ++x)
    columns[x] = uint32_t(std::llabs(truncOffset(offsetX) + int64_t(x)) % kPatternSide);
  const bool sized = image.valid() && image.width() == uint32_t(kPatternSide) && image.height() == uint32_t(kPatternSide);
  const int bpp = image.bytesPerPixel();
  parallelRows(c.height, c.width, [&](uint32_t y0, uint32_t y1) {
    for (uint32_t y = y0; y < y1; ++y) {
      const int64_t row = std::llabs(truncOffset(offsetY) + int64_t(y)) % kPatternSide;
      CanvasPixel* p = &c.at(0, y);
      if (!sized) {  // a missing or odd-sized image reads through its own bounds checks
        for (uint32_t x = 0; x < c.width; ++x) rule(p[x], int(image.grey(columns[x], row)));
        continue;
      }
      const uint8_t* src = image.pictureRow(uint32_t(row));
      for (uint32_t x = 0; x < c.width; ++x) rule(p[x], int(src[size_t(columns[x]) * bpp + 2]));
    }
  });
}

// x / 255 for every byte value, exactly as the division gives it.
const std::array<double, 256>& fractions255() {
  static const std::array<double, 256> t = [] {
    std::array<double, 256> a{};
    for (int i = 0; i < 256; ++i) a[size_t(i)] = i / 255.0;
    return a;
  }();
  return t;
}

void invertColours(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) {
    p.red = uint8_t(255 - p.red);
    p.green = uint8_t(255 - p.green);
    p.blue = uint8_t(255 - p.blue);
  });
}

void desaturate(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.red = p.green = p.blue = uint8_t(std::min(255, int(grey(p)))); });
}

// Solarize and Night divide every channel by the pixel's largest; the quotients of all
// byte pairs are tabled once, exactly as the division gives them.
void solarize(Canvas& c, const EffectParams&) {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> t(256 * 256);
    for (int m = 1; m < 256; ++m)
      for (int v = 0; v <= m; ++v)
        t[size_t(m) * 256 + size_t(v)] = uint8_t(int(v + (int(double(v) / m * 255) - v) * 0.5));
    return t;
  }();
  eachPixel(c, [](CanvasPixel& p) {
    const int m = std::max({p.red, p.green, p.blue});
    const uint8_t* row = &table[size_t(m) * 256];
    p.red = row[p.red];
    p.green = row[p.green];
    p.blue = row[p.blue];
  });
}

void night(Canvas& c, const EffectParams&) {
  static const std::vector<double> ratio = [] {
    std::vector<double> t(256 * 256, 0.0);
    for (int m = 1; m < 256; ++m)
      for (int v = 0; v <= m; ++v) t[size_t(m) * 256 + size_t(v)] = double(v) / m;
    return t;
  }();
  eachPixel(c, [](CanvasPixel& p) {
    const double* row = &ratio[size_t(std::max({p.red, p.green, p.blue})) * 256];
    const double hl = p.highlight;
    p.red = uint8_t(int(row[p.red] * hl));
    p.green = uint8_t(int(row[p.green] * hl));
    p.blue = uint8_t(int(row[p.blue] * hl));
  });
}

void aqua(Canvas& c, const EffectParams&) {
  const std::array<double, 256>& f = fractions255();
  eachPixel(c, [&f](CanvasPixel& p) {
    const double k = f[size_t(std::min(255, int(grey(p))))];
    const int red = int(f[p.highlight] * k * p.red);
    p.green = uint8_t(int(f[size_t(red)] * k * p.green));
    p.blue = uint8_t(std::max(30, int(f[p.blue] * k * p.blue)));
    p.red = uint8_t(red);
  });
}

void invertPaint(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.highlight = uint8_t(255 - p.highlight); });
}

void fillPaint(Canvas& c, const EffectParams& e) {
  if (!e.patterns) return;
  eachPatternPixel(c, e.patterns->styleImage(e.style), e.offsets.textureX, e.offsets.textureY,
                   [](CanvasPixel& p, int v) { p.highlight = uint8_t(v); });
}

void invertTexture(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.height = -p.height; });
}

void fillTexture(Canvas& c, const EffectParams& e) {
  if (!e.patterns) return;
  eachPatternPixel(c, e.patterns->textureImage(e.texture), e.offsets.textureX, e.offsets.textureY,
                   [](CanvasPixel& p, int v) { p.height = 0.02f * float(v); });
}

void inflate(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.height = p.height * 2.0f; });
}

void deflate(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.height = p.height / 2.0f; });
}

void outline(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.height = float(p.height + 0.04 * grey(p)); });
}

// Auto levels: colours stretched by their maximum (not their range), highlights moved a
// quarter of the way towards their own stretch.
void enhance(Canvas& c, const EffectParams&) {
  // Which values occur, block of rows by block of rows: marking is cheaper than keeping
  // running minima and maxima, and the extremes are the first and last marks.
  bool colourSeen[256] = {}, glossSeen[256] = {};
  std::mutex merge;
  parallelRows(c.height, c.width, [&](uint32_t y0, uint32_t y1) {
    uint8_t cs[256] = {}, hs[256] = {};
    const CanvasPixel* p = &c.at(0, y0);
    for (size_t n = size_t(y1 - y0) * c.width; n; --n, ++p) {
      cs[p->red] = cs[p->green] = cs[p->blue] = 1;
      hs[p->highlight] = 1;
    }
    std::lock_guard lock(merge);
    for (int v = 0; v < 256; ++v) {
      colourSeen[v] = colourSeen[v] || cs[v];
      glossSeen[v] = glossSeen[v] || hs[v];
    }
  });
  int cMin = 255, cMax = 0, hMin = 255, hMax = 0;
  for (int v = 0; v < 256; ++v) {
    if (colourSeen[v]) cMin = std::min(cMin, v), cMax = std::max(cMax, v);
    if (glossSeen[v]) hMin = std::min(hMin, v), hMax = std::max(hMax, v);
  }
  const double cScale = cMax ? 255.0 / cMax : 0.0, hScale = hMax ? 255.0 / hMax : 0.0;
  // Both mappings depend on the byte alone: tabled once for the whole canvas.
  std::array<uint8_t, 256> colour{}, gloss{};
  for (int v = 0; v < 256; ++v) {
    colour[size_t(v)] = uint8_t(truncInt((v - cMin) * cScale));
    const int target = truncInt((v - hMin) * hScale);
    gloss[size_t(v)] = uint8_t(truncInt(v + (target - v) * 0.25));
  }
  eachPixel(c, [&](CanvasPixel& p) {
    p.red = colour[p.red];
    p.green = colour[p.green];
    p.blue = colour[p.blue];
    p.highlight = gloss[p.highlight];
  });
}

void sicken(Canvas& c, const EffectParams&) {
  eachShownPixel(c, [](CanvasPixel& p, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t m = std::min({r, g, b});
    p.red = uint8_t(r - m);
    p.green = uint8_t(g - m);
    p.blue = uint8_t(b - m);
    p.highlight = 0;
    p.height = 0.0f;
  });
}

// The fields rotate: height -> red -> blue -> height, green <-> highlight.
void defenestrate(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) {
    const CanvasPixel o = p;
    p.red = uint8_t(truncInt(o.height));
    p.green = o.highlight;
    p.blue = o.red;
    p.highlight = o.green;
    p.height = float(o.blue);
  });
}

void clear(Canvas& c, const EffectParams& e) {
  eachPixel(c, [&](CanvasPixel& p) {
    p.red = e.color.r;
    p.green = e.color.g;
    p.blue = e.color.b;
    p.highlight = 0;
    p.shading = 0;
    p.height = 0.0f;
  });
}

// Keeps the picture on screen: colour above the grey floor into the paint, the floor
// into the highlight, no relief and no lighting weight.
void flatten(Canvas& c, const EffectParams&) {
  eachShownPixel(c, [](CanvasPixel& p, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t m = std::min({r, g, b});
    p.red = uint8_t(r - m);
    p.green = uint8_t(g - m);
    p.blue = uint8_t(b - m);
    p.highlight = m;
    p.shading = 0;
    p.height = 0.0f;
  });
}

constexpr Effect kEffects[] = {
    {"invert", "&Invert", 1305, invertColours, kFiltersMenu, "&Colors", false},
    {"desaturate", "&Desaturate", 1315, desaturate, kFiltersMenu, "&Colors", false},
    {"solarize", "&Solarize", 1320, solarize, kFiltersMenu, "&Colors", false},
    {"night", "&Night", 1330, night, kFiltersMenu, "&Colors", false},
    {"aqua", "&Aqua", 1335, aqua, kFiltersMenu, "&Colors", false},
    {"paint-invert", "&Invert", 1500, invertPaint, kFiltersMenu, "&Paint", false},
    {"paint-fill", "&Fill", 1840, fillPaint, kFiltersMenu, "&Paint", false},
    {"texture-invert", "&Invert", 1310, invertTexture, kFiltersMenu, "&Texture", false},
    {"texture-fill", "&Fill", 1845, fillTexture, kFiltersMenu, "&Texture", false},
    {"inflate", "&Inflate", 1820, inflate, kFiltersMenu, "&Texture", false},
    {"deflate", "&Deflate", 1300, deflate, kFiltersMenu, "&Texture", false},
    {"outline", "&Outline", 1815, outline, kFiltersMenu, "&Texture", false},
    {"enhance", "&Enhance", 1830, enhance, kFiltersMenu, "", false},
    {"sicken", "&Sicken", 1340, sicken, kFiltersMenu, "", true},
    {"defenestrate", "&Defenestrate", 1325, defenestrate, kFiltersMenu, "", false},
    {"clear", "&Clear", 1800, clear, kFiltersMenu, "", false},
    {"flatten", "&Flatten", 1810, flatten, kImageMenu, "", true},
};

}  // namespace

std::span<const Effect> effects() { return kEffects; }

const Effect* findEffect(std::string_view name) {
  for (const Effect& e : kEffects)
    if (e.name == name) return &e;
  return nullptr;
}

const Effect* findEffectByMenuId(int menuId) {
  for (const Effect& e : kEffects)
    if (e.menuId == menuId) return &e;
  return nullptr;
}

void applyEffect(Document& doc, const Effect& effect, const EffectParams& params) {
  if (doc.canvas.empty()) return;
  doc.pushUndo();
  doc.canvas.aboutToWriteAll();
  // Sicken and Flatten read the shown colours: bring them up to date first, as the main
  // loop would have done before the menu command.
  if (effect.readsShownColours && !doc.canvas.lightingValid) relightAll(doc.canvas);
  effect.apply(doc.canvas, params);
  doc.canvas.invalidateLighting();
}

}  // namespace daubwell
