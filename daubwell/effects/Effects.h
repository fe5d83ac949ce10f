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

// The menus the effects sit in, by their captions on the menu bar.
inline constexpr std::string_view kFiltersMenu = "Filte&rs";
inline constexpr std::string_view kImageMenu = "&Image";

struct Effect {
  std::string_view name;     // command-line name
  std::string_view caption;  // menu caption
  int menuId;
  EffectFn apply;            // rewrites every record
  std::string_view menu;     // the menu bar's menu it is under
  std::string_view submenu;  // its submenu there ("&Colors", ...), or "" for the menu itself
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
