#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "KVXGridTools.h"

namespace kelvane {

// The eight coefficients of "Gen Texture Coords" as typed, in thousandths:
// U = X*eux + Y*euy + Z*euz + ekx and V = X*evx + Y*evy + Z*evz + eky.
struct TTexGenCoefficients {
  double eux = 1, euy = 1, euz = 1, ekx = 1, evx = 1, evy = 1, evz = 1, eky = 1;
};

// A typed coefficient: a decimal number with '.' or ',' as the separator; nothing when
// the text is not a number.
std::optional<double> ParseTexGenValue(const std::string& text);
// The eight texts in the dialog's order (eux euy euz ekx evx evy evz eky); nothing when
// one is not a number.
std::optional<TTexGenCoefficients> ParseTexGenCoefficients(const std::array<std::string, 8>& texts);

// Every node gets U = a X - b Y + c Z + d and V = e X - f Y + g Z + h, each coefficient
// being the typed value divided by 1000; the Y term is subtracted in both.
void GenLinearTexCoords(TMapGrid& grid, const TTexGenCoefficients& k);

// The "Gen Texture Coords" dialog: two lines of four edits, each after its label,
// "U = X*" [eux] "+Y*" [euy] "+Z*" [euz] "+" [ekx] and the same for V; every edit starts
// at "1".
inline constexpr std::string_view kTexGenCaption = "Gen Texture Coords";
inline constexpr std::string_view kTexGenLabels[8] = {"U = X*", "+Y*", "+Z*", "+", "V = X*", "+Y*", "+Z*", "+"};
using TTexGenTexts = std::array<std::string, 8>;
inline TTexGenTexts DefaultTexGenTexts() { return {"1", "1", "1", "1", "1", "1", "1", "1"}; }
// Whether a key typed into an edit is taken: digits, the locale's decimal separator,
// backspace and "-". Pasted text is not filtered; ApplyTexGen refuses what is no number.
bool TexGenAcceptsKey(char32_t key, char32_t decimalSeparator);
// The dialog's OK: new texture coordinates from the texts; false, changing nothing, when
// one of them is not a number. The command fills afterwards in either case.
bool ApplyTexGen(TMapGrid& grid, const TTexGenTexts& texts);

}  // namespace kelvane
