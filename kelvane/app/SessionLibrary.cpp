#include "SessionLibrary.h"

#include <algorithm>
#include <filesystem>

#include "../raster/PictureFormats.h"
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
  // Included pictures are placed by their own editor, not draped.
  if (doc.Mode() == TWindowMode::Included) return false;
  if (doc.SelectedCount() == 1) {
    const TPointD p = doc.View.ViewToBitmap(viewX, viewY);
    doc.PickAt(p.X, p.Y, false, false);
  }
  RunDocumentCommand(doc, "ASetTexureFromLib");
  if (doc.Options().AutoRender) RunDocumentCommand(doc, "AMultiSelect");
  return true;
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
