#include "KVXUtils.h"

#include <algorithm>
#include <cmath>

#include "../raster/ApplyThroughMask.h"
#include "../raster/ParallelRows.h"

namespace kelvane {

namespace {

uint8_t RoundToByte(double v) { return uint8_t(std::clamp(std::nearbyint(v), 0.0, 255.0)); }

// n / d rounded to the nearest, halves to even (n >= 0, d > 0).
uint32_t RoundDiv(uint32_t n, uint32_t d) {
  const uint32_t q = n / d, r = n % d;
  return 2 * r > d || (2 * r == d && (q & 1)) ? q + 1 : q;
}

TColor32 Grey(uint32_t g) { return 0xFF000000u | g << 16 | g << 8 | g; }

// Turns the masked pixels grey; returns the lowest and highest intensity among them
// (lo > hi when nothing is masked).
std::pair<int, int> MaskedToGrey(TBitmap32& image, const TByteMap& mask) {
  int lo = 255, hi = 0;
  const int w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  for (int y = 0; y < h; ++y) {
    TColor32* p = image.ScanLine(y);
    const uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      if (!m[x]) continue;
      const int g = Intensity(p[x]);
      lo = std::min(lo, g);
      hi = std::max(hi, g);
      p[x] = Grey(uint32_t(g));
    }
  }
  return {lo, hi};
}

// Runs pixel(drape, photo) -> drape colour over the masked pixels and blends the
// colour into the result at alpha Round(mask x transparency / 255).
template <class Pixel>
void Compose(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
             uint8_t transparency, Pixel pixel) {
  const int w = std::min({result.Width(), drape.Width(), photo.Width(), mask.Width()});
  const int h = std::min({result.Height(), drape.Height(), photo.Height(), mask.Height()});
  ParallelRows(h, w, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      TColor32* d = result.ScanLine(y);
      const TColor32* s = drape.ScanLine(y);
      const TColor32* p = photo.ScanLine(y);
      const uint8_t* m = mask.ScanLine(y);
      // No branches: at alpha 0 the mix gives the result pixel back unchanged.
      for (int x = 0; x < w; ++x) d[x] = MixThroughMask(pixel(s[x], p[x]), d[x], Div255(uint32_t(m[x]) * transparency));
    }
  });
}

}  // namespace

TBitmap32 MakeSeamless(const TBitmap32& texture, int columns, int rows) {
  TBitmap32 source = texture;
  const int n = std::clamp(columns, 0, std::max(texture.Width() - 1, 0));
  const int m = std::clamp(rows, 0, std::max(texture.Height() - 1, 0));
  if (n > 0) {
    const int w = source.Width(), h = source.Height();
    for (int y = 0; y < h; ++y) {
      TColor32* p = source.ScanLine(y);
      for (int j = 0; j < n; ++j) p[j] = (p[j] & 0x00FFFFFFu) | TColor32(RoundToByte((j * 255.0 + 255.0) / n)) << 24;
    }
    TBitmap32 out(w - n, h);
    out.CopySettingsFrom(texture);
    for (int y = 0; y < h; ++y) {
      const TColor32* s = source.ScanLine(y);
      TColor32* d = out.ScanLine(y);
      std::copy(s + (w - n), s + (w - n) + std::min(n, w - n), d);  // the right end under the left columns
      for (int x = 0; x < w - n; ++x) d[x] = BlendPixel(s[x], d[x]);
    }
    source = std::move(out);
  }
  if (m > 0) {
    const int w = source.Width(), h = source.Height();
    for (int r = 0; r <= m && r < h; ++r) {
      TColor32* p = source.ScanLine(r);
      const TColor32 alpha = TColor32(RoundToByte(r * 255.0 / m)) << 24;
      for (int x = 0; x < w; ++x) p[x] = (p[x] & 0x00FFFFFFu) | alpha;
    }
    TBitmap32 out(w, h - m);
    out.CopySettingsFrom(texture);
    for (int y = 0; y < h - m; ++y) {
      TColor32* d = out.ScanLine(y);
      if (y < m) std::copy(source.ScanLine(h - m + y), source.ScanLine(h - m + y) + w, d);  // the bottom under the top
      const TColor32* s = source.ScanLine(y);
      for (int x = 0; x < w; ++x) d[x] = BlendPixel(s[x], d[x]);
    }
    source = std::move(out);
  }
  return source;
}

