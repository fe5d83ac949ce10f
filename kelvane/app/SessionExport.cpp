#include "SessionExport.h"

#include <filesystem>

#include "../filters/Convolution.h"
#include "../output/ExportJpeg.h"
#include "../output/PrintPreview.h"
#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"

namespace kelvane {

namespace fs = std::filesystem;

Status PrintDocument(TKVXEditSession& doc, TPrinter& printer, const std::string& title) {
  TBusyScope busy(doc.Services().Cursor);
  const auto destination = PrintRect(doc.Doc.Base.Width(), doc.Doc.Base.Height(), printer.PageWidth(),
                                     printer.PageHeight());
  if (!destination) return fail("The document has no picture to print.");
  // A copy: the document may change while the printer takes the page.
  TBitmap32 copy = doc.Doc.Result;
  copy.StretchFilter = TStretchFilter::sfLinear;
  return printer.PrintPage(title, copy, *destination);
}

std::string ExportSuggestion(const TKVXEditSession& doc, const std::string& extension) {
  std::string name = doc.SavePath().empty() ? doc.DocumentName() : doc.SavePath();
  if (name.empty()) name = "NoName";
  return ReplaceExtension(name, extension);
}

namespace {

std::optional<std::string> AskExportPath(TKVXEditSession& doc, const char* filter, const std::string& extension) {
  TFileDialogs* dialogs = doc.Services().Dialogs;
  if (!dialogs) return std::nullopt;
  auto path = dialogs->SaveFile(filter, extension, ExportSuggestion(doc, "." + extension));
  if (path && fs::path(*path).extension().empty()) *path += "." + extension;
  return path;
}

bool Report(TKVXEditSession& doc, const Status& s, const std::string& path) {
  if (s) return true;
  if (TMessages* m = doc.Services().Messages) m->Show("Cannot export \"" + path + "\": " + s.error());
  return false;
}

}  // namespace

bool ExportDocumentJpeg(TKVXEditSession& doc, TJpegQualityDialog& dialog) {
  if (doc.Busy()) return false;
  const auto path = AskExportPath(doc, kJpegExportFilter, "jpg");
  if (!path) return false;
  const TBitmap32 copy = doc.Doc.Result;
  const auto quality = dialog.AskQuality(copy);
  if (!quality) return false;
  TBusyScope busy(doc.Services().Cursor);
  return Report(doc, ExportJpeg(*path, copy, *quality), *path);
}

bool ExportDocumentPng(TKVXEditSession& doc) {
  if (doc.Busy()) return false;
  const auto path = AskExportPath(doc, kPngExportFilter, "png");
  if (!path) return false;
  TBusyScope busy(doc.Services().Cursor);
  return Report(doc, ExportPng(*path, doc.Doc.Result), *path);
}

// ---- the batch job

std::optional<std::string> CheckBatchChoice(const TKVXEditSession& doc, const TBatchChoice& c) {
  if (c.Object < 0 || c.Object >= int(doc.Doc.Objects.size())) return "Choose the object to drape.";
  std::error_code ec;
  if (c.Textures.empty() || !fs::exists(c.Textures, ec)) return "Choose a folder of pictures or a texture library.";
  if (!fs::is_directory(c.Textures, ec)) {
    const std::string ext = LowerExtension(c.Textures);
    if (ext != "kvt" && ext != "kvp") return "The textures must be a folder, a texture library or a texture list.";
  }
  if (c.OutFolder.empty()) return "Choose the folder the pictures go to.";
  const PictureFormat* f = PictureFormats::instance().find(c.Format);
  if (!f || !f->write) return "Pictures cannot be written as \"" + c.Format + "\".";
  if (c.Quality < 1 || c.Quality > 100) return "The quality is 1 to 100.";
  return std::nullopt;
}

TBatchDrape MakeBatchJob(TKVXEditSession& doc, const TBatchChoice& c) {
  TBatchDrape job;
  job.Object = c.Object;
  job.Textures = c.Textures;
  job.OutFolder = c.OutFolder;
  job.Format = c.Format;
  job.Quality = c.Quality;
  job.Fill.Render = doc.Options().Render();
  job.Fill.Sharpen = doc.Options().SharpenMode;
  job.Fill.SharpenFn = [](TBitmap32& drape, const TByteMap& mask) { SharpenFilter(drape, &mask); };
  return job;
}

std::string BatchSummary(const TBatchReport& report, const std::string& outFolder) {
  const size_t failed = report.Failures();
  const size_t written = report.Items.size() - failed;
  std::string text = std::to_string(written) + (written == 1 ? " picture" : " pictures") + " written to " + outFolder;
  if (failed) text += "; " + std::to_string(failed) + " of " + std::to_string(report.Items.size()) + " textures failed";
  if (report.Cancelled) text += " (cancelled)";
  return text + ".";
}

}  // namespace kelvane
