#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// One included picture: a rectangle over the image with its own adjustments, opacity
// and optional alpha picture. The stream record is 591 bytes.
struct TIncObj {
  float Left = 0, Top = 0, Reserved = 0, Height = 0, Width = 0;
  int32_t Brightness = 0, Contrast = 0, Gamma = 0;
  int32_t Opacity = 255;
  int32_t HotX = 0, HotY = 0;
  std::string PicturePath;  // up to 255 characters
  std::string AlphaPath;    // empty: no alpha picture
  std::shared_ptr<TBitmap32> Picture;  // loaded on first drawing; not stored
};

inline constexpr size_t kIncObjRecordSize = 591;

// Reads the picture an entry names (a picture file unless the caller knows other names).
using TIncObjPictureLoader = std::function<Result<TBitmap32>(const std::string&)>;

class TIncObjList {
public:
  // A new entry over the rectangle (image pixels); it becomes the selected entry.
  size_t AddIncludedObject(const TRect& r);
  void Delete(size_t index);
  void Clear();

  size_t Count() const { return entries_.size(); }
  TIncObj& operator[](size_t i) { return entries_[i]; }
  const TIncObj& operator[](size_t i) const { return entries_[i]; }
  int Selected() const { return selected_; }
  // Selects an entry; -1, or an index past the end, selects none.
  void Select(int index) { selected_ = index >= 0 && size_t(index) < entries_.size() ? index : -1; }

  // Drawing rectangle; resets the entry's hot spot to (0, 0).
  TRect EntryRect(size_t index);
  // The first entry whose rectangle grown by 5 pixels contains the point, also made the
  // selected entry; -1 when none.
  int EntryAt(int x, int y);

  // Count (i32) and the 591-byte records.
  std::vector<uint8_t> WriteIncludedList() const;
  // Replaces all entries; consumes exactly the list's bytes from `bytes` and returns how
  // many that was. Fails on a negative count or records the bytes cannot hold.
  Result<size_t> ReadIncludedList(std::span<const uint8_t> bytes);

  // Clears `layer` to 0 and draws every entry's picture (loaded on first use, alpha
  // applied, balance table of its adjustments, stretched, blended at its opacity).
  // Stops at the first picture that cannot be loaded; entries before it stay drawn.
  // Pictures and alpha pictures are read with `load`, picture files without one.
  Status DrawIncludedObjects(TBitmap32& layer, const TIncObjPictureLoader& load = {});

private:
  std::vector<TIncObj> entries_;
  int selected_ = -1;
};

}  // namespace kelvane
