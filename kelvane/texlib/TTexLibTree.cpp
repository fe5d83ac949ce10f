#include "TTexLibTree.h"

#include <algorithm>
#include <filesystem>

#include "../raster/FileIO.h"
#include "TexLibRoots.h"

namespace kelvane {
namespace fs = std::filesystem;

std::vector<std::unique_ptr<TTexLibNode>> ListFolder(const std::string& path) {
  std::vector<std::unique_ptr<TTexLibNode>> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(path, fs::directory_options::skip_permission_denied, ec)) {
    std::error_code typeEc;
    const std::string name = entry.path().filename().string();
    auto node = std::make_unique<TTexLibNode>();
    if (entry.is_directory(typeEc)) {
      node->Kind = TTexLibNodeKind::Folder;
    } else {
      const std::string ext = LowerExtension(name);
      if (ext != "kvt" && ext != "kvp") continue;
      node->Kind = ext == "kvt" ? TTexLibNodeKind::Library : TTexLibNodeKind::List;
    }
    node->Text = name;
    node->Path = (fs::path(path) / name).string();
    out.push_back(std::move(node));
  }
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a->Text < b->Text; });
  return out;
}

bool TTexLibTree::FillIfEmpty(TTexLibNode& node) {
  if (node.Kind != TTexLibNodeKind::Folder || !node.Children.empty()) return false;
  node.Children = ListFolder(node.Path);
  for (auto& child : node.Children) child->Parent = &node;
  return !node.Children.empty();
}

void TTexLibTree::Build(const std::vector<std::string>& roots) {
  roots_.clear();
  for (const std::string& root : roots) {
    auto node = std::make_unique<TTexLibNode>();
    node->Text = node->Path = RootPath(root);
    FillIfEmpty(*node);
    for (auto& child : node->Children) FillIfEmpty(*child);
    roots_.push_back(std::move(node));
  }
}

TLibraryTextureRef ReferenceFor(const TTexLibNode& node, const std::string& caption, int index) {
  TLibraryTextureRef ref;
  ref.FromLibrary = node.Kind == TTexLibNodeKind::Library;
  ref.TexturePath = node.Kind == TTexLibNodeKind::Folder ? (fs::path(node.Path) / caption).string() : caption;
  ref.Index = index;
  ref.LibraryName = node.Text;
  return ref;
}

}  // namespace kelvane
