#pragma once
#include <optional>
#include <string>

#include "../raster/Result.h"
#include "BatchDrape.h"
#include "TKVXEditSession.h"

namespace kelvane {

// Printing, export and the batch job of a document, without a window.

// The printer as printing needs it: the printable page in device pixels, its
// orientation, and one job of one page.
class TPrinter {
public:
  virtual ~TPrinter() = default;
  virtual int PageWidth() = 0;
  virtual int PageHeight() = 0;
  virtual bool Landscape() = 0;
  virtual void SetLandscape(bool landscape) = 0;
  // One page with the picture stretched into `destination` (device pixels, linear
  // filtering). The failure says why nothing was printed.
  virtual Status PrintPage(const std::string& title, const TBitmap32& picture, const TRect& destination) = 0;
};

// The document's result image on one page, fitted to the page and centred; the job's
// title is the document window's caption.
Status PrintDocument(TKVXEditSession& doc, TPrinter& printer, const std::string& title);

// The export dialog: shows the picture at the chosen quality; the quality on OK.
class TJpegQualityDialog {
public:
  virtual ~TJpegQualityDialog() = default;
  virtual std::optional<int> AskQuality(const TBitmap32& picture) = 0;
};

inline constexpr const char* kJpegExportFilter = "JPEG Image File (*.jpg)|*.jpg";
inline constexpr const char* kPngExportFilter = "PNG Image File (*.png)|*.png";

// "Jpeg...": the save dialog, the quality dialog, the file. Nothing is written on
// Cancel; a failure is reported. The project itself is not saved by an export, so the
// document stays modified. True when the file was written.
bool ExportDocumentJpeg(TKVXEditSession& doc, TJpegQualityDialog& dialog);
// "PNG...": the save dialog and the file.
bool ExportDocumentPng(TKVXEditSession& doc);

// The name the export's save dialog starts with: the document's, with the extension.
std::string ExportSuggestion(const TKVXEditSession& doc, const std::string& extension);

// The batch job's settings as its dialog gathers them.
struct TBatchChoice {
  int Object = 0;
  std::string Textures;   // a folder, a ".kvt" or a ".kvp"
  std::string OutFolder;
  std::string Format = "jpg";
  int Quality = 90;
};
// What is wrong with the choice before anything runs, or nothing.
std::optional<std::string> CheckBatchChoice(const TKVXEditSession& doc, const TBatchChoice& choice);
// The job the shared routine runs for the choice, with the document's fill options.
TBatchDrape MakeBatchJob(TKVXEditSession& doc, const TBatchChoice& choice);
// The closing line: "12 pictures written to /out" and how many textures failed.
std::string BatchSummary(const TBatchReport& report, const std::string& outFolder);

}  // namespace kelvane
