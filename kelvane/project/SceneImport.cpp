#include "SceneImport.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <filesystem>
#include <thread>

#include "../drape/OglRender.h"
#include "GroupedScene.h"
#include "KVScene.h"

namespace kelvane {
namespace fs = std::filesystem;

bool TSceneAnswers::Ask(const std::string& text) {
  if (text == kGroupByNamesQuestion) return ByName;
  if (text == kUseOldGroupedQuestion) return UseOld;
  return false;
}

std::string SceneFileBeside(const std::string& picturePath) {
  const std::string kv = fs::path(picturePath).replace_extension(".kv").string();
  std::error_code ec;
  return kv != picturePath && fs::is_regular_file(kv, ec) ? kv : std::string();
}

namespace {

// Part number v as a colour: red = v & 0xFF, green = (v >> 8) & 0xFF, blue = (v >> 16) & 0xFF.
TColor32 IdentificationColor(int64_t v) {
  return TColor32(((v & 0xFF) << 16) | (((v >> 8) & 0xFF) << 8) | ((v >> 16) & 0xFF));
}
int64_t IdentificationNumber(TColor32 c) {
  return int64_t(RedComponent(c)) | int64_t(GreenComponent(c)) << 8 | int64_t(BlueComponent(c)) << 16;
}

// The block's mesh as a grid: its vertices as nodes, a cell per triangle (drawn as
// TopLeft, TopRight, BottomRight; BottomLeft repeats the third corner) keyed `key`, or
// with the triangle's sub-material index when key is below 0.
TMapGrid BlockGrid(const TSceneBlock& b, int64_t key) {
  TMapGrid g;
  g.Nodes = b.Vertices;
  g.Cells.reserve(b.Triangles.size());
  for (const TSceneTriangle& t : b.Triangles)
    g.Cells.push_back({t.A, t.B, t.C, t.C, 0, 0, key < 0 ? t.Sub : int32_t(key)});
  return g;
}

Status StoreAndSwapOut(TKVXGrid& item, TMapGrid&& grid) {
  item.Pin();
  item.Get() = std::move(grid);
  item.Unpin();
  return item.SwapOut();
}

std::string PartName(const TSceneBlock& b, size_t j) {
  return (b.Name + " - " + b.SubMaterials[j].Name).substr(0, 255).substr(0, 100);
}

// Where each part's identification colour won: the count and bounding box of its pixels.
struct TPartPixels {
  int64_t Count = 0;
  int Top = INT_MAX, Bottom = -1, Left = INT_MAX, Right = -1;
};

class TSceneLoader {
public:
  TSceneLoader(TKVXFile2& doc, TSceneReader& reader, bool grouping, TProgress* progress)
      : doc_(doc), r_(reader), grouping_(grouping), progress_(progress) {}

  Status Run() {
    doc_.SceneFieldOfView = r_.FieldOfView();
    if (Status s = FirstMapping(); !s) return s;
    if (Status s = SecondMapping(); !s) return s;
    TBitmap32 picture(doc_.Width, doc_.Height);
    if (picture.Empty()) return fail("The picture is too large for its scene");
    if (Status s = RenderIdentification(ids_, r_.FieldOfView(), picture); !s) return s;
    ids_ = {};
    return ExtractMasks(picture);
  }

private:
  // Each grid holds the block's whole mesh; a hostile file must not make that unbounded.
  Status Account(const TSceneBlock& b, size_t grids, size_t newObjects) {
    records_ += grids * (b.Vertices.size() + b.Triangles.size() + 1);
    if (records_ > kMaxSceneRecords) return fail("The scene is too large to import");
    if (int64_t(doc_.Objects.size() + newObjects) > kMaxSceneParts)
      return fail("The scene has more than " + std::to_string(kMaxSceneParts) + " parts");
    return Ok{};
  }

  // Draws the block with base m, then adds its objects with their first grids.
  Status FirstMapping() {
    const int32_t B = r_.BlockCount();
    if (progress_) progress_->Begin("Load objects " + std::to_string(B), std::max(B - 1, 0));
    int64_t m = 1;
    TSceneBlock block;
    for (int32_t b = 0; b < B; ++b) {
      if (progress_) progress_->Step();
      if (Status s = r_.ReadBlock(block); !s) return s;
      const int64_t k = int64_t(block.SubMaterials.size());
      const size_t parts = grouping_ ? 1 : size_t(k);
      if (Status s = Account(block, parts, parts); !s) return s;
      // A triangle of a sub-material the block does not have only hides what is behind it.
      for (const TSceneTriangle& t : block.Triangles) {
        const int64_t v = grouping_ ? m : t.Sub >= 0 && t.Sub < k ? m + t.Sub : 0;
        ids_.Add(block.Vertices[size_t(t.A)], block.Vertices[size_t(t.B)], block.Vertices[size_t(t.C)],
                 IdentificationColor(v));
      }
      m += grouping_ ? 1 : k;
      for (size_t j = 0; j < parts; ++j) {
        const int i = doc_.AddObject();
        TKVXObject2& o = *doc_.Objects[size_t(i)];
        if (progress_) progress_->Message("Load objects " + std::to_string(i));
        TKVXParamBlock& p = o.Param->Get();
        p.FieldOfView = r_.FieldOfView();
        p.MaterialKey = int32_t(grouping_ ? m : int64_t(j));
        p.Name = grouping_ ? block.Name.substr(0, 100) : PartName(block, j);
        if (Status s = StoreAndSwapOut(*o.Grid, BlockGrid(block, grouping_ ? m : -1)); !s) return s;
      }
    }
    return Ok{};
  }

