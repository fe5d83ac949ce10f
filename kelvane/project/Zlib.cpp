#include "Zlib.h"

#include <zlib.h>

#include "FastDeflate.h"

namespace kelvane {

std::vector<uint8_t> Deflate9(std::span<const uint8_t> bytes) { return DeflateQuick9(bytes); }

Result<std::vector<uint8_t>> InflateExact(std::span<const uint8_t> stream, size_t size) {
  static constexpr const char* kError = "ZLib error: target buffer may be too small";
  std::vector<uint8_t> out(size);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return fail(kError);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  z.next_out = out.data();
  z.avail_out = uInt(size);
  const int r = inflate(&z, Z_FINISH);
  const bool exact = r == Z_STREAM_END && z.avail_out == 0;
  inflateEnd(&z);
  if (!exact) return fail(kError);
  return out;
}

}  // namespace kelvane
