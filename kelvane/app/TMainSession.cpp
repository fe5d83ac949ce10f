#include "TMainSession.h"

#include <filesystem>

#include "../project/TempFiles.h"
#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "../texlib/TexLibRoots.h"

namespace kelvane {

namespace fs = std::filesystem;

namespace {
constexpr const char* kClipboardFile = "~kvx.bmp";
constexpr const char* kClipboardDocument = "NoName.kvx";
}  // namespace

TMainSession::TMainSession(TMainHost& host, const TServices& services, TSettingsStore* settings,
                           TClipboard* clipboard, TScanner* scanner)
    : host_(host), services_(services), settings_(settings), clipboard_(clipboard), scanner_(scanner) {
  if (settings_) Options.Load(*settings_);
  SetLibraryPaths(Options.LibraryPaths);
}

bool TMainSession::OpenDocument(const std::string& path) {
  if (!PictureFormats::instance().find(LowerExtension(path))) {
    if (services_.Messages) services_.Messages->Show("Unknown File Type \"" + path + "\"");
    return false;
  }
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    if (services_.Messages) services_.Messages->Show("The file \"" + path + "\" does not exist");
    return false;
  }
  TBusyScope busy(services_.Cursor);
  const bool fromClipboard = fs::path(path).filename() == kClipboardFile;
  TKVXEditSession* doc = host_.NewDocument(fromClipboard ? kClipboardDocument : path);
  if (!doc) return false;
  doc->Load(path);
  if (fromClipboard) {
    // The picture came from the clipboard: the document has no file of its own yet.
    if (services_.Jobs) services_.Jobs->WaitAll();
    doc->SetNameWithoutPath(kClipboardDocument);
    fs::remove(path, ec);
  }
  return true;
}

void TMainSession::Open() {
  if (!services_.Dialogs) return;
  if (auto path = services_.Dialogs->OpenFile(OpenPictureFilter(), "")) OpenDocument(*path);
}

void TMainSession::PasteAsNewImage() {
  if (!clipboard_) return;
  const std::string path = (fs::path(TempFolder()) / kClipboardFile).string();
  {
    TBusyScope busy(services_.Cursor);
    auto picture = clipboard_->Picture();
    // Clipboard errors are not the user's concern: nothing happens.
    if (!picture || picture->Empty() || !SavePicture(path, picture.value())) return;
  }
  std::error_code ec;
  if (fs::exists(path, ec)) OpenDocument(path);
}

void TMainSession::ImportFromScanner() {
  if (!scanner_) return;
  auto image = scanner_->Acquire();
  if (!image) {
    if (services_.Messages) services_.Messages->Show(image.error(), TMessageKind::Information);
    return;
  }
  if (!image.value() || !clipboard_) return;
  clipboard_->SetPicture(**image);
  PasteAsNewImage();
}

void TMainSession::ShowOptions() {
  // The dialog edits a copy: Cancel leaves every option as it was.
  TKVXOptions edited = Options;
  if (!host_.EditOptions(edited)) return;
  Options = edited;
  SetLibraryPaths(Options.LibraryPaths);
  SaveSettings();
  host_.RefreshLibrary();
}

void TMainSession::SaveSettings() {
  if (settings_) Options.Save(*settings_);
}

void TMainSession::Cut() {
  TKVXEditSession* d = Active();
  if (!d || !clipboard_ || !d->CurrentMask()) return;
  clipboard_->SetPicture(d->MaskPicture());
  d->ClearMask();
}

void TMainSession::Copy() {
  TKVXEditSession* d = Active();
  if (d && clipboard_ && d->CurrentMask()) clipboard_->SetPicture(d->MaskPicture());
}

void TMainSession::Paste() {
  TKVXEditSession* d = Active();
  if (!d || !clipboard_) return;
  auto picture = clipboard_->Picture();
  if (picture && !picture->Empty()) d->PasteMask(picture.value());
}

void TMainSession::CopyColor() {
  if (TKVXEditSession* d = Active()) {
    ColorClipboard = d->CurrentColor();
    PasteColorEnabled = true;
  }
}

void TMainSession::PasteColor() {
  if (TKVXEditSession* d = Active(); d && PasteColorEnabled) d->SetCurrentColor(ColorClipboard);
}

void TMainSession::CopyTexture() {
  if (TKVXEditSession* d = Active(); d && d->CurrentTexture()) TextureClipboard = *d->CurrentTexture();
}

void TMainSession::PasteTexture() {
  if (TKVXEditSession* d = Active(); d && d->CurrentTexture() && !TextureClipboard.Empty())
    d->SetTexture(TextureClipboard);
}

void TMainSession::ImageSize() {
  TKVXEditSession* d = Active();
  if (!d || d->Busy()) return;
  if (auto a = host_.AskImageSize(d->Doc.Width, d->Doc.Height)) d->ImageSize(a->Width, a->Height, a->Filter);
}

void TMainSession::RotateAlpha() {
  TKVXEditSession* d = Active();
  if (!d || d->Busy()) return;
  if (auto angle = host_.AskRotateAngle()) d->RotateByAngle(*angle);
}

void TMainSession::Feather() {
  TKVXEditSession* d = Active();
  if (!d || d->Busy() || d->SelectedCount() >= 2) return;
  if (auto r = host_.AskFeatherRadius()) d->FeatherSelection(*r);
}

void TMainSession::TextureLibraryEditor() {
  if (host_.ShowLibraryEditor()) return;
  // An outside program, started when it is in the current folder; nothing otherwise.
  for (const char* name : {"Swatchery", "Swatchery.exe"})
    if (host_.StartProgram((fs::current_path() / name).string())) return;
}

}  // namespace kelvane
