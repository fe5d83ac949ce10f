#include "PaintDocument.h"

#include <cstring>
#include <memory>
#include <thread>

#include "../canvas/HugePages.h"
#include "../canvas/Lighting.h"
#include "AtomicFile.h"
#include "BlockCodec.h"
#include "ByteReader.h"

namespace daubwell {
namespace {

constexpr int kPlaneLevel = 1;
constexpr int kPlaneCount = 5;
constexpr uint8_t CanvasPixel::*kPlaneFields[kPlaneCount] = {
    &CanvasPixel::red, &CanvasPixel::green, &CanvasPixel::blue, &CanvasPixel::highlight,
    &CanvasPixel::shading};

DocumentError damaged(std::string detail) { return {DocumentFault::Damaged, std::move(detail)}; }

// Where the body of a document lies in its bytes, every length checked: nothing is
// allocated for the records before the file is known to hold them.
struct BodyLayout {
  uint32_t width = 0, height = 0;
  size_t count = 0;
  int version = 0;
  std::span<const uint8_t> records;              // version 1
  std::span<const uint8_t> planes[kPlaneCount];  // version 2
  std::span<const uint8_t> heights;              // version 2
};

struct LaidOut {
  std::optional<DocumentError> error;
  DocumentHeader header;
  BodyLayout body;
};

LaidOut failedLayout(DocumentError e) {
  LaidOut l;
  l.error = std::move(e);
  return l;
}

std::optional<DocumentError> layOutVersion1(ByteReader& in, BodyLayout& b) {
  if (b.count > in.remaining() / sizeof(CanvasPixel))
    return damaged("the records need " + std::to_string(b.count * sizeof(CanvasPixel)) +
                   " bytes, the file has " + std::to_string(in.remaining()));
  b.records = in.bytes(b.count * sizeof(CanvasPixel), "records").value();
  return std::nullopt;
}

std::optional<DocumentError> layOutVersion2(ByteReader& in, BodyLayout& b) {
  // Five plane byte counts and the raw heights at the least: refuse sizes the file
  // cannot hold before allocating for them.
  if (in.remaining() < kPlaneCount * 4 || b.count > (in.remaining() - kPlaneCount * 4) / 4)
    return damaged("a " + std::to_string(b.width) + "x" + std::to_string(b.height) +
                   " painting does not fit in " + std::to_string(in.remaining()) + " bytes");
  for (auto& stream : b.planes) {
    auto n = in.i32le("plane byte count");
    if (!n) return damaged(n.error());
    if (n.value() < 0) return damaged("plane byte count is negative");
    auto bytes = in.bytes(size_t(n.value()), "plane");
    if (!bytes) return damaged(bytes.error());
    stream = bytes.value();
  }
  auto heights = in.bytes(b.count * 4, "heights");
  if (!heights) return damaged(heights.error());
  b.heights = heights.value();
  return std::nullopt;
}

LaidOut layOut(std::span<const uint8_t> bytes) {
  auto header = parseDocumentHeader(bytes);
  // Too short for the magic, or the wrong magic: not ours. The magic but a cut header:
  // one of ours, damaged.
  auto magic = ByteReader(bytes).i32le("magic");
  if (!magic || magic.value() != kDocumentMagic)
    return failedLayout({DocumentFault::NotDaubwell, "wrong magic number"});
  if (!header) return failedLayout(damaged(header.error()));
  LaidOut l;
  l.header = header.value();
  const DocumentHeader& h = l.header;
  if (h.version == 3) return failedLayout({DocumentFault::Version3, "version 3"});
  if (h.version != 1 && h.version != 2)
    return failedLayout({DocumentFault::LaterVersion, "version " + std::to_string(h.version)});
  if (h.width < 1 || h.height < 1)
    return failedLayout(damaged("size " + std::to_string(h.width) + "x" + std::to_string(h.height)));
  BodyLayout& b = l.body;
  b.width = uint32_t(h.width);
  b.height = uint32_t(h.height);
  b.count = size_t(b.width) * b.height;
  b.version = h.version;
  ByteReader in(bytes);
  (void)in.bytes(kDocumentHeaderSize, "header");
  if (auto e = h.version == 1 ? layOutVersion1(in, b) : layOutVersion2(in, b)) return failedLayout(std::move(*e));
  return l;
}

// Splits [0, n) between the two cores.
template <class Fn>
void onBothCores(size_t n, Fn&& fn) {
  std::thread other([&] { fn(n / 2, n); });
  fn(0, n / 2);
  other.join();
}

// Writes every byte of the count records at `out` (pad bytes as zeros). Cannot fail: the
// layout was checked.
void decodeBody(const BodyLayout& b, CanvasPixel* out) {
  if (b.version == 1) {
    onBothCores(b.count, [&](size_t from, size_t to) {
      const uint8_t* p = b.records.data() + from * sizeof(CanvasPixel);
      for (size_t i = from; i < to; ++i, p += sizeof(CanvasPixel))  // the file's pad bytes carry nothing
        out[i] = CanvasPixel{p[0], p[1], p[2], p[3], p[4], {0, 0, 0}, floatFromLe(p + 8)};
    });
    return;
  }
  // The planes are decoded on both cores, each into a buffer of its own (left
  // uninitialised: decoding writes every byte), and gathered into the records by halves.
  std::unique_ptr<uint8_t[]> planes[kPlaneCount];
  auto decode = [&](int first) {
    for (int i = first; i < kPlaneCount; i += 2) {
      planes[i].reset(new uint8_t[b.count]);
      adviseHugePages(planes[i].get(), b.count);
      decodeStream(b.planes[i], std::span<uint8_t>(planes[i].get(), b.count), b.width, b.height, kPlaneLevel);
    }
  };
  {
    std::thread other(decode, 1);
    decode(0);
    other.join();
  }
  const uint8_t* raw = b.heights.data();
  onBothCores(b.count, [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      out[i] = CanvasPixel{planes[0][i], planes[1][i], planes[2][i], planes[3][i], planes[4][i], {0, 0, 0},
                           floatFromLe(raw + i * 4)};
  });
}

// Feeds the version 2 file to `sink` piece by piece; stops at the first failed write.
template <class Sink>
bool emitDocument(const Canvas& canvas, Sink&& sink) {
  uint8_t header[kDocumentHeaderSize] = {};
  putU32le(header + 0, uint32_t(kDocumentMagic));
  putU32le(header + 4, uint32_t(kDocumentVersion));
  putU32le(header + 8, canvas.width);
  putU32le(header + 12, canvas.height);
  if (!sink(std::span<const uint8_t>(header))) return false;

  const size_t count = canvas.pixels.size();
  std::vector<uint8_t> plane(count), coded;
  for (auto field : kPlaneFields) {
    for (size_t i = 0; i < count; ++i) plane[i] = canvas.pixels[i].*field;
    coded.clear();
    encodePlane(coded, plane, canvas.width, canvas.height, kPlaneLevel);
    if (!sink(std::span<const uint8_t>(coded))) return false;
  }
  std::vector<uint8_t> heights(count * 4);
  for (size_t i = 0; i < count; ++i) putFloatLe(heights.data() + i * 4, canvas.pixels[i].height);
  return sink(std::span<const uint8_t>(heights));
}

}  // namespace

Result<DocumentHeader> parseDocumentHeader(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  DocumentHeader h;
  auto magic = in.i32le("magic");
  if (!magic) return fail(magic.error());
  h.magic = magic.value();
  auto version = in.i32le("version");
  auto width = in.i32le("width");
  auto height = in.i32le("height");
  auto reserved = in.bytes(64, "reserved header bytes");
  if (!version || !width || !height || !reserved) return fail("header: truncated");
  h.version = version.value();
  h.width = width.value();
  h.height = height.value();
  return h;
}

ParsedDocument parseDocument(std::span<const uint8_t> bytes) {
  LaidOut l = layOut(bytes);
  ParsedDocument d;
  if (l.error) {
    d.error = std::move(l.error);
    return d;
  }
  d.content.header = l.header;
  d.content.pixels.resize(l.body.count);
  decodeBody(l.body, d.content.pixels.data());
  return d;
}

std::vector<uint8_t> encodeDocument(const Canvas& canvas) {
  std::vector<uint8_t> out;
  emitDocument(canvas, [&](std::span<const uint8_t> b) {
    out.insert(out.end(), b.begin(), b.end());
    return true;
  });
  return out;
}

bool readDocument(Document& doc, const std::string& path, Messages& messages) {
  auto file = FileBytes::open(path);
  if (!file) {
    messages.show(kCannotOpenText, "Error", MessageIcon::Error);
    return false;
  }
  const LaidOut l = layOut(file->bytes());
  if (l.error) {
    switch (l.error->fault) {
      case DocumentFault::NotDaubwell:
      case DocumentFault::Damaged:
        messages.show(kNotDaubwellText, "Error", MessageIcon::Warning);
        break;
      case DocumentFault::LaterVersion:
        messages.show(kLaterVersionText, "Error", MessageIcon::Error);
        break;
      case DocumentFault::Version3:
        break;
    }
    return false;
  }
  // Only a painting that is whole replaces the old one and its history; decoding cannot
  // fail, so it goes straight into the canvas (into its memory, when the size is the same).
  doc.history.reset();
  decodeBody(l.body, doc.canvas.replaceRecords(l.body.width, l.body.height));
  doc.canvas.invalidateLighting();
  return true;
}

bool writeDocument(const Canvas& canvas, const std::string& path) {
  AtomicFileWriter file(path);
  if (!file.isOpen()) return false;
  return emitDocument(canvas, [&](std::span<const uint8_t> b) { return file.write(b); }) &&
         file.commit();
}

}  // namespace daubwell