void ApplyLevelUp(TBitmap32& image, const TByteMap& mask) {
  const auto [lo, hi] = MaskedToGrey(image, mask);
  if (hi <= lo) return;
  const int w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  for (int y = 0; y < h; ++y) {
    TColor32* p = image.ScanLine(y);
    const uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < w; ++x)
      if (m[x]) p[x] = Grey(uint32_t(BlueComponent(p[x]) - hi + 255));
  }
}

void ApplyHiContrast(TBitmap32& image, const TByteMap& mask) {
  const auto [lo, hi] = MaskedToGrey(image, mask);
  if (hi <= lo) return;
  const int w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  for (int y = 0; y < h; ++y) {
    TColor32* p = image.ScanLine(y);
    const uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < w; ++x)
      if (m[x] > 240) p[x] = Grey(RoundDiv(uint32_t(BlueComponent(p[x]) - lo) * 255, uint32_t(hi - lo)));
  }
}

void ComposeMultiply(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
                     TColor32 color, uint8_t transparency) {
  const uint32_t cr = RedComponent(color), cg = GreenComponent(color), cb = BlueComponent(color);
  Compose(result, drape, photo, mask, transparency, [=](TColor32 s, TColor32 p) {
    const uint32_t g = Intensity(p);
    return (RedComponent(s) * cr * g) >> 16 << 16 | (GreenComponent(s) * cg * g) >> 16 << 8 |
           (BlueComponent(s) * cb * g) >> 16;
  });
}

void ComposeGlare(TBitmap32& result, const TBitmap32& drape, const TBitmap32& photo, const TByteMap& mask,
                  TColor32 color, uint8_t transparency) {
  const uint32_t cr = RedComponent(color), cg = GreenComponent(color), cb = BlueComponent(color);
  Compose(result, drape, photo, mask, transparency, [=](TColor32 s, TColor32 p) {
    const uint32_t kr = RedComponent(s) * cr >> 8, kg = GreenComponent(s) * cg >> 8, kb = BlueComponent(s) * cb >> 8;
    return OverlayChannel(RedComponent(p), kr) << 16 | OverlayChannel(GreenComponent(p), kg) << 8 |
           OverlayChannel(BlueComponent(p), kb);
  });
}

void FillTiled(TBitmap32& destination, const TBitmap32& pattern) {
  if (pattern.Empty()) return;
  const int w = destination.Width(), pw = pattern.Width();
  for (int y = 0; y < destination.Height(); ++y) {
    const TColor32* s = pattern.ScanLine(y % pattern.Height());
    TColor32* d = destination.ScanLine(y);
    for (int x = 0; x < w; x += pw) std::copy(s, s + std::min(pw, w - x), d + x);
  }
}

void ClearDrape(TBitmap32& result, const TBitmap32& image, const TByteMap& mask) {
  const int w = std::min({result.Width(), image.Width(), mask.Width()});
  const int h = std::min({result.Height(), image.Height(), mask.Height()});
  for (int y = 0; y < h; ++y) {
    TColor32* d = result.ScanLine(y);
    const TColor32* s = image.ScanLine(y);
    const uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < w; ++x)
      if (m[x]) d[x] = s[x];
  }
}

void UniteMask(TByteMap& target, const TByteMap& other) {
  const int w = std::min(target.Width(), other.Width()), h = std::min(target.Height(), other.Height());
  for (int y = 0; y < h; ++y) {
    uint8_t* d = target.ScanLine(y);
    const uint8_t* s = other.ScanLine(y);
    for (int x = 0; x < w; ++x) d[x] = std::max(d[x], s[x]);
  }
}

}  // namespace kelvane
