#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "files/AtomicFile.h"
#include "files/ByteReader.h"
#include "files/PaintDocument.h"

namespace daubwell {
namespace {

using test::ScriptedMessages;
using test::TempDir;

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> header(int32_t magic, int32_t version, int32_t w, int32_t h) {
  std::vector<uint8_t> out(80, 0xCD);  // reserved bytes hold anything
  putU32le(out.data(), uint32_t(magic));
  putU32le(out.data() + 4, uint32_t(version));
  putU32le(out.data() + 8, uint32_t(w));
  putU32le(out.data() + 12, uint32_t(h));
  return out;
}

// A version 1 file: the raw 12-byte records, pad bytes filled with junk.
std::vector<uint8_t> version1(const Canvas& c) {
  auto out = header(kDocumentMagic, 1, int32_t(c.width), int32_t(c.height));
  for (const CanvasPixel& p : c.pixels) {
    uint8_t rec[12] = {p.red, p.green, p.blue, p.highlight, p.shading, 0xAB, 0xCD, 0xEF};
    putFloatLe(rec + 8, p.height);
    out.insert(out.end(), rec, rec + 12);
  }
  return out;
}

// A document with a painting in it, for checking that failed loads leave it alone.
Document paintedDocument() {
  Document doc;
  newDocument(doc, 3, 2);
  doc.canvas.at(1, 1).red = 42;
  doc.pushUndo();
  return doc;
}

TEST(PaintDocument, OnePixelPaintingSavesAs114Bytes) {
  Canvas c;
  c.create(1, 1);
  const auto bytes = encodeDocument(c);
  EXPECT_EQ(bytes.size(), 114u);
  auto h = parseDocumentHeader(bytes);
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(h->magic, 24279);
  EXPECT_EQ(h->version, 2);
  EXPECT_EQ(h->width, 1);
  EXPECT_EQ(h->height, 1);
}

TEST(PaintDocument, SaveAndReopenKeepHeightsExactAndBytesWithinOneBelow) {
  TempDir dir;
  const Canvas original = test::randomCanvas(37, 23, 5, 1e6f);
  const std::string path = dir.file("painting.dwp");
  ASSERT_TRUE(writeDocument(original, path));
  Document doc;
  ScriptedMessages messages;
  ASSERT_TRUE(readDocument(doc, path, messages));
  EXPECT_TRUE(messages.shown.empty());
  ASSERT_EQ(doc.canvas.width, 37u);
  ASSERT_EQ(doc.canvas.height, 23u);
  EXPECT_FALSE(doc.canvas.lightingValid);
  for (size_t i = 0; i < original.pixels.size(); ++i) {
    const CanvasPixel &a = original.pixels[i], &b = doc.canvas.pixels[i];
    EXPECT_EQ(std::memcmp(&a.height, &b.height, 4), 0) << i;
    for (auto f : {&CanvasPixel::red, &CanvasPixel::green, &CanvasPixel::blue, &CanvasPixel::highlight,
                   &CanvasPixel::shading}) {
      const int diff = a.*f - b.*f;
      EXPECT_TRUE(diff == 0 || diff == 1) << i;
    }
  }
}

TEST(PaintDocument, VersionOneLoadsWhateverItsPadBytesHold) {
  const Canvas c = test::randomCanvas(4, 3, 9);
  ParsedDocument parsed = parseDocument(version1(c));
  ASSERT_TRUE(parsed.ok());
  for (size_t i = 0; i < c.pixels.size(); ++i) {
    EXPECT_EQ(parsed.content.pixels[i].red, c.pixels[i].red);
    EXPECT_EQ(parsed.content.pixels[i].shading, c.pixels[i].shading);
    EXPECT_EQ(parsed.content.pixels[i].height, c.pixels[i].height);
  }
}

// Opening over a painting of the same size reuses its memory: nothing of the old records
// may show through, pad bytes included, and the history hears that every row changed.
TEST(PaintDocument, OpeningOverAPaintingOfTheSameSizeLeavesNothingOfIt) {
  TempDir dir;
  const Canvas first = test::randomCanvas(21, 17, 3, 40.0f);
  const std::string v1 = dir.file("one.dwp"), v2 = dir.file("two.dwp");
  writeFile(v1, version1(first));
  ASSERT_TRUE(writeDocument(test::randomCanvas(17, 21, 4, 40.0f), v2));
  const ParsedDocument want1 = parseDocument(version1(first));
  const auto bytes2 = readWholeFile(v2);
  ASSERT_TRUE(bytes2.ok());
  const ParsedDocument want2 = parseDocument(bytes2.value());
  ASSERT_TRUE(want1.ok() && want2.ok());

  Document doc;
  ScriptedMessages messages;
  doc.canvas = test::randomCanvas(21, 17, 5);
  for (CanvasPixel& p : doc.canvas.pixels) p.pad[0] = p.pad[1] = p.pad[2] = 0x5A;
  const std::vector<CanvasPixel> old = doc.canvas.pixels;
  const CanvasPixel* memory = doc.canvas.pixels.data();
  for (const auto& [path, want] : {std::pair{v1, &want1}, {v2, &want2}, {v1, &want1}}) {
    ASSERT_TRUE(readDocument(doc, path, messages));
    ASSERT_EQ(doc.canvas.pixels.size(), want->content.pixels.size());
    EXPECT_EQ(doc.canvas.pixels.data(), memory);  // 21 x 17 and 17 x 21 hold as many records
    EXPECT_EQ(std::memcmp(doc.canvas.pixels.data(), want->content.pixels.data(),
                          doc.canvas.pixels.size() * sizeof(CanvasPixel)),
              0)
        << path;
    EXPECT_EQ(doc.canvas.width, uint32_t(want->content.header.width));
    EXPECT_EQ(doc.canvas.surface.width(), doc.canvas.width);
    EXPECT_FALSE(doc.canvas.lightingValid);
  }
  // A stroke after opening undoes to the opened painting, not to what was there before.
  doc.pushUndo();
  doc.canvas.aboutToWrite(0, 1);
  doc.canvas.at(0, 0).red ^= 0xFF;
  doc.undo(messages);
  EXPECT_EQ(std::memcmp(doc.canvas.pixels.data(), want1.content.pixels.data(),
                        doc.canvas.pixels.size() * sizeof(CanvasPixel)),
            0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST(PaintDocument, SizesAboveTheNewDocumentLimitAreReadAsStored) {
  Canvas c;
  c.create(5001, 1);
  ParsedDocument parsed = parseDocument(encodeDocument(c));
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed.content.header.width, 5001);
}

TEST(PaintDocument, EachFaultShowsItsMessageAndKeepsThePainting) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<std::string> messages;
  };
  auto body = encodeDocument(test::randomCanvas(2, 2, 1));
  auto truncated = body;
  truncated.resize(truncated.size() - 1);
  const Case cases[] = {
      {"wrong magic", header(1234, 2, 2, 2), {kNotDaubwellText}},
      {"shorter than the magic", {0xD7, 0x5E}, {kNotDaubwellText}},
      {"magic and a cut header", {0xD7, 0x5E, 0, 0, 2, 0}, {kNotDaubwellText}},
      {"version 3", header(kDocumentMagic, 3, 2, 2), {}},
      {"version 4", header(kDocumentMagic, 4, 2, 2), {kLaterVersionText}},
      {"version 0", header(kDocumentMagic, 0, 2, 2), {kLaterVersionText}},
      {"zero width", header(kDocumentMagic, 2, 0, 2), {kNotDaubwellText}},
      {"negative height", header(kDocumentMagic, 1, 2, -2), {kNotDaubwellText}},
      {"truncated heights", truncated, {kNotDaubwellText}},
      {"size the file cannot hold", header(kDocumentMagic, 2, 2000000000, 2000000000), {kNotDaubwellText}},
      {"version 1 short body", header(kDocumentMagic, 1, 100, 100), {kNotDaubwellText}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.file("bad.dwp");
    writeFile(path, c.bytes);
    Document doc = paintedDocument();
    const size_t history = doc.history.count();
    ScriptedMessages messages;
    EXPECT_FALSE(readDocument(doc, path, messages)) << c.name;
    EXPECT_EQ(messages.texts(), c.messages) << c.name;
    for (const auto& m : messages.shown) EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(doc.canvas.width, 3u) << c.name;
    EXPECT_EQ(doc.canvas.at(1, 1).red, 42) << c.name;
    EXPECT_EQ(doc.history.count(), history) << c.name << ": a painting that did not load keeps its history";
  }
}

TEST(PaintDocument, MissingFileSaysSoAndKeepsPaintingAndHistory) {
  TempDir dir;
  Document doc = paintedDocument();
  ScriptedMessages messages;
  EXPECT_FALSE(readDocument(doc, dir.file("nowhere.dwp"), messages));
  EXPECT_EQ(messages.texts(), std::vector<std::string>{kCannotOpenText});
  EXPECT_EQ(doc.history.count(), 1u);
}

TEST(PaintDocument, EveryTruncationAndEveryFlippedByteEndsCleanly) {
  const auto good = encodeDocument(test::randomCanvas(6, 5, 2));
  for (size_t n = 0; n < good.size(); ++n) {
    const std::span<const uint8_t> cut(good.data(), n);
    EXPECT_FALSE(parseDocument(cut).ok()) << "cut at " << n;
  }
  for (size_t i = 0; i < good.size(); ++i) {
    auto bad = good;
    bad[i] ^= 0xFF;
    ParsedDocument d = parseDocument(bad);  // an error or a painting, never a crash
    if (d.ok()) {
      EXPECT_EQ(d.content.pixels.size(), size_t(d.content.header.width) * d.content.header.height);
    }
  }
}

TEST(PaintDocument, SavingReplacesTheOldFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("p.dwp");
  writeFile(path, {1, 2, 3});
  Canvas c;
  c.create(2, 2);
  ASSERT_TRUE(writeDocument(c, path));
  EXPECT_EQ(std::filesystem::file_size(path), encodeDocument(c).size());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(PaintDocument, FailedSaveLeavesWhatWasThereAndNoTemporaryFile) {
  TempDir dir;
  Canvas c;
  c.create(2, 2);
  EXPECT_FALSE(writeDocument(c, dir.file("missing-folder/p.dwp")));
  // The target is a folder with something in it: the rename over it fails.
  std::filesystem::create_directory(dir.file("taken.dwp"));
  writeFile(dir.file("taken.dwp/keep"), {7});
  EXPECT_FALSE(writeDocument(c, dir.file("taken.dwp")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("taken.dwp/keep")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace daubwell
