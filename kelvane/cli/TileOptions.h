#pragma once
#include <string>
#include <vector>

#include "drape/TileSize.h"
#include "raster/TBitmap32.h"

namespace kelvane::cli {

// --keep-aspect, --object-width CM and --repeat CM[,CM], taken out of the words (the
// rest stay for the command's own parser). Bad values and conflicting options are usage
// errors.
TTileRule TakeTileOptions(std::vector<std::string>& words);
// The rule's TileX and TileY written into the block for this texture on this grid, held
// to the fields' range with a warning when they leave it; a grid that cannot be
// measured fails.
void ApplyTileRuleOrFail(const TTileRule& rule, TKVXParamBlock& param, const TMapGrid& grid, int imageWidth,
                         int imageHeight, const TBitmap32& texture);

}  // namespace kelvane::cli
