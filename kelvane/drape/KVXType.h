#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvane {

// The parameters of one object: its colour, the shading options of the drape and the
// placement of the texture. The project file stores them as a 149-byte block.
struct TKVXParamBlock {
  uint32_t Color = 0xFFFFFFFFu;
  uint8_t Glare = 0, LevelUp = 0, HiContrast = 0, Transparency = 255;
  float Rotate = 0, TileX = 1, TileY = 1, SeamlessX = 0, SeamlessY = 0, ShiftX = 0, ShiftY = 0, FieldOfView = 0;
  int32_t MaterialKey = 0, MaterialKey2 = 0;
  std::string Name;  // up to 100 characters
};
inline constexpr size_t kParamBlockSize = 149;

}  // namespace kelvane
