#include "ReliefExport.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <limits>

#include "AtomicFile.h"

namespace daubwell {

HeightRange heightRange(const Canvas& canvas) {
  bool any = false;
  HeightRange r;
  for (const CanvasPixel& p : canvas.pixels) {
    if (!std::isfinite(p.height)) continue;
    if (!any) {
      r.lowest = r.highest = p.height;
      any = true;
    }
    r.lowest = std::min(r.lowest, p.height);
    r.highest = std::max(r.highest, p.height);
  }
  return r;
}

std::vector<uint16_t> heightSamples(const Canvas& canvas, HeightRange range) {
  std::vector<uint16_t> out(canvas.pixels.size());
  const double span = double(range.highest) - double(range.lowest);
  for (size_t i = 0; i < out.size(); ++i) {
    const float h = canvas.pixels[i].height;
    if (std::isnan(h) || span <= 0) {
      out[i] = 0;
      continue;
    }
    const double t = std::clamp((double(h) - range.lowest) / span, 0.0, 1.0);
    out[i] = uint16_t(std::lround(t * 65535.0));
  }
  return out;
}

std::string heightRangeText(HeightRange range) {
  char text[200];
  std::snprintf(text, sizeof text, "lowest=%.9g highest=%.9g; height = lowest + value * (highest - lowest) / 65535",
                double(range.lowest), double(range.highest));
  return text;
}

SurfaceNormal surfaceNormal(const Canvas& canvas, uint32_t x, uint32_t y) {
  const uint32_t w = canvas.width, hgt = canvas.height;
  const float h = canvas.at(x, y).height;
  float nx = 0.0f, nz = 0.0f;
  if (x > 0) {
    nx = h - canvas.at(x - 1, y).height;
    if (x < w - 1) nx = nx - (h - canvas.at(x + 1, y).height);
  }
  if (y > 0) {
    nz = h - canvas.at(x, y - 1).height;
    if (y < hgt - 1) nz = nz - (h - canvas.at(x, y + 1).height);
  }
  const float len = std::sqrt(nx * nx + 1.0f + nz * nz);
  if (!(len <= std::numeric_limits<float>::max())) return {0.0f, 1.0f, 0.0f};
  return {nx / len, 1.0f / len, nz / len};
}

namespace {

uint8_t unitToByte(float v) { return uint8_t(std::lround((std::clamp(v, -1.0f, 1.0f) + 1.0f) * 127.5f)); }

struct PngBytes {
  std::vector<uint8_t> data;
  std::string error;
};

// The classic writer: the simplified one cannot carry text.
bool encodePng(PngBytes& out, uint32_t width, uint32_t height, int bitDepth, int colourType,
               const std::vector<png_bytep>& rows, const std::vector<std::pair<std::string, std::string>>& texts) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, [](png_structp p, png_const_charp m) {
    static_cast<PngBytes*>(png_get_error_ptr(p))->error = m;
    png_longjmp(p, 1);
  }, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, [](png_structp p, png_bytep b, png_size_t n) {
    auto* o = static_cast<PngBytes*>(png_get_io_ptr(p));
    o->data.insert(o->data.end(), b, b + n);
  }, nullptr);
  png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_text> chunks(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
    chunks[i].key = const_cast<char*>(texts[i].first.c_str());
    chunks[i].text = const_cast<char*>(texts[i].second.c_str());
  }
  if (!chunks.empty()) png_set_text(png, info, chunks.data(), int(chunks.size()));
  png_write_info(png, info);
  if (bitDepth == 16) png_set_swap(png);  // our samples are little-endian in memory
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

Status save(const PngBytes& bytes, bool encoded, const std::string& path) {
  if (!encoded) return fail("PNG: " + (bytes.error.empty() ? std::string("cannot encode") : bytes.error));
  if (!saveFileAtomically(path, bytes.data)) return fail("cannot write " + path);
  return Ok{};
}

}  // namespace

std::vector<uint8_t> normalColours(const Canvas& canvas) {
  std::vector<uint8_t> out(canvas.pixels.size() * 3);
  uint8_t* o = out.data();
  for (uint32_t y = 0; y < canvas.height; ++y)
    for (uint32_t x = 0; x < canvas.width; ++x, o += 3) {
      const SurfaceNormal n = surfaceNormal(canvas, x, y);
      o[0] = unitToByte(n.x);
      o[1] = unitToByte(-n.down);  // rows run down, green runs up
      o[2] = unitToByte(n.towardsViewer);
    }
  return out;
}

Status writeHeightMap(const Canvas& canvas, const std::string& path) {
  if (canvas.empty()) return fail("nothing to write: the painting is empty");
  const HeightRange range = heightRange(canvas);
  std::vector<uint16_t> samples = heightSamples(canvas, range);
  std::vector<png_bytep> rows(canvas.height);
  for (uint32_t y = 0; y < canvas.height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(samples.data() + size_t(y) * canvas.width);
  PngBytes bytes;
  const bool ok = encodePng(bytes, canvas.width, canvas.height, 16, PNG_COLOR_TYPE_GRAY, rows,
                            {{kHeightRangeKey, heightRangeText(range)}, {"Software", "Daubwell"}});
  return save(bytes, ok, path);
}

Status writeNormalMap(const Canvas& canvas, const std::string& path) {
  if (canvas.empty()) return fail("nothing to write: the painting is empty");
  std::vector<uint8_t> rgb = normalColours(canvas);
  std::vector<png_bytep> rows(canvas.height);
  for (uint32_t y = 0; y < canvas.height; ++y) rows[y] = rgb.data() + size_t(y) * canvas.width * 3;
  PngBytes bytes;
  const bool ok = encodePng(bytes, canvas.width, canvas.height, 8, PNG_COLOR_TYPE_RGB, rows, {{"Software", "Daubwell"}});
  return save(bytes, ok, path);
}

}  // namespace daubwell
