#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "ByteReader.h"
#include "Result.h"

namespace daubwell {

// The lossy block codec for 8-bit planes. A stored plane is an int32 byte count N and
// an N-byte, most-significant-bit-first stream of 4 x 4 block records, blocks visited
// column of blocks by column of blocks. Level L (1..5) quantises offsets in steps of
// 2^L; level 1 gives every value back exactly or one less.

// Appends one stored plane of the width x height plane to `out`.
void encodePlane(std::vector<uint8_t>& out, std::span<const uint8_t> plane, uint32_t width,
                 uint32_t height, int level);

// Reads one stored plane into `plane` (width * height bytes). Fails when the byte count
// is negative or the file ends before the stream does; a stream that ends before all
// blocks are read supplies zero bits for the rest.
Status decodePlane(ByteReader& in, std::span<uint8_t> plane, uint32_t width, uint32_t height,
                   int level);

// Decodes a bare bit stream (without its byte count).
void decodeStream(std::span<const uint8_t> stream, std::span<uint8_t> plane, uint32_t width,
                  uint32_t height, int level);

}  // namespace daubwell
