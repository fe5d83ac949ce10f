#include "CodePage.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kelvane::cli {
namespace {

// The characters of bytes 0x80..0x9F; the rest of the page is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CharOf(uint8_t b) { return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char32_t(b); }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The next character of UTF-8 text, or nothing when the bytes there are not UTF-8
// (truncated, overlong, surrogates, beyond U+10FFFF).
std::optional<char32_t> NextChar(std::string_view s, size_t& i) {
  const uint8_t b = uint8_t(s[i++]);
  if (b < 0x80) return b;
  const int extra = b < 0xC2 ? -1 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF5 ? 3 : -1;
  if (extra < 0) return std::nullopt;
  char32_t c = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (uint8_t(s[i]) & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (uint8_t(s[i++]) & 0x3F);
  }
  const char32_t least[] = {0, 0x80, 0x800, 0x10000};
  if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
  return c;
}

}  // namespace

std::string CodePageToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char b : bytes) AppendUtf8(out, CharOf(uint8_t(b)));
  return out;
}

std::optional<std::string> Utf8ToCodePage(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = NextChar(utf8, i);
    if (!c) return std::nullopt;
    if (*c < 0x80 || (*c >= 0xA0 && *c < 0x100)) {
      out += char(*c);
      continue;
    }
    const auto at = std::find(kHighControls.begin(), kHighControls.end(), *c);
    if (at == kHighControls.end()) return std::nullopt;
    out += char(0x80 + (at - kHighControls.begin()));
  }
  return out;
}

}  // namespace kelvane::cli
