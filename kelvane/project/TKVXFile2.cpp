#include "TKVXFile2.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <thread>

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "TCashMarager.h"

namespace kelvane {
namespace {

// An object's items in the order the file holds them, with the names messages use.
std::array<std::pair<const char*, TKVXCustomItem*>, 5> itemsOf(TKVXObject2& o) {
  return {{{"mask", o.Mask.get()},
           {"grid", o.Grid.get()},
           {"second grid", o.Grid2.get()},
           {"parameters", o.Param.get()},
           {"texture", o.Texture.get()}}};
}

}  // namespace

std::unique_ptr<TKVXObject2> TCustomKVXFile2::MakeObject(std::shared_ptr<const ProjectFile> stream,
                                                   const int64_t positions[5]) {
  // Items in creation order: parameter, texture, grid, second grid, mask.
  auto o = std::make_unique<TKVXObject2>();
  o->Param = std::make_unique<TKVXParam>(stream, positions[0], swapper_);
  o->Texture = std::make_unique<TKVXTexture>(stream, positions[1], swapper_);
  o->Grid = std::make_unique<TKVXGrid>(stream, positions[2], swapper_);
  o->Grid2 = std::make_unique<TKVXGrid>(stream, positions[3], swapper_);
  o->Mask = std::make_unique<TKVXMask>(stream, positions[4], swapper_);
  return o;
}

int TCustomKVXFile2::AddObject() {
  const int64_t none[5] = {-1, -1, -1, -1, -1};
  Objects.push_back(MakeObject(nullptr, none));
  return HighIndex();
}

TObjectView TCustomKVXFile2::GetObjectView(int index) {
  TKVXObject2& o = *Objects.at(size_t(index));
  // Each item is pinned before it is fetched (see TCashMarager::Tick).
  TItemPins pins;
  pins.Add(*o.Mask);
  TByteMap& mask = o.Mask->Get();
  pins.Add(*o.Texture);
  TBitmap32& texture = o.Texture->Get();
  pins.Add(*o.Param);
  TKVXParamBlock& param = o.Param->Get();
  pins.Add(*o.Grid);
  TMapGrid& grid = o.Grid->Get();
  pins.Add(*o.Grid2);
  TMapGrid& grid2 = o.Grid2->Get();
  return {grid, grid2, mask, texture, param, std::move(pins)};
}

void TCustomKVXFile2::EnsureLoaded(int index) {
  if (index < 0 || index > HighIndex()) return;
  TKVXObject2& o = *Objects[size_t(index)];
  (void)o.Param->Ensure();
  (void)o.Mask->Ensure();
  (void)o.Texture->Get();
  (void)o.Grid->Ensure();
}

std::string TItemDamage::Text() const {
  std::string object = "object " + std::to_string(Object);
  if (!ObjectName.empty()) object += " \"" + ObjectName + "\"";
  return object + ", " + Item + ": " + Message;
}

std::vector<TItemDamage> TCustomKVXFile2::DamagedItems() {
  std::vector<TItemDamage> out;
  for (size_t i = 0; i < Objects.size(); ++i) {
    TKVXObject2& o = *Objects[i];
    for (auto [item, what] : itemsOf(o)) {
      const Status s = what->LoadStatus();
      if (s) continue;
      std::string name = o.ShortName;
      if (name.empty() && !o.Param->NotLoaded() && o.Param->LoadStatus()) name = o.Param->Get().Name;
      out.push_back({int(i), name, item, s.error()});
    }
  }
  return out;
}

std::vector<TItemDamage> TCustomKVXFile2::CheckItems() {
  for (auto& o : Objects) {
    (void)o->Texture->Get();  // library and file textures fetched as Get does
    for (auto [item, what] : itemsOf(*o)) (void)what->Ensure();
  }
  return DamagedItems();
}

void TCustomKVXFile2::SwapMappings(int index) {
  TKVXObject2& o = *Objects.at(size_t(index));
  std::swap(o.Grid, o.Grid2);
  TKVXParamBlock& p = o.Param->Get();
  std::swap(p.MaterialKey, p.MaterialKey2);
}

Status TCustomKVXFile2::DeleteObject(int index) {
  if (index < 0 || index > HighIndex()) return fail("Error Deletiong Object");
  Objects.erase(Objects.begin() + index);
  return Ok{};
}

void TCustomKVXFile2::Clear() { Objects.clear(); }

void TCustomKVXFile2::Resize(int width, int height, TStretchFilter filter) {
  const int oldW = Width, oldH = Height;
  Base = Base.Resampled(width, height);
  Result.StretchFilter = filter;
  Result = Result.Resampled(width, height);
  for (auto& o : Objects) {
    TByteMap& m = o->Mask->Get();
    if (!m.Empty() && (m.Width() != oldW || m.Height() != oldH)) continue;  // not a mask of this image
    m = m.Resampled(width, height, filter);
  }
  Width = width;
  Height = height;
}

namespace {

struct Trailer {
  int64_t included, base, result, table, count;
};

Failure wrong(const std::string& why) { return fail(std::string(kWrongFormatText) + ": " + why); }

Result<Trailer> readTrailer(const ProjectFile& f) {
  if (f.Size() < 28 + 40) return wrong("too short");
  auto b = f.ReadAt(f.Size() - 40, 40);
  if (!b) return fail(b.error());
  Trailer t;
  std::memcpy(&t, b->data(), 40);
  const int64_t limit = int64_t(f.Size() - 40);
  for (int64_t p : {t.included, t.base, t.result, t.table})
    if (p < 28 || p > limit) return wrong("a position outside the file");
  if (t.count < 0 || uint64_t(t.count) > uint64_t(limit - t.table) / kObjectRecordSize)
    return wrong("an object count the file cannot hold");
  // The included list follows the table: records that would run into it are not objects.
  if (t.included >= t.table && uint64_t(t.count) > uint64_t(t.included - t.table) / kObjectRecordSize)
    return wrong("the trailer counts " + std::to_string(t.count) + " objects, the object table has room for " +
                 std::to_string(uint64_t(t.included - t.table) / kObjectRecordSize));
  return t;
}

}  // namespace

Status TKVXFile2::LoadFromFile(const std::string& path) {
  FileName = path;
  auto opened = ProjectFile::Open(path);
  if (!opened) return fail(opened.error());
  std::shared_ptr<const ProjectFile> f = opened.value();
  auto header = f->ReadAt(0, 28);
  uint32_t magic = 0;
  if (header) std::memcpy(&magic, header->data(), 4);
  if (!header || magic != kProjectMagic) {
    Objects.clear();
    return fail(kWrongFormatText);
  }
  std::memcpy(&Height, header->data() + 4, 4);
  std::memcpy(&Width, header->data() + 8, 4);
  auto trailer = readTrailer(*f);
  if (!trailer) {
    Objects.clear();
    return fail(trailer.error());
  }
  const Trailer t = trailer.value();
  ItemSource base(f.get(), uint64_t(t.base)), result(f.get(), uint64_t(t.result));
  auto baseImage = ReadBmpFrom(base);
  auto resultImage = ReadBmpFrom(result);
  if (!baseImage) return fail("base image: " + baseImage.error());
  if (!resultImage) return fail("result image: " + resultImage.error());
  auto included = f->ReadAt(uint64_t(t.included), f->Size() - 40 - uint64_t(t.included));
  TIncObjList list;
  if (!included || !list.ReadIncludedList(included.value()).ok()) return wrong("the included-object list is damaged");
  auto table = f->ReadAt(uint64_t(t.table), uint64_t(t.count) * kObjectRecordSize);
  if (!table) return fail(table.error());

  std::vector<std::unique_ptr<TKVXObject2>> objects;
  for (int64_t i = 0; i < t.count; ++i) {
    const uint8_t* rec = table->data() + size_t(i) * kObjectRecordSize;
    int64_t mask, grid, grid2, texture, param;
    std::memcpy(&mask, rec + 101, 8);
    std::memcpy(&grid, rec + 109, 8);
    std::memcpy(&grid2, rec + 117, 8);
    std::memcpy(&texture, rec + 125, 8);
    std::memcpy(&param, rec + 133, 8);
    const int64_t positions[5] = {param, texture, grid, grid2, mask};
    auto o = MakeObject(f, positions);
    o->ShortName = ReadShortString({rec, 101}).substr(0, 30);
    objects.push_back(std::move(o));
  }
  Base = std::move(baseImage.value());
  Result = std::move(resultImage.value());
  Included = std::move(list);
  Objects = std::move(objects);
  stream_ = f;
  return Ok{};
}

Status TKVXFile2::SaveToFile(const std::string& path, TProgress* progress, TDamagedItems damaged) {
  if (progress) progress->Begin("Saving File...", int(Objects.size()) + 2);
  Height = Base.Height();
  Width = Base.Width();
  ByteWriter out;
  out.le<uint32_t>(kProjectMagic);
  out.le<int32_t>(Height);
  out.le<int32_t>(Width);
  out.zeros(16);
  Trailer t{};
  t.base = int64_t(out.size());
  out.raw(WriteBmp(Base, 24));
  if (progress) progress->Step();
  t.result = int64_t(out.size());
  out.raw(WriteBmp(Result, 24));
  if (progress) progress->Step();

  // The items' bytes (masks and grids are deflated at level 9, the slow part) are made
  // on every core, object by object; they are written in document order afterwards, so
  // the file is the same however the work was shared.
  std::vector<std::array<std::vector<uint8_t>, 5>> itemBytes(Objects.size());
  {
    const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::atomic<size_t> next{0};
    auto work = [&] {
      for (size_t i; (i = next++) < Objects.size();) {
        TKVXObject2& o = *Objects[i];
        (void)o.Texture->Get();  // library and file textures fetched as Get does
        const auto items = itemsOf(o);
        for (size_t k = 0; k < 5; ++k) itemBytes[i][k] = items[k].second->Bytes();
      }
    };
    std::vector<std::thread> helpers;
    for (unsigned c = 1; c < cores && c < Objects.size(); ++c) helpers.emplace_back(work);
    work();
    for (auto& h : helpers) h.join();
  }
  if (damaged == TDamagedItems::Refuse) {
    if (const auto damage = DamagedItems(); !damage.empty()) {
      if (progress) progress->End();
      std::string text = "Cannot save " + path + ": these items could not be read and would be saved empty: ";
      for (size_t k = 0; k < damage.size(); ++k) text += (k ? "; " : "") + damage[k].Text();
      return fail(text);
    }
  }

  std::vector<std::array<int64_t, 5>> positions;  // mask, grid, grid2, param, texture
  ByteWriter table;
  for (size_t i = 0; i < Objects.size(); ++i) {
    std::array<int64_t, 5> at{};
    for (size_t k = 0; k < 5; ++k) {
      at[k] = int64_t(out.size());
      out.raw(itemBytes[i][k]);
      itemBytes[i][k] = {};
    }
    positions.push_back(at);
    WriteShortString(table, Objects[i]->ShortName, 100);
    for (int64_t p : {at[0], at[1], at[2], at[4], at[3]}) table.le(p);  // mask, grid, grid2, texture, param
    if (progress) progress->Step();
  }
  t.table = int64_t(out.size());
  out.raw(table.bytes());
  t.included = int64_t(out.size());
  out.raw(Included.WriteIncludedList());
  t.count = int64_t(Objects.size());
  for (int64_t v : {t.included, t.base, t.result, t.table, t.count}) out.le(v);

  const Status saved = SaveFileAtomically(path, out.bytes());
  if (progress) progress->End();
  if (!saved) return saved;

  // The items now live in the new file.
  FileName = path;
  if (auto reopened = ProjectFile::Open(path)) {
    stream_ = reopened.value();
    for (size_t i = 0; i < Objects.size(); ++i) {
      const auto items = itemsOf(*Objects[i]);
      for (size_t k = 0; k < 5; ++k) items[k].second->Rebind(stream_, positions[i][k]);
    }
  }
  return Ok{};
}

Result<TBitmap32> ReadProjectResultImage(std::span<const uint8_t> bytes) {
  if (bytes.size() < 28 + 40) return fail(kWrongFormatText);
  uint32_t magic;
  std::memcpy(&magic, bytes.data(), 4);
  int64_t result;
  std::memcpy(&result, bytes.data() + bytes.size() - 24, 8);
  if (magic != kProjectMagic || result < 28 || uint64_t(result) >= bytes.size()) return fail(kWrongFormatText);
  ItemSource in(bytes.subspan(size_t(result)));
  return ReadBmpFrom(in);
}

void RegisterKvxPictureFormat() {
  PictureFormats::instance().add({"kvx", "Kelvane files", ReadProjectResultImage, {}});
}

}  // namespace kelvane
