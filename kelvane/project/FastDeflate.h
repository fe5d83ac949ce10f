#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Fast zlib streams for masks and grids, inflated like any other.
//
// A zlib stream of bytes made of runs of one value, as masks of whole pictures are. The
// bytes go into one deflate block whose codes suit runs: each run is its value, then
// copies at distance 1 (two bits for every 258 bytes, as small as zlib's level 9 makes
// them). The result inflates like any zlib stream and is made in a small fraction of the
// time zlib takes over the same bytes.
namespace kelvane {

// Smaller inputs are left to zlib.
inline constexpr size_t kRunDeflateMinSize = size_t(1) << 16;

// The stream, or nothing when the bytes are small or not made of runs (then zlib does
// better).
std::optional<std::vector<uint8_t>> DeflateWithRuns(std::span<const uint8_t> bytes);

// Level 9: runs as above, anything else through zlib at level 9 with its search for
// matches cut to 64 candidates (the full search takes some thirty times as long on
// grid records, for 3% less). An empty result when zlib fails.
std::vector<uint8_t> DeflateQuick9(std::span<const uint8_t> bytes);

}  // namespace kelvane
