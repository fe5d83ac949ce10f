#include "CliSupport.h"

#include <cstdlib>

#include "CliErrors.h"
#include "CodePage.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {

TBitmap32 LoadPictureOrFail(const std::string& path) {
  auto p = LoadPicture(path);
  if (!p) throw Failed(p.error());
  return std::move(p.value());
}

void SavePictureOrFail(const std::string& path, const TBitmap32& picture, int jpegQuality) {
  PictureWriteOptions o;
  o.jpegQuality = jpegQuality;
  if (Status s = SavePicture(path, picture, o); !s) throw Failed(s.error());
}

TByteMap LoadMaskPicture(const std::string& path, int width, int height, const std::string& whose) {
  const TBitmap32 picture = LoadPictureOrFail(path);
  if (picture.Width() != width || picture.Height() != height)
    throw Failed("the mask is " + std::to_string(picture.Width()) + "x" + std::to_string(picture.Height()) + ", " +
                 whose + " " + std::to_string(width) + "x" + std::to_string(height));
  TByteMap mask(width, height);
  for (int y = 0; y < height; ++y) {
    const TColor32* row = picture.ScanLine(y);
    uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < width; ++x) m[x] = Intensity(row[x]);
  }
  return mask;
}

uint32_t ParseHexColor(const std::string& text, size_t digits, const std::string& what) {
  const char* form = digits == 8 ? "AARRGGBB" : "RRGGBB";
  // Hex digits only: strtoul alone would take a sign, spaces or "0x".
  if (text.size() != digits || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw UsageError(what + ": expected " + form + ", got " + text);
  const unsigned long v = std::strtoul(text.c_str(), nullptr, 16);
  return digits == 8 ? uint32_t(v) : 0xFF000000u | uint32_t(v);
}

void LoadProjectOrFail(TKVXFile2& doc, const std::string& path) {
  RegisterKvxPictureFormat();
  if (Status s = doc.LoadFromFile(path); !s) throw Failed(s.error());
}

void SaveProjectOrFail(TKVXFile2& doc, const std::string& path) {
  if (Status s = doc.SaveToFile(path); !s) throw Failed(s.error());
}

int FindObjectByName(TKVXFile2& doc, const std::string& name) {
  int found = -1;
  for (int i = 0; i <= doc.HighIndex(); ++i) {
    if (doc.Objects[size_t(i)]->Param->Get().Name != name) continue;
    if (found >= 0)
      throw Failed("objects " + std::to_string(found) + " and " + std::to_string(i) + " are both named " +
                   CodePageToUtf8(name) + ": give the index");
    found = i;
  }
  return found;
}

int ObjectIndex(TKVXFile2& doc, const std::string& text) {
  if (text.empty()) throw UsageError("OBJ: an object's index or name, not nothing");
  // "3" and "-1" are indices; "Sofa" and "3a" are names.
  const size_t first = text[0] == '-' ? 1 : 0;
  if (text.size() > first && text.find_first_not_of("0123456789", first) == std::string::npos) {
    const int64_t v = ParseInteger(text, "OBJ");
    if (v < 0 || v > doc.HighIndex())
      throw Failed("the project has no object " + text + " (it has " + std::to_string(doc.HighIndex() + 1) + ")");
    return int(v);
  }
  const auto name = Utf8ToCodePage(text);
  const int found = name ? FindObjectByName(doc, *name) : -1;
  if (found < 0) throw Failed("the project has no object named " + text);
  return found;
}

}  // namespace kelvane::cli
