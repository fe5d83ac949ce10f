#pragma once
#include <string>

#include "app/ProjectFromPicture.h"
#include "project/TKVXFile2.h"
#include "raster/TBitmap32.h"
#include "raster/TByteMap.h"

// What several kelvane-cli commands do the same way; each failure is thrown as Failed
// or UsageError with the message the tool prints.
namespace kelvane::cli {

TBitmap32 LoadPictureOrFail(const std::string& path);
void SavePictureOrFail(const std::string& path, const TBitmap32& picture, int jpegQuality = 90);

// A grey picture read as a mask, one byte of intensity per pixel. It must be width x
// height; otherwise the message names both sizes ("the mask is 3x2, the picture 4x4").
TByteMap LoadMaskPicture(const std::string& path, int width, int height, const std::string& whose = "the picture");

// A colour of `digits` hex digits (6: RRGGBB, made opaque; 8: AARRGGBB).
uint32_t ParseHexColor(const std::string& text, size_t digits, const std::string& what);

void LoadProjectOrFail(TKVXFile2& doc, const std::string& path);
void SaveProjectOrFail(TKVXFile2& doc, const std::string& path);
// OBJ on the command line: a whole number is an object's index (even when an object is
// named so); any other text is an object's Name, in UTF-8. A failure names what is
// missing: the index beyond the objects, or the name no object (or two) has.
int ObjectIndex(TKVXFile2& doc, const std::string& text);
// The object whose Name is `name` (text of the file's code page); -1 when there is
// none, a failure when two objects have it.
int FindObjectByName(TKVXFile2& doc, const std::string& name);

}  // namespace kelvane::cli
