#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "../raster/TColor32.h"

namespace kelvane {

enum class TPickerMode { R, G, B };

// The colour picker's model: a marker (px, py) in the 256 x 256 field and a slider,
// mapped to red, green and blue by the mode.
class TColorPickerModel {
public:
  // Opens on a colour: marker and slider taken from it for the current mode.
  void Pick(TColor32 colour);
  void SetMode(TPickerMode mode);  // keeps the colour, re-derives marker and slider
  void MoveMarker(int px, int py);  // clamped to 0..255
  void SetSlider(int value);        // clamped to 0..255
  // A decimal field of channel 0 (red), 1 (green) or 2 (blue) typed into.
  void SetChannel(int channel, int value);
  // The hexadecimal field: RR GG BB, missing digits 0; false (nothing changes) when the
  // text is not hexadecimal or longer than 6 characters.
  bool SetHex(const std::string& text);

  TColor32 Colour() const;  // opaque
  std::string Hex() const;  // six upper-case digits
  TColor32 Original() const { return original_; }
  // What the dialog returns.
  TColor32 Result(bool ok) const { return ok ? Colour() : original_; }

  // The field pixel (x, y) and the strip row i as the mode shows them.
  TColor32 FieldPixel(int x, int y) const;
  TColor32 StripPixel(int i) const;

  int MarkerX() const { return px_; }
  int MarkerY() const { return py_; }
  int Slider() const { return slider_; }
  TPickerMode Mode() const { return mode_; }

private:
  void SetFrom(uint8_t r, uint8_t g, uint8_t b);
  TPickerMode mode_ = TPickerMode::R;
  int px_ = 0, py_ = 0, slider_ = 0;
  TColor32 original_ = 0xFF000000u;
};

}  // namespace kelvane
