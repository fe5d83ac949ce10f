#pragma once
#include <string>
#include <vector>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "KVScene.h"

// The grouped scene file (".gkv"): the parts of a scene that belong together merged
// into one block each, in the scene file's layout with one sub-material per block.
namespace kelvane {

// One (block, sub-material) of the first mapping, and where its block's mesh lies in
// each mapping.
struct TMatHead {
  std::string BlockName, SubName;
  int32_t SubIndex = 0;
  int32_t Flag = 0;  // the sub-material record's flag, which stands for the block's
  uint64_t First = 0, Second = 0;
};

// Whether two parts go into one group. By name: their block names are equal. Otherwise
// the flags decide: flag-0 parts group by block name, a flag-1 part joins the flag-0
// parts whose block name is its sub-material name, and flag-1 parts group by
// sub-material name.
bool PartsBelong(const TMatHead& a, const TMatHead& b, bool byName);

// The scene path with the extension ".gkv".
std::string GroupedScenePath(const std::string& scenePath);

// Writes the grouped file of the scene at `scenePath` to `groupedPath` (through a
// temporary file, so a failure leaves no half-written file).
Status BuildGroupedScene(const std::string& scenePath, const std::string& groupedPath, bool byName,
                         TProgress* progress = nullptr);

}  // namespace kelvane
