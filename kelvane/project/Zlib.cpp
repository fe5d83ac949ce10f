#include "Zlib.h"

#include <zlib.h>

#include <algorithm>

#include "FastDeflate.h"

namespace kelvane {

std::vector<uint8_t> Deflate9(std::span<const uint8_t> bytes) { return DeflateQuick9(bytes); }

Result<std::vector<uint8_t>> InflateExact(std::span<const uint8_t> stream, size_t size) {
  static constexpr const char* kError = "ZLib error: target buffer may be too small";
  // Nothing to fill: no stream at all, or one that holds nothing, is an empty item.
  if (size == 0 && stream.empty()) return std::vector<uint8_t>();
  std::vector<uint8_t> out(size);
  uint8_t spare;  // zlib refuses a null target even when it is to receive nothing
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return fail(kError);
  size_t in = 0, done = 0;
  int r = Z_OK;
  // zlib counts in 32 bits: large items go through in pieces.
  constexpr size_t kPiece = size_t(1) << 30;
  while (r == Z_OK) {
    z.next_in = const_cast<Bytef*>(stream.data() + in);
    z.avail_in = uInt(std::min(stream.size() - in, kPiece));
    z.next_out = size ? out.data() + done : &spare;
    z.avail_out = uInt(std::min(size - done, kPiece));
    const uInt inBefore = z.avail_in, outBefore = z.avail_out;
    r = inflate(&z, Z_NO_FLUSH);
    in += inBefore - z.avail_in;
    done += outBefore - z.avail_out;
    if (r == Z_OK && inBefore == z.avail_in && outBefore == z.avail_out) break;  // no progress: short stream
  }
  inflateEnd(&z);
  // Exact: the stream ended where the target did.
  if (r != Z_STREAM_END || done != size) return fail(kError);
  return out;
}

}  // namespace kelvane
