#include "TexCoordGen.h"

#include <charconv>
#include <cmath>

namespace kelvane {

std::optional<double> ParseTexGenValue(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (c == ',') c = '.';
  const size_t first = s.find_first_not_of(' '), last = s.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const char* begin = s.data() + first;
  const char* end = s.data() + last + 1;
  double v = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  if (ec != std::errc() || ptr != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<TTexGenCoefficients> ParseTexGenCoefficients(const std::array<std::string, 8>& texts) {
  std::array<double, 8> v{};
  for (size_t i = 0; i < 8; ++i) {
    const auto x = ParseTexGenValue(texts[i]);
    if (!x) return std::nullopt;
    v[i] = *x;
  }
  return TTexGenCoefficients{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
}

void GenLinearTexCoords(TMapGrid& grid, const TTexGenCoefficients& k) {
  const double a = k.eux / 1000, b = k.euy / 1000, c = k.euz / 1000, d = k.ekx / 1000;
  const double e = k.evx / 1000, f = k.evy / 1000, g = k.evz / 1000, h = k.eky / 1000;
  for (TMapNode& n : grid.Nodes) {
    n.U = float(a * n.X - b * n.Y + c * n.Z + d);
    n.V = float(e * n.X - f * n.Y + g * n.Z + h);
  }
}

bool TexGenAcceptsKey(char32_t key, char32_t decimalSeparator) {
  return (key >= U'0' && key <= U'9') || key == decimalSeparator || key == U'\b' || key == U'-';
}

bool ApplyTexGen(TMapGrid& grid, const TTexGenTexts& texts) {
  const auto k = ParseTexGenCoefficients(texts);
  if (!k) return false;
  GenLinearTexCoords(grid, *k);
  return true;
}

}  // namespace kelvane
