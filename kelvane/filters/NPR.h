#pragma once
#include <cstdint>

#include "../raster/Progress.h"
#include "../raster/TBitmap32.h"
#include "../raster/TByteMap.h"

namespace kelvane {

// The filters below take an optional progress whose Cancel they heed between bands of
// rows: then they return false and leave the target as it was.

// Flat patches: every pixel becomes the median by intensity of its 5 x 5 neighbourhood
// (reads outside give the outer colour), sharpened through the mask, then written back
// through the mask.
bool WaterColorFilter(TBitmap32& target, const TByteMap* mask, const TProgress* progress = nullptr);

// The median step alone: each pixel the 13th of its 5 x 5 neighbourhood ordered by
// intensity (equal intensities in reading order). Incomplete when stopped.
TBitmap32 MedianByIntensity(const TBitmap32& bitmap, const TProgress* progress = nullptr);
// The same by sorting each neighbourhood's keys: the reference for the fast median.
TBitmap32 MedianByIntensityReference(const TBitmap32& bitmap);

enum class TEdgeMode { FindEdge, Sobel };

struct TNPRParams {
  int noise = 1;          // "Add Noise:" 0..100
  int edgeIntensity = 128;  // "Egde Intensity:" 1..255
  TEdgeMode mode = TEdgeMode::FindEdge;
  int distortion = 0;     // "Egde Distroy:" 0..10
};

// The pencil-line drawing of the edges, rippled, over the water-colour look, with grain.
// `seed` 0 takes the clock, as every interactive run does.
// The progress shows its eight stages.
bool NPRFilter(TBitmap32& target, const TNPRParams& params, const TByteMap* mask, TProgress* progress = nullptr,
               uint32_t seed = 0);

// Concentric elliptical ripples around the centre: each pixel read from
// (round(sin r d / 5 + x), round(sin r d / 8 + y)), r = 0.8 sqrt((y - H/2)^2 + 0.6 (x - W/2)^2).
// Incomplete when stopped.
TBitmap32 Remap(const TBitmap32& source, int d, const TProgress* progress = nullptr);

// Grain of amount n on all four bytes of every pixel, never wrapping a byte. False
// (the bitmap part-way grained) when stopped.
bool AddNoise(TBitmap32& bitmap, int n, uint32_t seed, const TProgress* progress = nullptr);

}  // namespace kelvane
