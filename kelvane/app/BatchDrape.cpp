#include "BatchDrape.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>

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
  std::string Input() const { return File.empty() ? Label : File; }
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
  // A name the rule above gives twice keeps its first use; the later ones are numbered,
  // past every name already taken.
  std::map<std::string, int> uses;
  for (const std::string& n : out) ++uses[n];
  std::set<std::string> taken(out.begin(), out.end());
  std::map<std::string, int> seen;
  for (std::string& n : out) {
    if (uses[n] < 2 || seen[n]++ == 0) continue;
    int k = seen[n];
    while (taken.count(n + "-" + std::to_string(k))) ++k;
    n += "-" + std::to_string(k);
    taken.insert(n);
  }
  return out;
}

Result<TBatchReport> BatchDrape(TKVXFile2& doc, const TBatchDrape& job) {
  if (job.Object < 0 || job.Object > doc.HighIndex())
    return fail("The project has no object " + std::to_string(job.Object) + " (it has " +
                std::to_string(doc.HighIndex() + 1) + ")");
  const PictureFormat* format = PictureFormats::instance().find(job.Format);
  if (!format || !format->write) return fail("no picture format writes \"." + job.Format + "\" files");
  if (job.ShardCount < 1 || job.ShardIndex >= job.ShardCount)
    return fail("there is no slice " + std::to_string(job.ShardIndex) + " of " + std::to_string(job.ShardCount) +
                " (slices are numbered from 0)");
  TKVXLibView library;
  auto all = sourcesOf(job.Textures, library);
  if (!all) return fail(all.error());
  std::vector<Source> slice;
  for (size_t i = job.ShardIndex; i < all->size(); i += job.ShardCount) slice.push_back((*all)[i]);
  const std::vector<Source>* sources = &slice;
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
  TObjectView view = doc.GetObjectView(job.Object);
  const TKVXParamBlock param = view.Param;
  TBatchReport report;
  if (job.Progress) job.Progress->Begin("Batch Drape...", int(sources->size()));
  for (size_t k = 0; k < sources->size(); ++k) {
    if (job.Cancel && *job.Cancel) {
      report.Cancelled = true;
      break;
    }
    const Source& s = (*sources)[k];
    const auto start = std::chrono::steady_clock::now();
    TBatchItem item;
    item.Number = k + 1;
    item.Total = sources->size();
    item.Texture = s.Label;
    item.Input = s.Input();
    const std::string target = (fs::path(job.OutFolder) / (s.OutputName + "." + job.Format)).string();
    if (job.Progress) job.Progress->Message(s.Label);
    if (job.Resume && fs::is_regular_file(target, ec)) {
      item.Output = target;
      item.Skipped = true;
      if (job.OnItem) job.OnItem(item);
      report.Items.push_back(std::move(item));
      if (job.Progress) job.Progress->Step();
      continue;
    }
    auto picture = loadTexture(s, library);
    Status done = picture ? Status(Ok{}) : Status(fail(picture.error()));
    if (done && !job.Tiles.Empty()) {
      view.Param = param;
      auto tiles = RuleTiles(job.Tiles, param, view.Grid, doc.Width, doc.Height, picture->Width(), picture->Height());
      if (tiles) {
        view.Param.TileX = std::clamp(tiles->first, kMinTile, kMaxTile);
        view.Param.TileY = std::clamp(tiles->second, kMinTile, kMaxTile);
      } else {
        done = fail(tiles.error());
      }
    }
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
  view.Param = param;
  return report;
}

}  // namespace kelvane
