#pragma once
#include <string>

#include "../canvas/DisplaySurface.h"
#include "Result.h"

namespace daubwell {

// Writes the surface as an 8-bit RGB PNG through a temporary file.
Status writePng(const DisplaySurface& surface, const std::string& path);

}  // namespace daubwell
