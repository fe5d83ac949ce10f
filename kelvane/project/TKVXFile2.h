#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../drape/TIncObjList.h"
#include "../raster/Progress.h"
#include "KVXItems.h"

namespace kelvane {

class TCashMarager;

// One object: a short name (from the file's table only) and its five items.
struct TKVXObject2 {
  std::string ShortName;
  std::unique_ptr<TKVXParam> Param;
  std::unique_ptr<TKVXTexture> Texture;
  std::unique_ptr<TKVXGrid> Grid;
  std::unique_ptr<TKVXGrid> Grid2;
  std::unique_ptr<TKVXMask> Mask;
};

// Pins of items, released when it goes out of scope. Move-only.
class TItemPins {
public:
  TItemPins() = default;
  ~TItemPins() { Release(); }
  TItemPins(TItemPins&& o) noexcept : items_(std::move(o.items_)) { o.items_.clear(); }
  TItemPins& operator=(TItemPins&& o) noexcept {
    if (this != &o) {
      Release();
      items_ = std::move(o.items_);
      o.items_.clear();
    }
    return *this;
  }
  void Add(TKVXCustomItem& item) {
    item.Pin();
    items_.push_back(&item);
  }

private:
  void Release() {
    for (TKVXCustomItem* i : items_) i->Unpin();
    items_.clear();
  }
  std::vector<TKVXCustomItem*> items_;
};

// The five items of one object, loaded and pinned: the swapper leaves them alone for as
// long as the view is held.
struct TObjectView {
  TMapGrid& Grid;
  TMapGrid& Grid2;
  TByteMap& Mask;
  TBitmap32& Texture;
  TKVXParamBlock& Param;
  TItemPins Pins;
};

// An item whose data could not be read: which object, which of its five items, why.
struct TItemDamage {
  int Object = 0;
  std::string ObjectName;  // the table's short name, else the parameter block's; may be empty
  std::string Item;        // "mask", "grid", "second grid", "parameters" or "texture"
  std::string Message;
  // "object 2 "Sofa", mask: ZLib error: target buffer may be too small"
  std::string Text() const;
};

// What a save does with items that could not be read.
enum class TDamagedItems {
  Refuse,     // the save fails and names them: the file would lose what they held
  SaveEmpty,  // the user has been told: they are saved as they are held, empty
};

inline constexpr uint32_t kProjectMagic = 0x01150530u;
inline constexpr size_t kObjectRecordSize = 141;
inline constexpr const char* kWrongFormatText = "Sorry Wrong File Format";

// A project document: base and result images, objects and included pictures. Items
// are read lazily from the project stream; the file format itself is TKVXFile2's.
class TCustomKVXFile2 {
public:
  explicit TCustomKVXFile2(TCashMarager* swapper = nullptr) : swapper_(swapper) {}
  virtual ~TCustomKVXFile2() = default;
  // Items live on the heap and stay where they are, so a document can move.
  TCustomKVXFile2(TCustomKVXFile2&&) = default;
  TCustomKVXFile2& operator=(TCustomKVXFile2&&) = default;

  int32_t Width = 0, Height = 0;
  float SceneFieldOfView = 0;
  TBitmap32 Base, Result;
  TIncObjList Included;
  std::vector<std::unique_ptr<TKVXObject2>> Objects;
  std::string FileName;

  int HighIndex() const { return int(Objects.size()) - 1; }

  int AddObject();
  // The object's five items, loaded and pinned. Items that could not be read come
  // empty; DamagedItems says which.
  TObjectView GetObjectView(int index);
  void EnsureLoaded(int index);
  void SwapMappings(int index);
  virtual Status DeleteObject(int index);
  virtual void Clear();
  // Image Size: images and masks resampled; grids stay (they are relative).
  virtual void Resize(int width, int height, TStretchFilter filter);

  // The items whose reads have failed so far, in document order; nothing is read.
  std::vector<TItemDamage> DamagedItems();
  // Reads every item of every object first (items load lazily), then the same.
  std::vector<TItemDamage> CheckItems();

  virtual Status LoadFromFile(const std::string& path) = 0;
  virtual Status SaveToFile(const std::string& path, TProgress* progress = nullptr,
                            TDamagedItems damaged = TDamagedItems::Refuse) = 0;

protected:
  std::unique_ptr<TKVXObject2> MakeObject(std::shared_ptr<const ProjectFile> stream, const int64_t positions[5]);

  TCashMarager* swapper_;
  std::shared_ptr<const ProjectFile> stream_;
};

// The ".kvx" project file: opening reads the images, the object table and the included
// list; each item is read when first used.
class TKVXFile2 final : public TCustomKVXFile2 {
public:
  using TCustomKVXFile2::TCustomKVXFile2;

  // Fails with "Sorry Wrong File Format" (no objects) or a message naming the fault.
  Status LoadFromFile(const std::string& path) override;
  // Writes beside the target under a temporary name (path, "$$$" and random characters)
  // and replaces the target only when the file is complete; a failure leaves the old
  // file as it was. With an item that could not be read, nothing is written unless the
  // caller says the user was told (TDamagedItems::SaveEmpty).
  Status SaveToFile(const std::string& path, TProgress* progress = nullptr,
                    TDamagedItems damaged = TDamagedItems::Refuse) override;
};

// Registers the picture format "kvx" ("Kelvane files"): a project read as its result
// image, for open dialogs and thumbnails.
void RegisterKvxPictureFormat();
Result<TBitmap32> ReadProjectResultImage(std::span<const uint8_t> bytes);

}  // namespace kelvane
