#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "../canvas/Canvas.h"
#include "../canvas/Messages.h"
#include "../tools/Brush.h"
#include "../tools/BrushEngine.h"
#include "../tools/ToolTable.h"
#include "Result.h"

namespace daubwell {

// One slot of a list: whether it holds an entry, and the entry. In files a slot is 60
// bytes: used byte, 3 pad bytes, 32 bytes of thumbnail state (zeros when written,
// ignored when read) and the 24-byte entry.
template <class Entry>
struct ListSlot {
  bool used = false;
  Entry entry{};
};

inline constexpr size_t kSlotSize = 60;
inline constexpr int kPaletteSlots = 45;
inline constexpr int kStrokeSlots = 10;
inline constexpr size_t kPaletteFileSize = kSlotSize * kPaletteSlots + 4;  // 2704
inline constexpr size_t kStrokeFileSize = kSlotSize * kStrokeSlots + 4;    // 604

// A list of up to N entries kept packed at the front, with the selected index.
template <class Entry, int N>
struct SlotList {
  std::array<ListSlot<Entry>, N> slots{};
  int32_t selected = 0;

  int count() const {
    int n = 0;
    while (n < N && slots[size_t(n)].used) ++n;
    return n;
  }
};

using BrushPalette = SlotList<Brush, kPaletteSlots>;
using StrokeList = SlotList<StrokeDynamics, kStrokeSlots>;

// The whole-block file forms. Reading takes the block as far as the bytes go (a short
// file leaves the rest empty) and always selects entry 0.
std::vector<uint8_t> encodePalette(const BrushPalette& palette);
std::vector<uint8_t> encodeStrokes(const StrokeList& strokes);
BrushPalette decodePalette(std::span<const uint8_t> bytes);
StrokeList decodeStrokes(std::span<const uint8_t> bytes);

// File forms on disk; loading fails only when the file cannot be read.
bool loadPalette(BrushPalette& palette, const std::string& path);
Status savePalette(const BrushPalette& palette, const std::string& path);
bool loadStrokes(StrokeList& strokes, const std::string& path);
Status saveStrokes(const StrokeList& strokes, const std::string& path);

// The entry a missing palette starts with: a mid-size tube of a visible colour.
Brush defaultPaletteBrush();

// Adds the brush in the first empty slot and selects it; with 45 brushes shows the
// limit warning and changes nothing. Returns the slot, or -1.
int addBrush(BrushPalette& palette, const Brush& brush, Messages& messages);
// Asks, then removes slot i and moves the later slots down. True when deleted.
bool deleteBrush(BrushPalette& palette, int i, Messages& messages);
int addStroke(StrokeList& strokes, const StrokeDynamics& dynamics, Messages& messages);
// As deleteBrush, but nothing is deleted (and nothing asked) while stroke 0 is selected.
bool deleteStroke(StrokeList& strokes, int i, Messages& messages);

// Picking an entry: the engine's brush or dynamics become the slot's.
void selectBrush(BrushPalette& palette, int i, PaintEngine& engine);
void selectStroke(StrokeList& strokes, int i, PaintEngine& engine);

// A brush dabbed `dabs` times at the centre of a fresh side x side canvas, lit. The
// ground is blank, paint in the brush's colour, or a dark ring round the centre.
Canvas brushSample(const Brush& brush, uint32_t side, int dabs, PatternOffsets offsets, SampleGround ground,
                   const PatternImages& patterns, PaintRandom& random, bool highQuality = true, bool lighting = true);

// The thumbnails of the Palette window, painted with the brush engine: a 30 x 30 canvas
// for a brush, a 132 x 15 stroke for a set of dynamics (drawn with the current tool's
// background).
Canvas brushThumbnail(const Brush& brush, const PatternImages& patterns);
Canvas strokeThumbnail(const StrokeDynamics& dynamics, int currentTool, const PatternImages& patterns);

// Preferences: byte 0 "High Quality (slow)", byte 1 "Lighting". A missing file gives
// both on and is written at once.
struct Preferences {
  bool highQuality = true;
  bool lighting = true;
};
Preferences loadPreferences(const std::string& path);
Status savePreferences(const Preferences& prefs, const std::string& path);

}  // namespace daubwell
