#pragma once
#include <array>
#include <optional>
#include <string>

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

}  // namespace kelvane
