#include "Effects.h"

#include <algorithm>
#include <climits>

#include "canvas/Lighting.h"

namespace daubwell {
namespace {

int truncInt(double v) { return v > -2147483649.0 && v < 2147483648.0 ? int(v) : INT_MIN; }

// Grey value of three effects: red weighted 0.59, green 0.3, blue 0.11.
double grey(const CanvasPixel& p) { return 0.59 * p.red + 0.3 * p.green + 0.11 * p.blue; }

template <class Rule>
void eachPixel(Canvas& c, Rule rule) {
  for (CanvasPixel& p : c.pixels) rule(p);
}

// For the two effects that read the shown colour: rule(record, r, g, b).
template <class Rule>
void eachShownPixel(Canvas& c, Rule rule) {
  for (uint32_t y = 0; y < c.height; ++y) {
    const uint8_t* shown = c.surface.pictureRow(y);
    const int bpp = c.surface.bytesPerPixel();
    for (uint32_t x = 0; x < c.width; ++x, shown += bpp) rule(c.at(x, y), shown[2], shown[1], shown[0]);
  }
}

void invertColours(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) {
    p.red = uint8_t(255 - p.red);
    p.green = uint8_t(255 - p.green);
    p.blue = uint8_t(255 - p.blue);
  });
}

void desaturate(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.red = p.green = p.blue = uint8_t(std::min(255, truncInt(grey(p)))); });
}

void solarize(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) {
    const int m = std::max({p.red, p.green, p.blue});
    if (m == 0) return;
    for (uint8_t* v : {&p.red, &p.green, &p.blue})
      *v = uint8_t(truncInt(*v + (truncInt(double(*v) / m * 255) - *v) * 0.5));
  });
}

void night(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) {
    const int m = std::max({p.red, p.green, p.blue});
    if (m == 0) return;
    for (uint8_t* v : {&p.red, &p.green, &p.blue}) *v = uint8_t(truncInt(double(*v) / m * p.highlight));
  });
}

void aqua(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) {
    const double k = std::min(255, truncInt(grey(p))) / 255.0;
    const int red = truncInt(p.highlight / 255.0 * k * p.red);
    p.green = uint8_t(truncInt(red / 255.0 * k * p.green));
    p.blue = uint8_t(std::max(30, truncInt(p.blue / 255.0 * k * p.blue)));
    p.red = uint8_t(red);
  });
}

void invertPaint(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.highlight = uint8_t(255 - p.highlight); });
}

void fillPaint(Canvas& c, const EffectParams& e) {
  if (!e.patterns) return;
  const DisplaySurface& image = e.patterns->styleImage(e.style);
  for (uint32_t y = 0; y < c.height; ++y)
    for (uint32_t x = 0; x < c.width; ++x)
      c.at(x, y).highlight = uint8_t(samplePattern(image, e.offsets.textureX, e.offsets.textureY, int(x), int(y)));
}

void invertTexture(Canvas& c, const EffectParams&) {
  eachPixel(c, [](CanvasPixel& p) { p.height = -p.height; });
}

void fillTexture(Canvas& c, const EffectParams& e) {
  if (!e.patterns) return;
  const DisplaySurface& image = e.patterns->textureImage(e.texture);
  for (uint32_t y = 0; y < c.height; ++y)
    for (uint32_t x = 0; x < c.width; ++x)
      c.at(x, y).height = 0.02f * float(samplePattern(image, e.offsets.textureX, e.offsets.textureY, int(x), int(y)));
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
  int cMin = 255, cMax = 0, hMin = 255, hMax = 0;
  for (const CanvasPixel& p : c.pixels) {
    cMin = std::min({cMin, int(p.red), int(p.green), int(p.blue)});
    cMax = std::max({cMax, int(p.red), int(p.green), int(p.blue)});
    hMin = std::min(hMin, int(p.highlight));
    hMax = std::max(hMax, int(p.highlight));
  }
  const double cScale = cMax ? 255.0 / cMax : 0.0, hScale = hMax ? 255.0 / hMax : 0.0;
  eachPixel(c, [&](CanvasPixel& p) {
    for (uint8_t* v : {&p.red, &p.green, &p.blue}) *v = uint8_t(truncInt((*v - cMin) * cScale));
    const int target = truncInt((p.highlight - hMin) * hScale);
    p.highlight = uint8_t(truncInt(p.highlight + (target - p.highlight) * 0.25));
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
    {"invert", "&Invert", 1305, invertColours},
    {"desaturate", "&Desaturate", 1315, desaturate},
    {"solarize", "&Solarize", 1320, solarize},
    {"night", "&Night", 1330, night},
    {"aqua", "&Aqua", 1335, aqua},
    {"paint-invert", "&Invert", 1500, invertPaint},
    {"paint-fill", "&Fill", 1840, fillPaint},
    {"texture-invert", "&Invert", 1310, invertTexture},
    {"texture-fill", "&Fill", 1845, fillTexture},
    {"inflate", "&Inflate", 1820, inflate},
    {"deflate", "&Deflate", 1300, deflate},
    {"outline", "&Outline", 1815, outline},
    {"enhance", "&Enhance", 1830, enhance},
    {"sicken", "&Sicken", 1340, sicken},
    {"defenestrate", "&Defenestrate", 1325, defenestrate},
    {"clear", "&Clear", 1800, clear},
    {"flatten", "&Flatten", 1810, flatten},
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
  // Sicken and Flatten read the shown colours: bring them up to date first, as the main
  // loop would have done before the menu command.
  if ((effect.apply == sicken || effect.apply == flatten) && !doc.canvas.lightingValid) relightAll(doc.canvas);
  effect.apply(doc.canvas, params);
  doc.canvas.invalidateLighting();
}

}  // namespace daubwell
