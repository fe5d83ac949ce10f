#include "ShellRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace daubwell {

int sizeFromSlider(float value) { return std::max(int(value), 1); }
float strengthFromSlider(float value) { return std::max(value * 0.01f, 0.01f); }
float depthFromSlider(float value) { return value / 9.0f; }
uint8_t shadingFromSlider(float value) { return uint8_t(int(value * 2.55f)); }
uint8_t channelFromSlider(float value) { return uint8_t(int(value * 2.55f)); }
float sliderFromSize(int size) { return float(size) * 0.01f * 100.0f; }
float sliderFromStrength(float strength) { return strength * 100.0f; }
float sliderFromDepth(float depth) { return depth * 9.0f; }
float sliderFromShading(uint8_t shading) { return float(shading) * 100.0f / 255.0f; }
float sliderFromChannel(uint8_t channel) { return float(channel) * 100.0f / 255.0f; }

float sliderValueAt(double x, double x0, double length) {
  if (length <= 0) return 0;
  return float(std::clamp((x - x0) / length * 100.0, 0.0, 100.0));
}

int styleIndexAt(int row, int column) { return std::min(row * kStyleColumns + column, 17); }

FootprintProfile footprintProfile(int hardness) {
  const double h = std::clamp(hardness, 1, 100) / 100.0;
  const int p = int((54 - 54 * h) * 0.5);
  return {{{0, 54}, {p, 5}, {54 - p, 5}, {54, 54}}};
}

std::string fileSizeText(uint32_t width, uint32_t height) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "File size: %2.2f%s", double(width) * height * 12 / 1024 / 1024, "mb");
  return buf;
}

std::string sizeText(uint32_t width, uint32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string zoomText(double zoom) { return "Zoom: " + std::to_string(int(zoom * 100)) + "%"; }

PrintPlacement printPlacement(int width, int height, int pageWidth, int pageHeight) {
  if (width <= 0 || height <= 0 || pageWidth <= 0 || pageHeight <= 0) return {0, 0, 0, 0};
  double w = pageWidth, h = double(height) * pageWidth / width;
  if (h > pageHeight) {
    h = pageHeight;
    w = double(width) * pageHeight / height;
  }
  const int sw = int(w * 0.9), sh = int(h * 0.9);
  return {(pageWidth - sw) / 2, (pageHeight - sh) / 2, sw, sh};
}

std::string commandLinePath(std::string_view line) {
  if (line.size() <= 3) return {};
  std::string path;
  int quotes = 0;
  for (char c : line) {
    if (c == '"') {
      if (++quotes == 2) break;
      continue;
    }
    path += c;
  }
  return path;
}

std::string instanceSocketName(unsigned uid, std::string_view runtimeDir, std::string_view display,
                               std::string_view sessionId) {
  auto part = [](std::string_view text) {
    std::string out;
    for (char c : text) out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return out;
  };
  std::string name = std::string(kInstanceName) + "-" + std::to_string(uid) + "-" +
                     (display.empty() ? std::string("nodisplay") : part(display));
  if (!sessionId.empty()) name += "-" + part(sessionId);
  if (runtimeDir.empty()) return name;
  std::string dir(runtimeDir);
  if (dir.back() != '/') dir += '/';
  return dir + name;
}

}  // namespace daubwell
