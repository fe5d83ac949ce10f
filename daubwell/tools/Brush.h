#pragma once
#include <cstddef>
#include <cstdint>

namespace daubwell {

enum class ToolId : int32_t {
  TubePaint = 0,
  PaintBrush = 1,
  Eraser = 2,
  Spray = 5,
  Sponge = 6,
  Fill = 7,
  EyeDropper = 8,
  Gel = 9,
  Brighten = 10,
  Darken = 11,
  Hand = 12,
  Shine = 13,
  Matte = 14,
  Raise = 15,
  Lower = 16,
  Knife = 17,
  Finger = 18,
};

inline constexpr int kToolCount = 19;  // ids 0..18; 3 and 4 do nothing (what each tool is: ToolTable.h)

// The current brush; also the record stored in palette files.
struct Brush {
  uint8_t red = 0, green = 0, blue = 0;
  uint8_t style = 0;        // style image 0..17 laid into the highlight
  float depth = 0.0f;       // relief added by paint-laying tools
  int32_t tool = 0;         // ToolId
  int32_t size = 1;         // dab radius, 1..100
  float strength = 0.0f;    // 0..1
  uint8_t shading = 0;      // shading of laid paint
  uint8_t texture = 0;      // texture image modulating strength and depth; 0 = none
  uint8_t hardness = 0;     // 1..100 (0 read as 1)
  uint8_t pad = 0;
};
static_assert(sizeof(Brush) == 24, "a brush is a 24-byte file record");
static_assert(offsetof(Brush, depth) == 4 && offsetof(Brush, tool) == 8 && offsetof(Brush, size) == 12 &&
              offsetof(Brush, strength) == 16 && offsetof(Brush, shading) == 20);

// How a stroke changes the brush as it gets longer.
struct StrokeDynamics {
  bool fadeStrength = false;
  bool fadeSize = false;
  bool oscillate = false;
  uint8_t pad = 0;
  float fadeStrengthLength = 100.0f;
  float fadeSizeLength = 100.0f;
  float oscillateAmount = 5.0f;
  float oscillatePhase = 0.0f;
  float oscillatePeriod = 0.0f;  // 0 is read as 1
};
static_assert(sizeof(StrokeDynamics) == 24, "stroke dynamics are a 24-byte file record");
static_assert(offsetof(StrokeDynamics, fadeStrengthLength) == 4 && offsetof(StrokeDynamics, oscillatePeriod) == 20);

}  // namespace daubwell