  // The same parts in the same order give the objects their second grids.
  Status SecondMapping() {
    int64_t m = 1;
    size_t r = 0;
    TSceneBlock block;
    for (int32_t b = 0; b < r_.BlockCount(); ++b) {
      if (Status s = r_.ReadBlock(block); !s) return s;
      const int64_t k = int64_t(block.SubMaterials.size());
      const size_t parts = grouping_ ? 1 : size_t(k);
      if (Status s = Account(block, parts, 0); !s) return s;
      if (r + parts > doc_.Objects.size()) return fail("The scene's second mapping has more parts than its first");
      m += grouping_ ? 1 : k;
      for (size_t j = 0; j < parts; ++j, ++r) {
        TKVXObject2& o = *doc_.Objects[r];
        o.Param->Get().MaterialKey2 = int32_t(grouping_ ? m : int64_t(j));
        if (Status s = StoreAndSwapOut(*o.Grid2, BlockGrid(block, grouping_ ? m : -1)); !s) return s;
      }
    }
    return Ok{};
  }

  Status ExtractMasks(const TBitmap32& picture) {
    const size_t n = doc_.Objects.size();
    const int W = picture.Width(), H = picture.Height();
    std::vector<TPartPixels> pixels(n + 1);
    for (int y = 0; y < H; ++y) {
      const TColor32* row = picture.ScanLine(y);
      for (int x = 0; x < W; ++x) {
        const int64_t v = IdentificationNumber(row[x]);
        if (v < 1 || v > int64_t(n)) continue;
        TPartPixels& p = pixels[size_t(v)];
        ++p.Count;
        p.Top = std::min(p.Top, y);
        p.Bottom = y;
        p.Left = std::min(p.Left, x);
        p.Right = std::max(p.Right, x);
      }
    }

    // Object i is part i + 1. Masks are built and swapped out on every core; only this
    // thread reports progress.
    if (progress_) progress_->Begin("Extract masks", int(n));
    std::atomic<size_t> next{0}, done{0};
    std::vector<std::string> errors(n);
    auto work = [&](bool reporting) {
      size_t reported = 0;
      for (size_t i; (i = next++) < n;) {
        const TPartPixels& p = pixels[i + 1];
        if (p.Count > 0) {
          const TColor32 colour = IdentificationColor(int64_t(i) + 1);
          TByteMap mask(W, H);
          for (int y = p.Top; y <= p.Bottom; ++y) {
            const TColor32* src = picture.ScanLine(y);
            uint8_t* dst = mask.ScanLine(y);
            for (int x = p.Left; x <= p.Right; ++x) dst[x] = (src[x] & 0xFFFFFFu) == colour ? 255 : 0;
          }
          TKVXMask& item = *doc_.Objects[i]->Mask;
          item.Pin();
          item.Get() = std::move(mask);
          item.Unpin();
          if (Status s = item.SwapOut(); !s) errors[i] = s.error();
        }
        ++done;
        for (; reporting && progress_ && reported < done; ++reported) {
          progress_->Message("Extract mask " + std::to_string(n - 1));
          progress_->Step();
        }
      }
    };
    const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (unsigned c = 1; c < cores && c < n; ++c) helpers.emplace_back(work, false);
    work(true);
    for (auto& t : helpers) t.join();
    for (const std::string& e : errors)
      if (!e.empty()) return fail(e);

    // Parts hidden everywhere do not become objects.
    std::vector<std::unique_ptr<TKVXObject2>> visible;
    for (size_t i = 0; i < n; ++i)
      if (pixels[i + 1].Count > 0) visible.push_back(std::move(doc_.Objects[i]));
    doc_.Objects = std::move(visible);
    return Ok{};
  }

  TKVXFile2& doc_;
  TSceneReader& r_;
  bool grouping_;
  TProgress* progress_;
  TIdentificationMesh ids_;
  uint64_t records_ = 0;
};

}  // namespace

Status ImportScene(TKVXFile2& doc, const std::string& kvPath, const TSceneImportOptions& options,
                   TSceneQuestions& questions, TProgress* progress) {
  if (doc.Width <= 0 || doc.Height <= 0) return fail("Scene file " + kvPath + ": the picture has no size");
  if (progress) progress->Begin("Open file...", 0);
  std::string path = kvPath;
  if (options.GroupByMaterials) {
    const bool byName = questions.Ask(kGroupByNamesQuestion);
    const std::string grouped = GroupedScenePath(kvPath);
    std::error_code ec;
    const bool useOld = fs::is_regular_file(grouped, ec) && questions.Ask(kUseOldGroupedQuestion);
    if (!useOld) {
      if (Status s = BuildGroupedScene(kvPath, grouped, byName, progress); !s) {
        if (progress) progress->End();
        return s;
      }
    }
    path = grouped;
  }
  auto reader = TSceneReader::Open(path);
  if (!reader) {
    if (progress) progress->End();
    return fail(reader.error());
  }

  // The new objects replace the old ones only when the whole scene was read.
  std::vector<std::unique_ptr<TKVXObject2>> kept = std::move(doc.Objects);
  doc.Objects.clear();
  const float keptFov = doc.SceneFieldOfView;
  Status s = TSceneLoader(doc, reader.value(), options.GroupByMaterials, progress).Run();
  if (!s) {
    doc.Objects = std::move(kept);
    doc.SceneFieldOfView = keptFov;
  }
  if (progress) progress->End();
  return s;
}

}  // namespace kelvane
