#include "BatchDrape.h"

#include <chrono>
#include <filesystem>
#include <map>

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "../texlib/TKVXLibView.h"
#include "../texlib/TTextureLibrary.h"
#include "../texlib/TextureList.h"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

// One texture of the job: a picture file, or entry `Index` of the job's library.
struct Source {
  std::string Label, OutputName, File;
  size_t Index = 0;
};

Result<std::vector<Source>> sourcesOf(const std::string& textures, TKVXLibView& library) {
  std::vector<Source> out;
  const std::string ext = LowerExtension(textures);
  std::error_code ec;
  const bool folder = fs::is_directory(textures, ec);
  if (!folder && ext == "kvt") {
    if (Status s = library.Open(textures); !s) return fail(s.error());
    const std::string stem = fs::path(textures).stem().string(), name = fs::path(textures).filename().string();
    for (size_t i = 0; i < library.Count(); ++i)
      out.push_back({name + ":" + std::to_string(i), stem + "-" + std::to_string(i), "", i});
  } else {
    std::vector<std::string> files;
    if (folder) {
      files = PicturesIn(textures);
    } else if (ext == "kvp") {
      auto list = LoadTextureList(textures);
      if (!list) return fail(list.error());
      files = std::move(list.value());
    } else {
      return fail("cannot read the folder " + textures);
    }
    const std::vector<std::string> names = BatchOutputNames(files);
    for (size_t i = 0; i < files.size(); ++i) out.push_back({fs::path(files[i]).filename().string(), names[i], files[i]});
  }
  if (out.empty()) return fail("no textures in " + textures);
  return out;
}

Result<TBitmap32> loadTexture(const Source& s, const TKVXLibView& library) {
  if (!library.IsOpen()) return LoadPicture(s.File);
  auto t = library.LoadTexture(s.Index);
  if (t && t->Empty()) return fail("texture " + std::to_string(s.Index) + " is in a format this program cannot read");
  return t;
}

// Puts the object's texture item back as it was when the job began.
class TextureKeeper {
public:
  explicit TextureKeeper(TKVXTexture& item)
      : item_(item), bitmap_(item.Get()), fromLibrary_(item.FromLibrary), fromFile_(item.FromFile) {}
  ~TextureKeeper() {
    item_.Get() = std::move(bitmap_);
    item_.FromLibrary = fromLibrary_;
    item_.FromFile = fromFile_;
  }
  void Use(TBitmap32 texture) {
    item_.Get() = std::move(texture);
    item_.FromLibrary = item_.FromFile = false;
  }

private:
  TKVXTexture& item_;
  TBitmap32 bitmap_;
  bool fromLibrary_, fromFile_;
};

}  // namespace

size_t TBatchReport::Failures() const {
  size_t n = 0;
  for (const TBatchItem& i : Items) n += !i.Error.empty();
  return n;
}

std::vector<std::string> BatchOutputNames(const std::vector<std::string>& files) {
  std::map<std::string, int> stems;
  for (const std::string& f : files) ++stems[fs::path(f).stem().string()];
  std::vector<std::string> out;
  for (const std::string& f : files) {
    const fs::path p(f);
    out.push_back(stems[p.stem().string()] > 1 ? p.filename().string() : p.stem().string());
  }
  return out;
}

Result<TBatchReport> BatchDrape(TKVXFile2& doc, const TBatchDrape& job) {
  if (job.Object < 0 || job.Object > doc.HighIndex())
    return fail("The project has no object " + std::to_string(job.Object) + " (it has " +
                std::to_string(doc.HighIndex() + 1) + ")");
  const PictureFormat* format = PictureFormats::instance().find(job.Format);
  if (!format || !format->write) return fail("no picture format writes \"." + job.Format + "\" files");
  TKVXLibView library;
  auto sources = sourcesOf(job.Textures, library);
  if (!sources) return fail(sources.error());
  std::error_code ec;
  fs::create_directories(job.OutFolder, ec);
  if (ec) return fail("cannot make the folder " + job.OutFolder + ": " + ec.message());

  PictureWriteOptions options;
  options.jpegQuality = job.Quality;
  // Each drape goes into a copy: the document's result image is never written, so a
  // window may keep showing it while the job runs.
  const TBitmap32 original = doc.Result;
  TBitmap32 work;
  TDocumentFill fill = job.Fill;
  fill.Result = &work;
  TextureKeeper texture(*doc.Objects[size_t(job.Object)]->Texture);
  TBatchReport report;
  if (job.Progress) job.Progress->Begin("Batch Drape...", int(sources->size()));
  for (size_t k = 0; k < sources->size(); ++k) {
    if (job.Cancel && *job.Cancel) {
      report.Cancelled = true;
      break;
    }
    const Source& s = (*sources)[k];
    const auto start = std::chrono::steady_clock::now();
    TBatchItem item{k + 1, sources->size(), s.Label, "", "", 0};
    const std::string target = (fs::path(job.OutFolder) / (s.OutputName + "." + job.Format)).string();
    if (job.Progress) job.Progress->Message(s.Label);
    auto picture = loadTexture(s, library);
    Status done = picture ? Status(Ok{}) : Status(fail(picture.error()));
    if (done) {
      texture.Use(std::move(picture.value()));
      work = original;
      done = FillObject(doc, job.Object, fill);
    }
    if (done) done = SavePicture(target, work, options);
    if (done)
      item.Output = target;
    else
      item.Error = done.error();
    item.Milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (job.OnItem) job.OnItem(item);
    report.Items.push_back(std::move(item));
    if (job.Progress) job.Progress->Step();
  }
  if (job.Progress) job.Progress->End();
  return report;
}

}  // namespace kelvane
