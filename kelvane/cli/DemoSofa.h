#pragma once
#include <filesystem>
#include <string>

#include "raster/TBitmap32.h"

namespace kelvane::cli {

// Writes the demo's sofa as DIR/sofa.obj and DIR/sofa.mtl, a model of our own: seat,
// back, arms and cushions as separate materials (legs and a rug too), folds in the
// cushions. Returns the model's path.
std::string WriteDemoSofa(const std::filesystem::path& dir);

// The sofa turned into a picture and its scene (sofa.png, sofa.kv), imported as a
// project, and the fabric draped onto its cushions through their antialiased mask:
// sofa-draped.png and sofa.kvx.
void SofaDemo(const std::filesystem::path& dir, const TBitmap32& fabric);

}  // namespace kelvane::cli
