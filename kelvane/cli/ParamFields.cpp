#include "ParamFields.h"

#include <cstdint>
#include <limits>
#include <numbers>
#include <string_view>

#include "CliErrors.h"
#include "CliSupport.h"
#include "CodePage.h"

namespace kelvane::cli {
namespace {

// One number field: where it lives (a float, a byte or a whole number) and its range.
struct NumberField {
  std::string_view name;
  float TKVXParamBlock::*real = nullptr;
  uint8_t TKVXParamBlock::*byte = nullptr;
  int32_t TKVXParamBlock::*whole = nullptr;
  double lo = 0, hi = 0;
};

constexpr double kInt32Min = std::numeric_limits<int32_t>::min(), kInt32Max = std::numeric_limits<int32_t>::max();
// A perspective camera sees less than half a turn; 0 is a flat object.
constexpr double kMaxFieldOfView = 3.14159;
static_assert(kMaxFieldOfView < std::numbers::pi);

constexpr NumberField kNumberFields[] = {
    {.name = "Glare", .byte = &TKVXParamBlock::Glare, .lo = 0, .hi = 1},
    {.name = "LevelUp", .byte = &TKVXParamBlock::LevelUp, .lo = 0, .hi = 1},
    {.name = "HiContrast", .byte = &TKVXParamBlock::HiContrast, .lo = 0, .hi = 1},
    {.name = "Transparency", .byte = &TKVXParamBlock::Transparency, .lo = 0, .hi = 255},
    {.name = "Rotate", .real = &TKVXParamBlock::Rotate, .lo = 0, .hi = 360},
    {.name = "TileX", .real = &TKVXParamBlock::TileX, .lo = 0.001, .hi = 100},
    {.name = "TileY", .real = &TKVXParamBlock::TileY, .lo = 0.001, .hi = 100},
    {.name = "SeamlessX", .real = &TKVXParamBlock::SeamlessX, .lo = 0, .hi = 0.5},
    {.name = "SeamlessY", .real = &TKVXParamBlock::SeamlessY, .lo = 0, .hi = 0.5},
    {.name = "ShiftX", .real = &TKVXParamBlock::ShiftX, .lo = -1, .hi = 1},
    {.name = "ShiftY", .real = &TKVXParamBlock::ShiftY, .lo = -1, .hi = 1},
    {.name = "FieldOfView", .real = &TKVXParamBlock::FieldOfView, .lo = 0, .hi = kMaxFieldOfView},
    {.name = "MaterialKey", .whole = &TKVXParamBlock::MaterialKey, .lo = kInt32Min, .hi = kInt32Max},
    {.name = "MaterialKey2", .whole = &TKVXParamBlock::MaterialKey2, .lo = kInt32Min, .hi = kInt32Max},
};

}  // namespace

std::string NameInCodePage(const std::string& utf8, const std::string& what, size_t maxLength) {
  const auto bytes = Utf8ToCodePage(utf8);
  if (!bytes) throw UsageError(what + ": \"" + utf8 + "\" is not text of the Windows-1252 code page");
  if (bytes->size() > maxLength)
    throw UsageError(what + ": at most " + std::to_string(maxLength) + " characters, got " +
                     std::to_string(bytes->size()));
  return *bytes;
}

void SetParamField(TKVXParamBlock& p, const std::string& field, const std::string& text, const std::string& what) {
  if (field == "Name") {
    p.Name = NameInCodePage(text, what, kMaxNameLength);
    return;
  }
  if (field == "Color") {
    p.Color = ParseHexColor(text, 8, what);
    return;
  }
  for (const NumberField& f : kNumberFields) {
    if (f.name != field) continue;
    if (f.real)
      p.*f.real = float(ParseRealIn(text, what, f.lo, f.hi));
    else if (f.byte)
      p.*f.byte = uint8_t(ParseIntegerIn(text, what, int64_t(f.lo), int64_t(f.hi)));
    else
      p.*f.whole = int32_t(ParseIntegerIn(text, what, int64_t(f.lo), int64_t(f.hi)));
    return;
  }
  throw UsageError("unknown field " + field);
}

}  // namespace kelvane::cli
