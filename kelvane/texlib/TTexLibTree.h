#pragma once
#include <memory>
#include <string>
#include <vector>

namespace kelvane {

// The sources the library window lists: folders, library files (".kvt") and texture
// list files (".kvp"), told apart by their icons.
enum class TTexLibNodeKind { Folder, Library, List };

struct TTexLibNode {
  TTexLibNodeKind Kind = TTexLibNodeKind::Folder;
  std::string Text;  // a root's path, else the file or folder name
  std::string Path;  // the full path of what the node shows
  TTexLibNode* Parent = nullptr;
  std::vector<std::unique_ptr<TTexLibNode>> Children;

  // Folder 0 and 1 (selected), library 2 and 3, list 4 and 5.
  int Icon() const { return 2 * int(Kind); }
  int SelectedIcon() const { return 2 * int(Kind) + 1; }
};

// The tree of the library window. Each root and its sub-folders are listed when the tree
// is built; deeper folders are listed when first selected.
class TTexLibTree {
public:
  // Discards the tree and builds it again over the roots ("Refresh").
  void Build(const std::vector<std::string>& roots);
  const std::vector<std::unique_ptr<TTexLibNode>>& Roots() const { return roots_; }

  // What selecting a node does first: a folder with no children lists its entries (one
  // level). True when children were added.
  static bool FillIfEmpty(TTexLibNode& node);

private:
  std::vector<std::unique_ptr<TTexLibNode>> roots_;
};

// The folder's entries as nodes, by name: sub-folders (not opened), ".kvt" and ".kvp"
// files in any case of the extension. Unreadable folders have none.
std::vector<std::unique_ptr<TTexLibNode>> ListFolder(const std::string& path);

// What choosing thumbnail `index` (captioned `caption`) of a node gives the document: the
// library texture reference a click sets and a double click applies.
struct TLibraryTextureRef {
  bool FromLibrary = false;  // the node is a library file
  std::string TexturePath;   // folder: the folder's path + "/" + the file name; else the caption
  int Index = 0;             // the thumbnail's position
  std::string LibraryName;   // the node's text: the library's file name
};
TLibraryTextureRef ReferenceFor(const TTexLibNode& node, const std::string& caption, int index);

}  // namespace kelvane
