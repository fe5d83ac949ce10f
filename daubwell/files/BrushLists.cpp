#include "BrushLists.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "../canvas/Lighting.h"
#include "AtomicFile.h"
#include "ByteReader.h"

namespace daubwell {
namespace {

// The 24-byte records, field by field: a flag byte of the file may hold any value, but
// a bool may only hold 0 or 1.
void putEntry(uint8_t* p, const Brush& b) {
  p[0] = b.red, p[1] = b.green, p[2] = b.blue, p[3] = b.style;
  putFloatLe(p + 4, b.depth);
  putU32le(p + 8, uint32_t(b.tool));
  putU32le(p + 12, uint32_t(b.size));
  putFloatLe(p + 16, b.strength);
  p[20] = b.shading, p[21] = b.texture, p[22] = b.hardness, p[23] = b.pad;
}

void getEntry(const uint8_t* p, Brush& b) {
  b.red = p[0], b.green = p[1], b.blue = p[2], b.style = p[3];
  b.depth = floatFromLe(p + 4);
  b.tool = int32_t(u32FromLe(p + 8));
  b.size = int32_t(u32FromLe(p + 12));
  b.strength = floatFromLe(p + 16);
  b.shading = p[20], b.texture = p[21], b.hardness = p[22], b.pad = p[23];
}

void putEntry(uint8_t* p, const StrokeDynamics& d) {
  p[0] = d.fadeStrength ? 1 : 0, p[1] = d.fadeSize ? 1 : 0, p[2] = d.oscillate ? 1 : 0, p[3] = d.pad;
  const float values[5] = {d.fadeStrengthLength, d.fadeSizeLength, d.oscillateAmount, d.oscillatePhase,
                           d.oscillatePeriod};
  for (int i = 0; i < 5; ++i) putFloatLe(p + 4 + 4 * i, values[i]);
}

void getEntry(const uint8_t* p, StrokeDynamics& d) {
  d.fadeStrength = p[0] != 0, d.fadeSize = p[1] != 0, d.oscillate = p[2] != 0, d.pad = p[3];
  float* values[5] = {&d.fadeStrengthLength, &d.fadeSizeLength, &d.oscillateAmount, &d.oscillatePhase,
                      &d.oscillatePeriod};
  for (int i = 0; i < 5; ++i) *values[i] = floatFromLe(p + 4 + 4 * i);
}

template <class Entry, int N>
std::vector<uint8_t> encodeList(const SlotList<Entry, N>& list) {
  std::vector<uint8_t> out(kSlotSize * N + 4, 0);
  for (int i = 0; i < N; ++i) {
    uint8_t* slot = out.data() + kSlotSize * size_t(i);
    slot[0] = list.slots[size_t(i)].used ? 1 : 0;
    putEntry(slot + 36, list.slots[size_t(i)].entry);
  }
  putU32le(out.data() + kSlotSize * N, uint32_t(list.selected));
  return out;
}

template <class Entry, int N>
SlotList<Entry, N> decodeList(std::span<const uint8_t> bytes) {
  std::vector<uint8_t> block(kSlotSize * N + 4, 0);
  std::memcpy(block.data(), bytes.data(), std::min(bytes.size(), block.size()));
  SlotList<Entry, N> list;
  for (int i = 0; i < N; ++i) {
    const uint8_t* slot = block.data() + kSlotSize * size_t(i);
    list.slots[size_t(i)].used = slot[0] != 0;
    getEntry(slot + 36, list.slots[size_t(i)].entry);
  }
  list.selected = 0;
  return list;
}

template <class List>
bool loadList(List& list, const std::string& path, List (*decode)(std::span<const uint8_t>)) {
  auto bytes = readWholeFile(path);
  if (!bytes) return false;
  list = decode(bytes.value());
  return true;
}

template <class Entry, int N>
int addEntry(SlotList<Entry, N>& list, const Entry& entry, Messages& messages, const char* limitText) {
  for (int i = 0; i < N; ++i) {
    if (list.slots[size_t(i)].used) continue;
    list.slots[size_t(i)] = {true, entry};
    list.selected = i;
    return i;
  }
  messages.show(limitText, "Warning", MessageIcon::Warning);
  return -1;
}

template <class Entry, int N>
bool deleteEntry(SlotList<Entry, N>& list, int i, Messages& messages, const char* question, const char* caption) {
  if (i < 0 || i >= N || !list.slots[size_t(i)].used) return false;
  if (messages.ask(question, caption, MessageButtons::YesNo, MessageIcon::Warning) != Answer::Yes) return false;
  for (int k = i; k + 1 < N; ++k) list.slots[size_t(k)] = list.slots[size_t(k) + 1];
  list.slots[size_t(N) - 1] = {};
  if (list.selected >= 0 && list.selected < N && !list.slots[size_t(list.selected)].used && list.selected > 0)
    --list.selected;
  return true;
}

}  // namespace

std::vector<uint8_t> encodePalette(const BrushPalette& p) { return encodeList(p); }
std::vector<uint8_t> encodeStrokes(const StrokeList& s) { return encodeList(s); }
BrushPalette decodePalette(std::span<const uint8_t> b) { return decodeList<Brush, kPaletteSlots>(b); }
StrokeList decodeStrokes(std::span<const uint8_t> b) { return decodeList<StrokeDynamics, kStrokeSlots>(b); }

bool loadPalette(BrushPalette& palette, const std::string& path) { return loadList(palette, path, decodePalette); }
bool loadStrokes(StrokeList& strokes, const std::string& path) { return loadList(strokes, path, decodeStrokes); }
namespace {

Status saveList(const std::string& path, std::span<const uint8_t> bytes) {
  if (!saveFileAtomically(path, bytes)) return fail("cannot write " + path);
  return Ok{};
}

}  // namespace

Status savePalette(const BrushPalette& palette, const std::string& path) {
  return saveList(path, encodePalette(palette));
}
Status saveStrokes(const StrokeList& strokes, const std::string& path) {
  return saveList(path, encodeStrokes(strokes));
}

Brush defaultPaletteBrush() {
  return Brush{.red = 176, .green = 46, .blue = 38, .style = 2, .depth = 6.0f, .tool = 0, .size = 30,
               .strength = 0.8f, .shading = 200, .texture = 0, .hardness = 50, .pad = 0};
}

int addBrush(BrushPalette& palette, const Brush& brush, Messages& messages) {
  return addEntry(palette, brush, messages, "List has reached maximum limit! Try deleting a brush first.");
}

bool deleteBrush(BrushPalette& palette, int i, Messages& messages) {
  return deleteEntry(palette, i, messages, "Are you sure you'd like to delete this brush?", "Delete Brush");
}

int addStroke(StrokeList& strokes, const StrokeDynamics& dynamics, Messages& messages) {
  return addEntry(strokes, dynamics, messages, "List has reached maximum limit! Try deleting a stroke first.");
}

bool deleteStroke(StrokeList& strokes, int i, Messages& messages) {
  if (strokes.selected == 0) return false;  // the first stroke stays
  return deleteEntry(strokes, i, messages, "Are you sure you'd like to delete this stroke?", "Delete Stroke");
}

void selectBrush(BrushPalette& palette, int i, PaintEngine& engine) {
  if (i < 0 || i >= kPaletteSlots || !palette.slots[size_t(i)].used) return;
  palette.selected = i;
  engine.brush = palette.slots[size_t(i)].entry;
  engine.stroke.footprintValid = false;
}

void selectStroke(StrokeList& strokes, int i, PaintEngine& engine) {
  if (i < 0 || i >= kStrokeSlots || !strokes.slots[size_t(i)].used) return;
  strokes.selected = i;
  engine.dynamics = strokes.slots[size_t(i)].entry;
}

namespace {

// A closed ring of dark, raised paint round the centre, from 0.3 to 0.4 of the side out:
// a fill at the centre stays inside it.
void paintRing(Canvas& c) {
  const double centre = (c.width - 1) / 2.0, inner = 0.3 * c.width, outer = 0.4 * c.width;
  for (uint32_t y = 0; y < c.height; ++y)
    for (uint32_t x = 0; x < c.width; ++x) {
      const double d = std::hypot(x - centre, y - centre);
      if (d < inner || d > outer) continue;
      CanvasPixel& p = c.at(x, y);
      p.red = p.green = p.blue = 70;
      p.highlight = 0;
      p.shading = 255;
      p.height = 3.0f;
    }
}

}  // namespace

Canvas brushSample(const Brush& brush, uint32_t side, int dabs, PatternOffsets offsets, SampleGround ground,
                   const PatternImages& patterns, PaintRandom& random, bool highQuality, bool lighting) {
  Canvas c;
  c.create(side, side);
  c.clear();
  c.highQuality = highQuality;
  c.lightingOn = lighting;
  if (ground == SampleGround::Paint) c.fillPreview({brush.red, brush.green, brush.blue}, patterns.styleImage(brush.style));
  if (ground == SampleGround::Ring) paintRing(c);
  PaintEngine engine(patterns, random);
  engine.brush = brush;
  engine.offsets = offsets;
  engine.beginStroke();
  for (int i = 0; i < dabs; ++i) engine.dab(float(side / 2), float(side / 2), c);
  relightAll(c);
  return c;
}

Canvas brushThumbnail(const Brush& slot, const PatternImages& patterns) {
  Brush b = slot;
  b.size = 20;
  b.hardness = std::min<uint8_t>(b.hardness, 100);
  const float offset = float(slot.style * 10 * slot.texture);
  PaintRandom random;
  return brushSample(b, 30, 5, {offset, offset, offset, offset}, toolInfo(slot.tool).thumbnailGround, patterns,
                     random);
}

Canvas strokeThumbnail(const StrokeDynamics& dynamics, int currentTool, const PatternImages& patterns) {
  Canvas c;
  c.create(132, 15);
  c.clear();
  if (toolInfo(currentTool).strokeOnPaint) c.fillPreview({0, 0, 0}, patterns.styleImage(0));
  PaintRandom random;
  PaintEngine engine(patterns, random);
  engine.brush = Brush{.tool = 0, .size = 10, .strength = 1.0f};
  engine.dynamics = dynamics;
  engine.beginStroke();
  const int size = engine.brush.size;
  for (int i = 0; i < 40; ++i) {
    engine.moveStroke(float(i), 0.0f);  // each step i pixels long: the stroke grows along the row
    const int x = int(0.8 * size + i * (132 - size * 1.3333) / 40);
    engine.dab(float(x), 7.0f, c);
  }
  relightAll(c);
  return c;
}

Preferences loadPreferences(const std::string& path) {
  auto bytes = readWholeFile(path);
  Preferences p;
  if (!bytes) {
    // Made at once on a first start; a folder that cannot take it is told at exit.
    (void)savePreferences(p, path);
    return p;
  }
  if (bytes->size() > 0) p.highQuality = bytes.value()[0] != 0;
  if (bytes->size() > 1) p.lighting = bytes.value()[1] != 0;
  return p;
}

Status savePreferences(const Preferences& prefs, const std::string& path) {
  const uint8_t bytes[2] = {uint8_t(prefs.highQuality), uint8_t(prefs.lighting)};
  return saveList(path, bytes);
}

}  // namespace daubwell
