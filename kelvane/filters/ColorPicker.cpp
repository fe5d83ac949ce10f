#include "ColorPicker.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kelvane {

// Mode "R:": red = slider, green = py, blue = px; "G:": red = py, green = slider, blue =
// px; "B:": red = px, green = py, blue = slider.
TColor32 TColorPickerModel::Colour() const {
  const uint8_t s = uint8_t(slider_), x = uint8_t(px_), y = uint8_t(py_);
  switch (mode_) {
    case TPickerMode::R: return Color32(s, y, x);
    case TPickerMode::G: return Color32(y, s, x);
    default: return Color32(x, y, s);
  }
}

void TColorPickerModel::SetFrom(uint8_t r, uint8_t g, uint8_t b) {
  switch (mode_) {
    case TPickerMode::R: slider_ = r; py_ = g; px_ = b; break;
    case TPickerMode::G: slider_ = g; py_ = r; px_ = b; break;
    default: slider_ = b; py_ = g; px_ = r; break;
  }
}

void TColorPickerModel::Pick(TColor32 c) {
  original_ = c | 0xFF000000u;
  SetFrom(RedComponent(c), GreenComponent(c), BlueComponent(c));
}

void TColorPickerModel::SetMode(TPickerMode mode) {
  const TColor32 c = Colour();
  mode_ = mode;
  SetFrom(RedComponent(c), GreenComponent(c), BlueComponent(c));
}

void TColorPickerModel::MoveMarker(int px, int py) {
  px_ = std::clamp(px, 0, 255);
  py_ = std::clamp(py, 0, 255);
}

void TColorPickerModel::SetSlider(int value) { slider_ = std::clamp(value, 0, 255); }

void TColorPickerModel::SetChannel(int channel, int value) {
  const TColor32 c = Colour();
  uint8_t rgb[3] = {RedComponent(c), GreenComponent(c), BlueComponent(c)};
  rgb[std::clamp(channel, 0, 2)] = uint8_t(std::clamp(value, 0, 255));
  SetFrom(rgb[0], rgb[1], rgb[2]);
}

bool TColorPickerModel::SetHex(const std::string& text) {
  if (text.size() > 6) return false;
  for (char ch : text)
    if (!std::isxdigit(static_cast<unsigned char>(ch))) return false;
  const std::string digits = text + std::string(6 - text.size(), '0');
  const unsigned long v = std::stoul(digits, nullptr, 16);
  SetFrom(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
  return true;
}

std::string TColorPickerModel::Hex() const {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%06X", Colour() & 0xFFFFFFu);
  return buf;
}

TColor32 TColorPickerModel::FieldPixel(int x, int y) const {
  const uint8_t s = uint8_t(slider_), fx = uint8_t(x), fy = uint8_t(y);
  switch (mode_) {
    case TPickerMode::R: return Color32(s, fy, fx);
    case TPickerMode::G: return Color32(fy, s, fx);
    default: return Color32(fx, fy, BlueComponent(Colour()));
  }
}

TColor32 TColorPickerModel::StripPixel(int i) const {
  const TColor32 c = Colour();
  const uint8_t v = uint8_t(i);
  switch (mode_) {
    case TPickerMode::R: return Color32(v, GreenComponent(c), BlueComponent(c));
    case TPickerMode::G: return Color32(RedComponent(c), v, BlueComponent(c));
    default: return Color32(RedComponent(c), GreenComponent(c), v);
  }
}

}  // namespace kelvane
