#include "SessionLibrary.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "../raster/PictureFormats.h"
#include "../texlib/TexLibRoots.h"
#include "DocumentCommands.h"

namespace kelvane {

namespace fs = std::filesystem;

void ChooseLibraryTexture(TKVXEditSession& doc, const TLibraryTextureRef& ref) { doc.LibraryRef = ref; }

void ApplyLibraryTexture(TKVXEditSession& doc, const TLibraryTextureRef& ref) {
  if (doc.Busy()) return;
  ChooseLibraryTexture(doc, ref);
  RunDocumentCommand(doc, "ASetTexureFromLib");
}

bool DropLibraryTexture(TKVXEditSession& doc, const TLibraryTextureRef& ref, double viewX, double viewY) {
  if (doc.Busy() || doc.CurrentIndex() < 0) return false;
  ChooseLibraryTexture(doc, ref);
  if (doc.Mode() == TWindowMode::Included) {
    // Included pictures are not draped: the texture becomes the picture under the point.
    const TPointD p = doc.View.ViewToBitmap(viewX, viewY);
    if (!doc.DropIncludedPicture(IncludedPicturePath(ref), p.X, p.Y)) return false;
    if (doc.Options().AutoRender) RunDocumentCommand(doc, "AMultiSelect");
    return true;
  }
  if (doc.SelectedCount() == 1) {
    const TPointD p = doc.View.ViewToBitmap(viewX, viewY);
    doc.PickAt(p.X, p.Y, false, false);
  }
  RunDocumentCommand(doc, "ASetTexureFromLib");
  if (doc.Options().AutoRender) RunDocumentCommand(doc, "AMultiSelect");
  return true;
}

namespace {

// "<library>#<index>": the library's file name (no folders) and the texture's position.
std::optional<std::pair<std::string, int32_t>> LibraryPictureName(const std::string& path) {
  const size_t hash = path.rfind('#');
  if (hash == std::string::npos || hash == 0 || path.size() - hash < 2 || path.size() - hash > 10) return std::nullopt;
  const std::string name = path.substr(0, hash);
  if (name.find_first_of("/\\") != std::string::npos) return std::nullopt;
  int32_t index = 0;
  for (size_t i = hash + 1; i < path.size(); ++i) {
    if (path[i] < '0' || path[i] > '9') return std::nullopt;
    index = index * 10 + (path[i] - '0');
  }
  return std::pair{name, index};
}

}  // namespace

std::string IncludedPicturePath(const TLibraryTextureRef& ref) {
  if (!ref.FromLibrary) return ref.TexturePath;
  return ref.LibraryName + "#" + std::to_string(ref.Index);
}

Result<TBitmap32> LoadIncludedPicture(const std::string& path) {
  std::error_code ec;
  if (auto library = LibraryPictureName(path); library && !fs::exists(path, ec))
    return FetchLibraryTexture(library->first, library->second);
  return LoadPicture(path);
}

// ---- the editor

std::string TTexLibEditorSession::Caption() const {
  const std::string name = path_.empty() ? "Untitled.kvt" : fs::path(path_).filename().string();
  return name + (modified_ ? " *" : "");
}

bool TTexLibEditorSession::CanClose() {
  if (adding_.Running()) return false;
  if (!modified_) return true;
  if (!services_.Messages) return false;
  switch (services_.Messages->Ask("Save changes to the texture library " + Caption().substr(0, Caption().size() - 2) +
                                      "?",
                                  TButtons::YesNoCancel)) {
    case TAnswer::Yes: return Save();
    case TAnswer::No: return true;
    default: return false;
  }
}

bool TTexLibEditorSession::New() {
  if (!CanClose()) return false;
  library_ = TTextureLibrary();
  path_.clear();
  modified_ = false;
  return true;
}

bool TTexLibEditorSession::Open(const std::string& path) {
  if (!CanClose()) return false;
  std::string chosen = path;
  if (chosen.empty()) {
    if (!services_.Dialogs) return false;
    auto p = services_.Dialogs->OpenFile(kTextureLibraryFilter, "kvt");
    if (!p) return false;
    chosen = *p;
  }
  auto lib = TTextureLibrary::Load(chosen);
  if (!lib) {
    if (services_.Messages) services_.Messages->Show(lib.error());
    return false;
  }
  library_ = std::move(lib.value());
  path_ = chosen;
  modified_ = false;
  return true;
}

bool TTexLibEditorSession::StartAdding(const std::vector<std::string>& paths) {
  if (paths.empty() || adding_.Running()) return false;
  adding_.Wait();
  added_ = TTextureLibrary();
  addFailures_.clear();
  return adding_.Start([this, paths](TProgress& progress, const std::atomic<bool>& cancel) {
    addFailures_ = added_.AddPictures(paths, &progress, &cancel);
    if (added_.Count() == 0 && addFailures_.empty() && !cancel) addFailures_.push_back("No pictures to add.");
  });
}

bool TTexLibEditorSession::FinishAdding() {
  if (adding_.Running()) return false;
  adding_.Wait();
  const bool any = added_.Count() > 0;
  library_.Append(std::move(added_));
  if (any) modified_ = true;
  if (!addFailures_.empty() && services_.Messages) {
    std::string text;
    for (const std::string& f : addFailures_) text += (text.empty() ? "" : "\n") + f;
    services_.Messages->Show(text, TMessageKind::Warning);
  }
  addFailures_.clear();
  return any;
}

void TTexLibEditorSession::Remove(std::vector<size_t> rows) {
  std::sort(rows.rbegin(), rows.rend());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (size_t r : rows)
    if (library_.Remove(r)) modified_ = true;
}

bool TTexLibEditorSession::Move(size_t from, size_t to) {
  if (from == to || !library_.Move(from, to)) return false;
  modified_ = true;
  return true;
}

TBitmap32 TTexLibEditorSession::Thumbnail(size_t i) const {
  if (i >= library_.Count()) return {};
  auto b = ReadBmp(library_.Records()[i].Thumbnail);
  return b ? std::move(b.value()) : TBitmap32();
}

bool TTexLibEditorSession::Write(const std::string& path) {
  if (Status s = library_.Save(path); !s) {
    if (services_.Messages) services_.Messages->Show("Cannot save the texture library \"" + path + "\": " + s.error());
    return false;
  }
  path_ = path;
  modified_ = false;
  return true;
}

bool TTexLibEditorSession::Save() { return path_.empty() ? SaveAs() : Write(path_); }

bool TTexLibEditorSession::SaveAs() {
  if (!services_.Dialogs) return false;
  auto p = services_.Dialogs->SaveFile(kTextureLibraryFilter, "kvt", path_.empty() ? "Untitled.kvt" : path_);
  if (!p) return false;
  std::string path = *p;
  if (fs::path(path).extension().empty()) path += ".kvt";
  return Write(path);
}

}  // namespace kelvane
