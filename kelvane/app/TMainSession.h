#pragma once
#include <optional>
#include <string>

#include "../raster/TBitmap32.h"
#include "TKVXEditSession.h"
#include "TKVXOptions.h"

namespace kelvane {

enum class TArrange { Cascade, TileHorizontally, TileVertically, MinimizeAll, ArrangeAll };
enum class TToolWindow { GridTools, SelectTools, TextureParams, TextureLibrary };

struct TImageSizeAnswer {
  int Width = 0, Height = 0;
  TStretchFilter Filter = TStretchFilter::sfLinear;
};

// What only the windows can do for the main window's commands: the document windows,
// the tool windows and the dialogs. Tests give a scripted host.
class TMainHost {
public:
  virtual ~TMainHost() = default;
  virtual TKVXEditSession* ActiveDocument() = 0;
  // A new document window with the caption; its session, or none.
  virtual TKVXEditSession* NewDocument(const std::string& caption) = 0;
  virtual void CloseActiveDocument() = 0;
  virtual void Arrange(TArrange how) = 0;
  virtual void ToggleToolWindow(TToolWindow w) = 0;
  virtual bool ToolWindowVisible(TToolWindow w) = 0;
  virtual void ToggleDocumentPanels() = 0;  // "Hide Tool"
  virtual void Exit() = 0;
  // The options dialog on the values; true on OK.
  virtual bool EditOptions(TKVXOptions& options) = 0;
  virtual std::optional<TImageSizeAnswer> AskImageSize(int width, int height) = 0;
  virtual std::optional<double> AskRotateAngle() = 0;
  virtual std::optional<double> AskFeatherRadius() = 0;
  // The balance dialog on the document (previewing both images; Cancel restores them).
  virtual void Balance(TKVXEditSession& doc) = 0;
  // A dialog the document window owns (colour picker, filters, editors), by command id.
  virtual void RunWindowCommand(TKVXEditSession& doc, const std::string& id) = 0;
  virtual void ShowAbout() = 0;
  virtual void Print(TKVXEditSession& doc) = 0;
  virtual void ExportJpeg(TKVXEditSession& doc) = 0;
  // Starts a program by file name; false when it is not there.
  virtual bool StartProgram(const std::string& path) = 0;
  // The library window's "Refresh" after the options changed.
  virtual void RefreshLibrary() {}
  // The program's own library editor; false when there is none (an outside one is
  // looked for then).
  virtual bool ShowLibraryEditor() { return false; }
  virtual void BatchDrape(TKVXEditSession& /*doc*/) {}
};

// The main window's state without a window: the options, the colour and texture
// clipboards, opening documents and the commands that are not the active document's.
class TMainSession {
public:
  TMainSession(TMainHost& host, const TServices& services, TSettingsStore* settings, TClipboard* clipboard,
               TScanner* scanner);

  TKVXOptions Options;
  TColor32 ColorClipboard = 0;
  bool PasteColorEnabled = false;
  TBitmap32 TextureClipboard;

  TMainHost& Host() { return host_; }
  const TServices& Services() const { return services_; }
  TKVXEditSession* Active() { return host_.ActiveDocument(); }

  // Open document: the extension must be a readable format ("Unknown File Type" else).
  bool OpenDocument(const std::string& path);
  void Open();
  void PasteAsNewImage();
  void ImportFromScanner();
  void ShowOptions();
  void SaveSettings();

  void Cut();
  void Copy();
  void Paste();
  void CopyColor();
  void PasteColor();
  void CopyTexture();
  void PasteTexture();
  void ImageSize();
  void RotateAlpha();
  void Feather();
  void TextureLibraryEditor();

private:
  TMainHost& host_;
  TServices services_;
  TSettingsStore* settings_;
  TClipboard* clipboard_;
  TScanner* scanner_;
};

}  // namespace kelvane
