#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// Appends `data` to `out` as one deflate block of literals only (no repeated strings),
// coded with a Huffman code made for this data: a few times faster than zlib's fastest
// setting, and on filtered picture rows nearly as small. A piece that is not `final`
// ends with an empty stored block, on a byte boundary, so that pieces made apart (on
// several cores) join into one raw deflate stream; the final piece ends the stream.
void DeflateLiterals(std::span<const uint8_t> data, bool final, std::vector<uint8_t>& out);

// Code lengths (at most `limit` bits) of a Huffman code for the symbol counts; symbols
// that never occur get 0. Fewer than two occurring symbols still get a code of two.
std::vector<uint8_t> HuffmanLengths(std::span<const uint64_t> counts, int limit);

}  // namespace kelvane
