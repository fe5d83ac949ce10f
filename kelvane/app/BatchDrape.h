#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ObjectFill.h"

// The catalogue job ("Batch Drape..." and `kelvane-cli batch`): one picture of the
// document per texture, the object draped with each in turn.
namespace kelvane {

struct TBatchItem {
  size_t Number = 0, Total = 0;  // 1-based
  std::string Texture;           // the picture file, or "LIBRARY:INDEX"
  std::string Output;            // the picture written (empty on failure)
  std::string Error;             // why this texture gave no picture
  int64_t Milliseconds = 0;
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
  TProgress* Progress = nullptr;              // one step per texture
  const std::atomic<bool>* Cancel = nullptr;  // checked before each texture
  std::function<void(const TBatchItem&)> OnItem;  // after each texture
};

// Runs the job. Textures that cannot be read or draped are reported in their items and
// the job goes on; a failure means the job could not start (no such object, no textures,
// an output folder that cannot be made, a format that cannot be written). The document's
// result image and the object's texture are as they were afterwards.
Result<TBatchReport> BatchDrape(TKVXFile2& doc, const TBatchDrape& job);

// The output names of a folder's or list's pictures: the name without its extension, or
// with it where two pictures would share one ("a.jpg", "a.png" give "a.jpg", "a.png").
std::vector<std::string> BatchOutputNames(const std::vector<std::string>& files);

}  // namespace kelvane
