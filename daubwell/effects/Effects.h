#pragma once
#include <span>
#include <string_view>

#include "canvas/Document.h"
#include "tools/Brush.h"
#include "tools/PatternImages.h"

namespace daubwell {

// What some effects take from the current brush: its colour (Clear), its style and
// texture images (Paint > Fill, Texture > Fill) and the pattern offsets.
struct EffectParams {
  Rgb color;
  int style = 0;
  int texture = 0;
  PatternOffsets offsets;
  const PatternImages* patterns = nullptr;
};

using EffectFn = void (*)(Canvas&, const EffectParams&);

// Where an effect sits in the menus.
enum class EffectMenu { Filters, Colors, Paint, Texture, Image };

struct Effect {
  std::string_view name;     // command-line name
  std::string_view caption;  // menu caption
  int menuId;
  EffectFn apply;            // rewrites every record
  EffectMenu menu;
  bool readsShownColours;    // the lit image must be up to date before it runs
};

// The seventeen whole-canvas effects, in menu order.
std::span<const Effect> effects();
const Effect* findEffect(std::string_view name);
const Effect* findEffectByMenuId(int menuId);

// Runs an effect as a menu command: one undo snapshot, the per-pixel rule over the
// document canvas, then the lighting is invalidated.
void applyEffect(Document& doc, const Effect& effect, const EffectParams& params);

}  // namespace daubwell
