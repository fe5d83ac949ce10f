// The PNG writer, fast enough for photographs: RGB when every pixel is opaque, the "up"
// filter on every row and run-length deflate, the rows compressed in strips on every
// core. The strips are cut at fixed rows, so the file does not depend on the core count.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

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

// One row as R, G, B (and A) bytes.
void packRow(const TColor32* src, int width, int channels, uint8_t* dst) {
  for (int x = 0; x < width; ++x, dst += channels) {
    const TColor32 c = src[x];
    dst[0] = RedComponent(c);
    dst[1] = GreenComponent(c);
    dst[2] = BlueComponent(c);
    if (channels == 4) dst[3] = AlphaComponent(c);
  }
}

struct Strip {
  std::vector<uint8_t> deflated;
  uLong adler = 1;
  size_t rawSize = 0;
  bool ok = false;
};

// Rows y0..y1 filtered and deflated as a piece of one stream: a raw deflate that ends
// on a byte boundary (sync flush), or with the final block for the last strip.
void deflateStrip(const TBitmap32& bmp, int channels, int y0, int y1, Strip& s) {
  const size_t width = size_t(bmp.Width()) * channels;
  std::vector<uint8_t> raw((width + 1) * size_t(y1 - y0)), prev(width, 0), cur(width);
  if (y0 > 0) packRow(bmp.ScanLine(y0 - 1), bmp.Width(), channels, prev.data());
  for (int y = y0; y < y1; ++y) {
    packRow(bmp.ScanLine(y), bmp.Width(), channels, cur.data());
    uint8_t* d = raw.data() + (width + 1) * size_t(y - y0);
    d[0] = 2;  // "up": the byte above subtracted
    for (size_t i = 0; i < width; ++i) d[1 + i] = uint8_t(cur[i] - prev[i]);
    std::swap(prev, cur);
  }
  s.rawSize = raw.size();
  s.adler = adler32(1, raw.data(), uInt(raw.size()));
  z_stream z{};
  if (deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK) return;
  s.deflated.resize(deflateBound(&z, uLong(raw.size())) + 16);
  z.next_in = raw.data();
  z.avail_in = uInt(raw.size());
  z.next_out = s.deflated.data();
  z.avail_out = uInt(s.deflated.size());
  const bool last = y1 == bmp.Height();
  const int r = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
  s.ok = last ? r == Z_STREAM_END : r == Z_OK && z.avail_in == 0;
  s.deflated.resize(z.total_out);
  deflateEnd(&z);
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
    for (size_t i; (i = next++) < strips.size();) {
      const int y0 = int(i) * stripRows;
      deflateStrip(bmp, channels, y0, std::min(bmp.Height(), y0 + stripRows), strips[i]);
    }
  };
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  std::vector<std::thread> helpers;
  for (unsigned c = 1; c < cores && c < strips.size(); ++c) helpers.emplace_back(work);
  work();
  for (auto& h : helpers) h.join();

  uLong adler = strips[0].adler;
  for (size_t i = 0; i < strips.size(); ++i) {
    if (!strips[i].ok) return fail("PNG: compression failed");
    if (i > 0) adler = adler32_combine(adler, strips[i].adler, z_off_t(strips[i].rawSize));
  }
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
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
