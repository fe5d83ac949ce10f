#pragma once
#include <cstddef>
#include <cstdint>

namespace kelvane {

// 0xAARRGGBB: alpha in the top byte, then red, green, blue.
using TColor32 = uint32_t;

constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return TColor32(a) << 24 | TColor32(r) << 16 | TColor32(g) << 8 | b;
}
constexpr uint8_t AlphaComponent(TColor32 c) { return uint8_t(c >> 24); }
constexpr uint8_t RedComponent(TColor32 c) { return uint8_t(c >> 16); }
constexpr uint8_t GreenComponent(TColor32 c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueComponent(TColor32 c) { return uint8_t(c); }

// The grey level of a colour, wherever a colour becomes grey: (61 R + 174 G + 21 B) shr 8.
constexpr uint8_t Intensity(TColor32 c) {
  return uint8_t((61u * RedComponent(c) + 174u * GreenComponent(c) + 21u * BlueComponent(c)) >> 8);
}

// v / 255 rounded to the nearest integer, for 0 <= v <= 255 * 255 + 255.
constexpr uint32_t Div255(uint32_t v) { return (v + 128 + ((v + 128) >> 8)) >> 8; }

// Source-over of straight (not premultiplied) colours: F over B with F's alpha a scaled
// by `masterAlpha`. Weights wf = 255 a and wb = B.alpha (255 - a); each channel is
// (F wf + B wb) / (wf + wb) and the alpha (wf + wb) / 255, both rounded once to the
// nearest. Over an opaque B this is the familiar (F a + B (255 - a)) / 255.
constexpr TColor32 BlendPixel(TColor32 f, TColor32 b, uint8_t masterAlpha = 255) {
  const uint32_t a = Div255(uint32_t(AlphaComponent(f)) * masterAlpha);
  if (a == 255) return f | 0xFF000000u;
  if (a == 0) return b;
  const uint32_t na = 255 - a;
  if (AlphaComponent(b) == 255) {
    const uint32_t r = Div255(RedComponent(f) * a + RedComponent(b) * na);
    const uint32_t g = Div255(GreenComponent(f) * a + GreenComponent(b) * na);
    const uint32_t bl = Div255(BlueComponent(f) * a + BlueComponent(b) * na);
    return 0xFF000000u | r << 16 | g << 8 | bl;
  }
  const uint32_t wf = 255 * a, wb = AlphaComponent(b) * na, w = wf + wb;
  auto mix = [&](uint32_t cf, uint32_t cb) { return (cf * wf + cb * wb + w / 2) / w; };
  return Div255(w) << 24 | mix(RedComponent(f), RedComponent(b)) << 16 |
         mix(GreenComponent(f), GreenComponent(b)) << 8 | mix(BlueComponent(f), BlueComponent(b));
}

// Per-channel (a (256 - w) + b w + 128) >> 8 for a weight w of b in 0..256, two channels
// at a time in 16-bit lanes (no lane can carry into the next).
constexpr TColor32 LerpPixel(TColor32 a, TColor32 b, uint32_t w) {
  const uint32_t v = 256 - w;
  const uint32_t rb = (((a & 0x00FF00FFu) * v + (b & 0x00FF00FFu) * w + 0x00800080u) >> 8) & 0x00FF00FFu;
  const uint32_t ag = (((a >> 8) & 0x00FF00FFu) * v + ((b >> 8) & 0x00FF00FFu) * w + 0x00800080u) & 0xFF00FF00u;
  return ag | rb;
}

// BlendPixel for a whole run of pixels. Runs whose target is opaque (the usual case)
// take a branch-free loop that the compiler vectorises: colour channels two at a time
// in 16-bit lanes, with exactly BlendPixel's rounding.
inline void BlendLine(const TColor32* src, TColor32* dst, size_t n, uint8_t masterAlpha) {
  uint32_t opaque = 0xFF000000u;
  for (size_t i = 0; i < n; ++i) opaque &= dst[i];
  if (opaque != 0xFF000000u) {
    for (size_t i = 0; i < n; ++i) dst[i] = BlendPixel(src[i], dst[i], masterAlpha);
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    const TColor32 f = src[i], b = dst[i];
    const uint32_t a = Div255((f >> 24) * masterAlpha), na = 255 - a;
    uint32_t rb = (f & 0x00FF00FFu) * a + (b & 0x00FF00FFu) * na + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t g = ((f >> 8) & 0xFFu) * a + ((b >> 8) & 0xFFu) * na + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    dst[i] = 0xFF000000u | g << 8 | rb;
  }
}

}  // namespace kelvane
