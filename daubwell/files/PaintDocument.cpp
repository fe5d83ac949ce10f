#include "PaintDocument.h"

#include <cstring>
#include <thread>

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

ParsedDocument failed(DocumentError e) {
  ParsedDocument d;
  d.error = std::move(e);
  return d;
}

ParsedDocument readVersion1(ByteReader& in, DocumentContent c, size_t count) {
  if (count > in.remaining() / sizeof(CanvasPixel))
    return failed(damaged("the records need " + std::to_string(count * sizeof(CanvasPixel)) +
                          " bytes, the file has " + std::to_string(in.remaining())));
  const uint8_t* p = in.bytes(count * sizeof(CanvasPixel), "records").value().data();
  c.pixels.resize(count);
  for (CanvasPixel& px : c.pixels) {  // the pad bytes of the file carry nothing
    px.red = p[0];
    px.green = p[1];
    px.blue = p[2];
    px.highlight = p[3];
    px.shading = p[4];
    px.height = floatFromLe(p + 8);
    p += sizeof(CanvasPixel);
  }
  return {std::nullopt, std::move(c)};
}

ParsedDocument readVersion2(ByteReader& in, DocumentContent c, size_t count) {
  // Five plane byte counts and the raw heights at the least: refuse sizes the file
  // cannot hold before allocating for them.
  if (in.remaining() < kPlaneCount * 4 || count > (in.remaining() - kPlaneCount * 4) / 4)
    return failed(damaged("a " + std::to_string(c.header.width) + "x" +
                          std::to_string(c.header.height) + " painting does not fit in " +
                          std::to_string(in.remaining()) + " bytes"));
  const uint32_t w = uint32_t(c.header.width), h = uint32_t(c.header.height);
  // Every plane is found and checked first; then they are decoded on both cores, each
  // into a buffer of its own, and gathered into the records by halves.
  std::span<const uint8_t> streams[kPlaneCount];
  for (auto& stream : streams) {
    auto n = in.i32le("plane byte count");
    if (!n) return failed(damaged(n.error()));
    if (n.value() < 0) return failed(damaged("plane byte count is negative"));
    auto bytes = in.bytes(size_t(n.value()), "plane");
    if (!bytes) return failed(damaged(bytes.error()));
    stream = bytes.value();
  }
  auto heights = in.bytes(count * 4, "heights");
  if (!heights) return failed(damaged(heights.error()));
  std::vector<uint8_t> planes[kPlaneCount];
  auto decode = [&](int first) {
    for (int i = first; i < kPlaneCount; i += 2) {
      planes[i].resize(count);
      decodeStream(streams[i], planes[i], w, h, kPlaneLevel);
    }
  };
  {
    std::thread other(decode, 1);
    decode(0);
    c.pixels.resize(count);
    other.join();
  }
  const uint8_t* raw = heights->data();
  auto gather = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      CanvasPixel& px = c.pixels[i];
      for (int k = 0; k < kPlaneCount; ++k) px.*kPlaneFields[k] = planes[k][i];
      px.height = floatFromLe(raw + i * 4);
    }
  };
  std::thread other(gather, count / 2, count);
  gather(0, count / 2);
  other.join();
  return {std::nullopt, std::move(c)};
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
  auto header = parseDocumentHeader(bytes);
  // Too short for the magic, or the wrong magic: not ours. The magic but a cut header:
  // one of ours, damaged.
  auto magic = ByteReader(bytes).i32le("magic");
  if (!magic || magic.value() != kDocumentMagic)
    return failed({DocumentFault::NotDaubwell, "wrong magic number"});
  if (!header) return failed(damaged(header.error()));
  DocumentContent c;
  c.header = header.value();
  if (c.header.version == 3) return failed({DocumentFault::Version3, "version 3"});
  if (c.header.version != 1 && c.header.version != 2)
    return failed({DocumentFault::LaterVersion, "version " + std::to_string(c.header.version)});
  if (c.header.width < 1 || c.header.height < 1)
    return failed(damaged("size " + std::to_string(c.header.width) + "x" +
                          std::to_string(c.header.height)));
  const size_t count = size_t(c.header.width) * size_t(c.header.height);
  ByteReader in(bytes);
  (void)in.bytes(kDocumentHeaderSize, "header");
  return c.header.version == 1 ? readVersion1(in, std::move(c), count)
                               : readVersion2(in, std::move(c), count);
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
  auto bytes = readWholeFile(path);
  if (!bytes) {
    messages.show(kCannotOpenText, "Error", MessageIcon::Error);
    return false;
  }
  ParsedDocument parsed = parseDocument(bytes.value());
  if (!parsed.ok()) {
    switch (parsed.error->fault) {
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
  // Only a painting that loaded replaces the old one and its history.
  doc.history.reset();
  const DocumentHeader& h = parsed.content.header;
  doc.canvas.adopt(uint32_t(h.width), uint32_t(h.height), std::move(parsed.content.pixels));
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
