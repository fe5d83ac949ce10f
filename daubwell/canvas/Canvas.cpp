#include "Canvas.h"

#include <algorithm>
#include <cmath>

#include "HugePages.h"

namespace daubwell {

Canvas::Canvas() {
  const float x = 0.3f, y = 1.0f, z = 0.1f;
  const float len = std::sqrt(x * x + y * y + z * z);
  light[0] = x / len;
  light[1] = y / len;
  light[2] = z / len;
}

void Canvas::create(uint32_t newWidth, uint32_t newHeight) {
  aboutToWriteAll();
  lit = {};
  surface.create(newWidth, newHeight);
  width = newWidth;
  height = newHeight;
  const size_t n = size_t(newWidth) * newHeight;
  if (pixels.capacity() < n) makeRoomFor(n);
  pixels.assign(n, kBlankPixel);
}

void Canvas::makeRoomFor(size_t n) { reserveOnHugePages(pixels, n); }

void Canvas::adopt(uint32_t newWidth, uint32_t newHeight, std::vector<CanvasPixel>&& records) {
  aboutToWriteAll();
  lit = {};
  surface.create(newWidth, newHeight);
  width = newWidth;
  height = newHeight;
  pixels = std::move(records);
  pixels.resize(size_t(newWidth) * newHeight, kBlankPixel);
}

CanvasPixel* Canvas::replaceRecords(uint32_t newWidth, uint32_t newHeight) {
  aboutToWriteAll();
  lit = {};
  surface.create(newWidth, newHeight);
  const size_t n = size_t(newWidth) * newHeight;
  if (pixels.size() != n) {
    if (pixels.capacity() < n) makeRoomFor(n);
    pixels.resize(n);
  }
  width = newWidth;
  height = newHeight;
  return pixels.data();
}

void Canvas::clear() {
  aboutToWriteAll();
  lit = {};
  std::fill(pixels.begin(), pixels.end(), kBlankPixel);
  surface.fill(255, 255, 255);
}

void Canvas::fillPreview(Rgb color, const DisplaySurface& image) {
  aboutToWriteAll();
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      CanvasPixel& p = at(x, y);
      p.red = color.r / 2;
      p.green = color.g / 2;
      p.blue = color.b / 2;
      p.highlight = image.grey(x % 400, y % 400) / 2;
      p.shading = 255;
      p.height = 20.0f;
    }
  }
}

namespace {

float lerp(float a, float b, float t) { return a + (b - a) * t; }

// Bilinear blend of one field: along x in the top and bottom rows, then along y.
float blend(float p00, float p10, float p01, float p11, float fx, float fy) {
  return lerp(lerp(p00, p10, fx), lerp(p01, p11, fx), fy);
}

}  // namespace

void Canvas::resample(uint32_t newWidth, uint32_t newHeight) {
  if (newWidth == 0 || newHeight == 0 || empty()) return;
  std::vector<CanvasPixel> out(size_t(newWidth) * newHeight);
  const float stepX = float(width) / float(newWidth);
  const float stepY = float(height) / float(newHeight);
  for (uint32_t Y = 0; Y < newHeight; ++Y) {
    const float sy = float(Y) * stepY;
    const uint32_t iy = std::min(uint32_t(sy), height - 1);
    const float fy = sy - float(iy);
    const uint32_t iy1 = iy + 1 < height ? iy + 1 : iy;
    for (uint32_t X = 0; X < newWidth; ++X) {
      const float sx = float(X) * stepX;
      const uint32_t ix = std::min(uint32_t(sx), width - 1);
      const float fx = sx - float(ix);
      const uint32_t ix1 = ix + 1 < width ? ix + 1 : ix;
      const CanvasPixel& p00 = at(ix, iy);
      const CanvasPixel& p10 = at(ix1, iy);
      const CanvasPixel& p01 = at(ix, iy1);
      const CanvasPixel& p11 = at(ix1, iy1);
      CanvasPixel& d = out[size_t(Y) * newWidth + X];
      auto byteField = [&](uint8_t CanvasPixel::*f) {
        return uint8_t(int(blend(p00.*f, p10.*f, p01.*f, p11.*f, fx, fy)));
      };
      d.red = byteField(&CanvasPixel::red);
      d.green = byteField(&CanvasPixel::green);
      d.blue = byteField(&CanvasPixel::blue);
      d.highlight = byteField(&CanvasPixel::highlight);
      d.shading = byteField(&CanvasPixel::shading);
      d.height = blend(p00.height, p10.height, p01.height, p11.height, fx, fy);
    }
  }
  create(newWidth, newHeight);
  pixels = std::move(out);
}

}  // namespace daubwell
