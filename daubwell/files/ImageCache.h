#pragma once
#include <span>
#include <string>

#include "../canvas/DisplaySurface.h"
#include "../canvas/Messages.h"
#include "Result.h"

namespace daubwell {

// The ".jgi" image cache: level, width, height (int32 each), then one block-coded plane
// for a grey image or three (blue, green, red) for a colour one, rows bottom-up.
bool writeJgi(const DisplaySurface& surface, const std::string& path, int level, bool grey);
// Reads a cache file into a 4-byte-per-pixel surface. Fails (leaving the surface alone)
// when the file is missing or damaged, or holds a size it cannot describe.
Status readJgi(DisplaySurface& surface, const std::string& path, bool grey);
Status decodeJgi(DisplaySurface& surface, std::span<const uint8_t> bytes, bool grey);

// Loads a BMP, PNG, JPEG or TIFF file (known by its first bytes) into a 3-byte-per-pixel
// surface. On failure the surface is left empty and, the first time in a run only, "An
// image failed to load!" is shown.
bool loadBitmapFile(DisplaySurface& surface, const std::string& path, Messages& messages);

// Where the cache lives: "data/" beside the program, and a folder of the user's own for
// when the program's folder cannot be written.
struct ImageFolders {
  std::string bitmapDir;    // e.g. "<program>/WorkData/Styles/"
  std::string cacheDir;     // e.g. "<program>/data/"
  std::string userCacheDir; // e.g. "~/.cache/daubwell/"; empty: none
};

// The cache rule: read the cache when it exists; otherwise build it from the bitmap at
// level 3 and read it back, so the image in use is always the decoded cache.
bool loadGreyImage(DisplaySurface& surface, const std::string& name, const ImageFolders& folders, Messages& messages);
bool loadColourImage(DisplaySurface& surface, const std::string& name, const ImageFolders& folders, Messages& messages);

}  // namespace daubwell
