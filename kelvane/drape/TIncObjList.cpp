#include "TIncObjList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "../raster/BalanceTable.h"
#include "../raster/ByteStream.h"
#include "../raster/PictureFormats.h"

namespace kelvane {
namespace {

// Delphi's Round: halves to even.
int roundHalfEven(float v) { return int(std::nearbyint(v)); }

void writeShortString(ByteWriter& out, const std::string& s) {
  uint8_t field[256] = {};
  const size_t n = std::min<size_t>(s.size(), 255);
  field[0] = uint8_t(n);
  std::memcpy(field + 1, s.data(), n);
  out.raw(field, sizeof field);
}

std::string readShortString(const uint8_t* field) { return std::string(reinterpret_cast<const char*>(field + 1), field[0]); }

}  // namespace

size_t TIncObjList::AddIncludedObject(const TRect& r) {
  TIncObj e;
  e.Left = float(r.Left);
  e.Top = float(r.Top);
  e.Width = float(r.Width());
  e.Height = float(r.Height());
  entries_.push_back(std::move(e));
  selected_ = int(entries_.size() - 1);
  return entries_.size() - 1;
}

void TIncObjList::Delete(size_t index) {
  if (index >= entries_.size()) return;
  entries_.erase(entries_.begin() + std::ptrdiff_t(index));
  selected_ = -1;
}

void TIncObjList::Clear() {
  entries_.clear();
  selected_ = -1;
}

TRect TIncObjList::EntryRect(size_t index) {
  TIncObj& e = entries_.at(index);
  e.HotX = e.HotY = 0;
  return {roundHalfEven(e.Left), roundHalfEven(e.Top), roundHalfEven(e.Left + e.Width),
          roundHalfEven(e.Top + e.Height)};
}

int TIncObjList::EntryAt(int x, int y) {
  selected_ = -1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const TRect r = EntryRect(i);
    if (x >= r.Left - 5 && x < r.Right + 5 && y >= r.Top - 5 && y < r.Bottom + 5) {
      selected_ = int(i);
      break;
    }
  }
  return selected_;
}

std::vector<uint8_t> TIncObjList::WriteIncludedList() const {
  ByteWriter out;
  out.le<int32_t>(int32_t(entries_.size()));
  for (const TIncObj& e : entries_) {
    for (float f : {e.Left, e.Top, e.Reserved, e.Height, e.Width}) out.le(f);
    for (int32_t v : {e.Brightness, e.Contrast, e.Gamma, e.Opacity, e.HotX, e.HotY}) out.le(v);
    out.zeros(31);
    writeShortString(out, e.PicturePath);
    writeShortString(out, e.AlphaPath);
    out.zeros(4);  // the cached picture reference means nothing in a stream
  }
  return std::move(out.bytes());
}

Result<size_t> TIncObjList::ReadIncludedList(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  auto count = in.le<int32_t>("included-object count");
  if (!count) return fail("Stream read error");
  if (*count < 0 || size_t(*count) > in.remaining() / kIncObjRecordSize) return fail("Stream read error");
  std::vector<TIncObj> entries;
  for (int32_t i = 0; i < *count; ++i) {
    const uint8_t* p = in.bytes(kIncObjRecordSize, "included object").value().data();
    TIncObj e;
    float f[5];
    std::memcpy(f, p, sizeof f);
    e.Left = f[0];
    e.Top = f[1];
    e.Reserved = f[2];
    e.Height = f[3];
    e.Width = f[4];
    int32_t v[6];
    std::memcpy(v, p + 20, sizeof v);
    e.Brightness = v[0];
    e.Contrast = v[1];
    e.Gamma = v[2];
    e.Opacity = v[3];
    e.HotX = v[4];
    e.HotY = v[5];
    e.PicturePath = readShortString(p + 75);
    e.AlphaPath = readShortString(p + 331);
    entries.push_back(std::move(e));
  }
  entries_ = std::move(entries);
  selected_ = -1;
  return in.offset();
}

Status TIncObjList::DrawIncludedObjects(TBitmap32& layer, const TIncObjPictureLoader& load) {
  auto read = [&](const std::string& path) { return load ? load(path) : LoadPicture(path); };
  layer.Clear(0);
  for (size_t i = 0; i < entries_.size(); ++i) {
    TIncObj& e = entries_[i];
    if (!e.Picture || e.Picture->Empty()) {
      auto pic = read(e.PicturePath);
      if (!pic) return fail(pic.error());
      if (!e.AlphaPath.empty()) {
        auto alpha = read(e.AlphaPath);
        if (!alpha) return fail(alpha.error());
        pic.value() = pic->Resampled(alpha->Width(), alpha->Height());
        TColor32* d = pic->Bits();
        const TColor32* a = alpha->Bits();
        for (size_t k = 0, n = size_t(alpha->Width()) * alpha->Height(); k < n; ++k)
          d[k] = (d[k] & 0x00FFFFFFu) | TColor32(Intensity(a[k])) << 24;
      }
      e.Picture = std::make_shared<TBitmap32>(std::move(pic.value()));
    }
    TBitmap32 copy = *e.Picture;
    ApplyBalanceTable(copy, BuildBalanceTable({.brightness = e.Brightness, .contrast = e.Contrast, .gamma = e.Gamma}));
    copy.DrawMode = TDrawMode::dmBlend;
    copy.MasterAlpha = uint8_t(std::clamp(e.Opacity, 0, 255));
    copy.StretchFilter = TStretchFilter::sfLinear;
    copy.DrawTo(layer, EntryRect(i));
  }
  return Ok{};
}

}  // namespace kelvane
