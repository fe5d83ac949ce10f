#pragma once
#include <string>

#include "../canvas/Messages.h"
#include "../tools/PatternImages.h"
#include "ImageCache.h"

namespace daubwell {

// The folder of the running program, with a trailing separator ("WorkData/" and "data/"
// are found beside it).
std::string programFolder();

// The user's own cache folder for images the program folder cannot hold.
std::string userCacheFolder();

// Where the lists and preferences are kept: "data/" beside the program when it can be
// written, else the user's data folder.
std::string listFolder();

// The image folders of the two pattern sets beside the program.
ImageFolders styleFolders();
ImageFolders textureFolders();

// Loads all 36 pattern images through the cache, style image n before texture image n.
void loadPatternImages(PatternImages& patterns, Messages& messages);

}  // namespace daubwell
