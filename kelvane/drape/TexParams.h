#pragma once
#include <array>
#include <cstddef>
#include <string_view>

#include "KVXType.h"

// The "Texture Params" window's seven track edits: how the texture repeats, cross-fades,
// shifts and turns on the grid. The window reads this table; the values live in the
// current object's parameter block.
namespace kelvane {

struct TTexParamField {
  std::string_view Label;
  float Min, Max, Default;
  float TKVXParamBlock::*Field;
  int Partner;  // the field written together with this one, -1 for none
};

inline constexpr std::string_view kTexParamsCaption = "Texture Params";
inline constexpr size_t kTexParamCount = 7;

// In the order the window loads them when an object is opened.
inline constexpr TTexParamField kTexParamFields[kTexParamCount] = {
    {"X Tiling:", 0.001f, 100, 1, &TKVXParamBlock::TileX, 1},
    {"Y Tiling:", 0.001f, 100, 1, &TKVXParamBlock::TileY, 0},
    {"SeamLess X:", 0, 0.5f, 0, &TKVXParamBlock::SeamlessX, 3},
    {"SeamLess Y:", 0, 0.5f, 0, &TKVXParamBlock::SeamlessY, 2},
    {"Shift X:", -1, 1, 0, &TKVXParamBlock::ShiftX, 5},
    {"Shift Y:", -1, 1, 0, &TKVXParamBlock::ShiftY, 4},
    {"Rotate:", 0, 360, 0, &TKVXParamBlock::Rotate, -1},
};

using TTexParamValues = std::array<float, kTexParamCount>;

// A value held to its field's range; one that is not a number takes the default.
float ClampTexParam(size_t field, float value);
// The controls' values from a parameter block.
TTexParamValues LoadTexParams(const TKVXParamBlock& param);
// A change of one control: it and its partner are written from the controls (held to
// their ranges). Nothing happens without a target (no document window is active) or for
// an index outside the table; returns whether something was written.
bool WriteTexParam(TKVXParamBlock* target, const TTexParamValues& controls, size_t changed);

}  // namespace kelvane
