#include "CliSupport.h"

#include <cstdio>
#include <cstdlib>

#include "CliErrors.h"
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
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (text.size() != digits || *end) throw UsageError(what + ": expected " + form);
  return digits == 8 ? uint32_t(v) : 0xFF000000u | uint32_t(v);
}

void LoadProjectOrFail(TKVXFile2& doc, const std::string& path) {
  RegisterKvxPictureFormat();
  if (Status s = doc.LoadFromFile(path); !s) throw Failed(s.error());
  // Every item is read now, so that a damaged one is named before any work is done;
  // saving such a project fails (SaveProjectOrFail).
  for (const TItemDamage& d : doc.CheckItems())
    std::fprintf(stderr, "kelvane-cli: %s: damaged item, read as empty: %s\n", path.c_str(), d.Text().c_str());
}

void SaveProjectOrFail(TKVXFile2& doc, const std::string& path) {
  if (Status s = doc.SaveToFile(path); !s) throw Failed(s.error());
}

int ObjectIndex(const TKVXFile2& doc, const std::string& text) {
  const int64_t v = ParseInteger(text, "OBJ");
  if (v < 0 || v > doc.HighIndex())
    throw Failed("the project has no object " + text + " (it has " + std::to_string(doc.HighIndex() + 1) + ")");
  return int(v);
}

}  // namespace kelvane::cli
