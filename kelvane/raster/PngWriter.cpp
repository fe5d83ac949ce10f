// The PNG writer, fast enough for photographs: RGB when every pixel is opaque, the "up"
// filter on every row, and literals coded with a Huffman code of each strip's own (zlib's
// fastest settings take several times as long), the strips compressed on every core.
// The strips are cut at fixed rows, so the file does not depend on the core count.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "LiteralDeflate.h"
#include "PictureFormats.h"

namespace kelvane {
namespace {

constexpr size_t kStripBytes = size_t(1) << 22;

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char type[4], std::span<const uint8_t> head,
           std::span<const uint8_t> data = {}, std::span<const uint8_t> tail = {}) {
  putBe32(out, uint32_t(head.size() + data.size() + tail.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  for (auto part : {head, data, tail}) out.insert(out.end(), part.begin(), part.end());
  putBe32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// The "up" filter of one row: each byte less the byte above (of `above`, null for the
// first row), as R, G, B (and A) bytes. The four bytes of a pixel are subtracted at once,
// each wrapping on its own.
void upFilterRow(const TColor32* row, const TColor32* above, int width, int channels, uint8_t* dst) {
  for (int x = 0; x < width; ++x, dst += channels) {
    const uint32_t a = row[x], b = above ? above[x] : 0;
    const uint32_t d = ((a | 0x80808080u) - (b & 0x7F7F7F7Fu)) ^ ((a ^ ~b) & 0x80808080u);
    dst[0] = RedComponent(d);
    dst[1] = GreenComponent(d);
    dst[2] = BlueComponent(d);
    if (channels == 4) dst[3] = AlphaComponent(d);
  }
}

struct Strip {
  std::vector<uint8_t> deflated;
  uLong adler = 1;
  size_t rawSize = 0;
};

// Rows y0..y1 filtered and deflated as a piece of one stream (the last strip ends it).
void deflateStrip(const TBitmap32& bmp, int channels, int y0, int y1, Strip& s, std::vector<uint8_t>& raw) {
  const size_t rowBytes = size_t(bmp.Width()) * channels + 1;
  raw.resize(rowBytes * size_t(y1 - y0));
  for (int y = y0; y < y1; ++y) {
    uint8_t* d = raw.data() + rowBytes * size_t(y - y0);
    d[0] = 2;  // "up"
    upFilterRow(bmp.ScanLine(y), y > 0 ? bmp.ScanLine(y - 1) : nullptr, bmp.Width(), channels, d + 1);
  }
  s.rawSize = raw.size();
  s.adler = adler32(1, raw.data(), uInt(raw.size()));
  DeflateLiterals(raw, y1 == bmp.Height(), s.deflated);
}

}  // namespace

Result<std::vector<uint8_t>> WritePng(const TBitmap32& bmp) {
  if (bmp.Empty()) return fail("PNG: the picture is empty");
  const size_t pixels = size_t(bmp.Width()) * bmp.Height();
  const bool opaque = std::all_of(bmp.Bits(), bmp.Bits() + pixels, [](TColor32 c) { return c >= 0xFF000000u; });
  const int channels = opaque ? 3 : 4;
  const size_t rowBytes = size_t(bmp.Width()) * channels + 1;
  const int stripRows = int(std::clamp<size_t>(kStripBytes / rowBytes, 1, size_t(bmp.Height())));
  std::vector<Strip> strips(size_t((bmp.Height() + stripRows - 1) / stripRows));

  std::atomic<size_t> next{0};
  auto work = [&] {
    std::vector<uint8_t> raw;  // one filtered strip, reused
    for (size_t i; (i = next++) < strips.size();) {
      const int y0 = int(i) * stripRows;
      deflateStrip(bmp, channels, y0, std::min(bmp.Height(), y0 + stripRows), strips[i], raw);
    }
  };
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  std::vector<std::thread> helpers;
  for (unsigned c = 1; c < cores && c < strips.size(); ++c) helpers.emplace_back(work);
  work();
  for (auto& h : helpers) h.join();

  uLong adler = strips[0].adler;
  for (size_t i = 1; i < strips.size(); ++i) adler = adler32_combine(adler, strips[i].adler, z_off_t(strips[i].rawSize));
  size_t total = 8 + 25 + 12 + 6;
  for (const Strip& st : strips) total += st.deflated.size() + 12;
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  out.reserve(total);
  std::vector<uint8_t> header;
  putBe32(header, uint32_t(bmp.Width()));
  putBe32(header, uint32_t(bmp.Height()));
  header.insert(header.end(), {8, uint8_t(opaque ? 2 : 6), 0, 0, 0});  // 8 bits, RGB or RGBA
  chunk(out, "IHDR", header);
  // One zlib stream over the IDAT chunks: its header first, the combined checksum last.
  static constexpr uint8_t kZlibHeader[2] = {0x78, 0x01};
  std::vector<uint8_t> checksum;
  putBe32(checksum, uint32_t(adler));
  for (size_t i = 0; i < strips.size(); ++i) {
    chunk(out, "IDAT", i == 0 ? std::span<const uint8_t>(kZlibHeader) : std::span<const uint8_t>(),
          strips[i].deflated, i + 1 == strips.size() ? std::span<const uint8_t>(checksum) : std::span<const uint8_t>());
    strips[i].deflated = {};
  }
  chunk(out, "IEND", {});
  return out;
}

}  // namespace kelvane
