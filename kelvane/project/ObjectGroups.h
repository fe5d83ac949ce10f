#pragma once
#include <span>
#include <string>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "TKVXFile2.h"

// Merging objects of a document: "Merge Selected" and "Group By Submaterial" without
// the object list.
namespace kelvane {

// Merges the objects into the one with the smallest index: its mask becomes the union
// of the masks, its grids take the others' cells (AppendGrid with the objects' keys),
// and the others are deleted. Fewer than two distinct objects: nothing happens.
Status MergeObjects(TKVXFile2& doc, std::span<const int> objects);

// What "Group By Submaterial" groups a name by: from the first " - " to the end, or the
// whole name when it has none.
std::string SubmaterialKey(const std::string& name);

// Merges all objects whose names have the same key, from the last object to the first;
// each merged object keeps the name of the earliest.
Status GroupBySubmaterial(TKVXFile2& doc, TProgress* progress = nullptr);

}  // namespace kelvane
