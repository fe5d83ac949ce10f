#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../drape/TileSize.h"
#include "ObjectFill.h"

// The catalogue job ("Batch Drape..." and `kelvane-cli batch`): one picture of the
// document per texture, the object draped with each in turn.
namespace kelvane {

struct TBatchItem {
  size_t Number = 0, Total = 0;  // 1-based, within the job's slice of the textures
  std::string Texture;           // the picture file, or "LIBRARY:INDEX"
  std::string Input;             // the picture file's path, or "LIBRARY.kvt:INDEX"
  std::string Output;            // the picture written or kept (empty on failure)
  std::string Error;             // why this texture gave no picture
  bool Skipped = false;          // resumed: the output was there already
  int64_t Milliseconds = 0;
  // "ok", "skipped" or "failed".
  const char* Status() const { return !Error.empty() ? "failed" : Skipped ? "skipped" : "ok"; }
};

struct TBatchReport {
  std::vector<TBatchItem> Items;
  bool Cancelled = false;
  size_t Failures() const;
};

struct TBatchDrape {
  int Object = 0;
  // A folder (its pictures, by name), a texture library (".kvt": every texture) or a
  // texture list (".kvp").
  std::string Textures;
  std::string OutFolder;  // made when missing
  std::string Format = "jpg";
  int Quality = 90;
  TDocumentFill Fill;
  // Recomputes TileX and TileY for each texture (its proportions); the object's own
  // parameters are as they were afterwards.
  TTileRule Tiles;
  // The job's slice: texture i of the whole list (0-based, in the list's order: folders
  // by file name) belongs to slice i mod ShardCount. Output names come from the whole
  // list, so the slices' outputs never collide and together are one whole job's.
  size_t ShardIndex = 0, ShardCount = 1;
  // An output that exists is complete (pictures are written under a temporary name and
  // renamed when whole): its texture is skipped.
  bool Resume = false;
  TProgress* Progress = nullptr;              // one step per texture
  const std::atomic<bool>* Cancel = nullptr;  // checked before each texture
  std::function<void(const TBatchItem&)> OnItem;  // after each texture
};

// Runs the job. Textures that cannot be read or draped are reported in their items and
// the job goes on; a failure means the job could not start (no such object, no textures,
// a slice that does not exist, an output folder that cannot be made, a format that cannot
// be written). The document's result image and the object's texture and parameters are
// as they were afterwards. A slice with no textures (more slices than textures) is an
// empty report.
Result<TBatchReport> BatchDrape(TKVXFile2& doc, const TBatchDrape& job);

// The output names of a folder's or list's pictures: the name without its extension, or
// with it where two pictures would share one ("a.jpg", "a.png" give "a.jpg", "a.png").
// Names that would still be shared (one file name in two folders of a list) get "-2",
// "-3", ... in list order after the first, so no output overwrites another.
std::vector<std::string> BatchOutputNames(const std::vector<std::string>& files);

}  // namespace kelvane
