#pragma once
#include <string>
#include <vector>

#include "../texlib/TTextureLibrary.h"
#include "BackgroundWork.h"
#include "TKVXEditSession.h"

namespace kelvane {

// What the library window does to a document.

// A click on a thumbnail: the document's library texture reference.
void ChooseLibraryTexture(TKVXEditSession& doc, const TLibraryTextureRef& ref);
// A double click: the reference, applied to the current object (and the selected ones).
void ApplyLibraryTexture(TKVXEditSession& doc, const TLibraryTextureRef& ref);
// A thumbnail dropped on the image view at a point in view pixels. With exactly one
// object selected the object under the point becomes current first; the texture is
// applied and, with "Auto Render After Drag&&Drop", the selected objects are filled. In
// included-objects mode nothing is draped: the included object under the point takes
// the texture as its picture (a new one is placed there when none is), then the fill
// runs as after any drop. False when the document could not take it.
bool DropLibraryTexture(TKVXEditSession& doc, const TLibraryTextureRef& ref, double viewX, double viewY);

// The picture an included object keeps for a library texture: a folder's or a list's
// texture is its file; a texture inside a library file is named "<library>#<index>".
std::string IncludedPicturePath(const TLibraryTextureRef& ref);
// Reads an included object's picture: a picture file, or a library's texture named as
// above (when no file has that name).
Result<TBitmap32> LoadIncludedPicture(const std::string& path);

inline constexpr const char* kTextureLibraryFilter = "Texture Library (*.kvt)|*.kvt";

// The library editor: a library in memory, its file, and the changes not saved yet.
// Pictures are added in the background (several files or folders at once, with
// progress and Cancel); everything else is immediate.
class TTexLibEditorSession {
public:
  explicit TTexLibEditorSession(const TServices& services) : services_(services) {}

  const TTextureLibrary& Library() const { return library_; }
  size_t Count() const { return library_.Count(); }
  const std::string& Path() const { return path_; }
  bool Modified() const { return modified_; }
  // "Untitled.kvt" or the file's name, with "*" while modified.
  std::string Caption() const;

  // A new, empty library; asks about unsaved changes first. False when the user kept
  // the old one.
  bool New();
  // Opens a library file for editing (a dialog when `path` is empty).
  bool Open(const std::string& path = {});

  // Starts adding the pictures (files, or folders for their pictures). False while an
  // earlier add still runs or when there is nothing to add.
  bool StartAdding(const std::vector<std::string>& paths);
  TBackgroundWork& Adding() { return adding_; }
  // After the add finished: the new textures go to the end; the pictures that could not
  // be read are reported once. True when something was added.
  bool FinishAdding();

  // Removes the textures at these positions.
  void Remove(std::vector<size_t> rows);
  // Moves a texture to another position (dragging in the list).
  bool Move(size_t from, size_t to);
  // Texture i's thumbnail as the library holds it.
  TBitmap32 Thumbnail(size_t i) const;

  // Save (Save As without a path). True when the file was written.
  bool Save();
  bool SaveAs();
  // Before closing: true when nothing would be lost.
  bool CanClose();

private:
  bool Write(const std::string& path);
  TServices services_;
  TTextureLibrary library_;
  std::string path_;
  bool modified_ = false;
  TBackgroundWork adding_;
  TTextureLibrary added_;
  std::vector<std::string> addFailures_;
};

}  // namespace kelvane
