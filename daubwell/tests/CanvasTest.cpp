#include <gtest/gtest.h>

#include "TestSupport.h"
#include "canvas/CanvasView.h"
#include "canvas/Document.h"

namespace daubwell {
namespace {

using test::ScriptedMessages;

TEST(DisplaySurface, StoresRowsBottomUpAsBlueGreenRedWithPaddedStride) {
  DisplaySurface s;
  s.create(5, 3);
  EXPECT_EQ(s.stride(), 16u);  // 15 bytes padded to 16
  s.setPixel(1, 0, 10, 20, 30);
  const uint8_t* bottom = s.memoryRow(2);  // picture row 0 is the last memory row
  EXPECT_EQ(bottom[3], 30);
  EXPECT_EQ(bottom[4], 20);
  EXPECT_EQ(bottom[5], 10);
  EXPECT_EQ(s.pixel(1, 0), 0x0A141Eu);
}

TEST(DisplaySurface, OutsideReadsGiveBlackAndOutsideWritesAreIgnored) {
  DisplaySurface s;
  EXPECT_EQ(s.pixel(0, 0), 0u);  // empty surface
  s.create(2, 2);
  s.fill(255, 255, 255);
  const auto before = s.bytes();
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {1 << 30, 1 << 30}}) {
    EXPECT_EQ(s.pixel(x, y), 0u);
    s.setPixel(x, y, 1, 2, 3);
  }
  EXPECT_EQ(s.bytes(), before);
}

TEST(Canvas, CreateFillsBlankRecordsAndKeepsDisplayFlags) {
  Canvas c;
  c.highQuality = false;
  c.create(3, 2);
  ASSERT_EQ(c.pixels.size(), 6u);
  for (const CanvasPixel& p : c.pixels) {
    EXPECT_EQ(p.red + p.green + p.blue, 3 * 255);
    EXPECT_EQ(p.highlight, 0);
    EXPECT_EQ(p.shading, 0);
    EXPECT_EQ(p.height, 0.0f);
  }
  EXPECT_EQ(c.surface.width(), 3u);
  EXPECT_FALSE(c.highQuality);
  EXPECT_NEAR(c.light[0] * c.light[0] + c.light[1] * c.light[1] + c.light[2] * c.light[2], 1.0, 1e-6);
  EXPECT_GT(c.light[1], c.light[0]);
}

TEST(Canvas, FillPreviewHalvesColourAndTilesThePatternEvery400Pixels) {
  DisplaySurface image;
  image.create(400, 400);
  image.setPixel(0, 1, 200, 0, 0);  // grey values are read from the red byte
  Canvas c;
  c.create(401, 2);
  c.fillPreview({201, 100, 51}, image);
  const CanvasPixel& p = c.at(400, 1);
  EXPECT_EQ(p.red, 100);
  EXPECT_EQ(p.green, 50);
  EXPECT_EQ(p.blue, 25);
  EXPECT_EQ(p.highlight, 100);
  EXPECT_EQ(p.shading, 255);
  EXPECT_EQ(p.height, 20.0f);
  EXPECT_EQ(c.at(1, 1).highlight, 0);
}

TEST(Canvas, ResampleInterpolatesEveryFieldAndHoldsTheLastColumnAndRow) {
  Canvas c;
  c.create(600, 600);
  for (uint32_t y = 0; y < 600; ++y) {
    for (uint32_t x = 0; x < 600; ++x) {
      CanvasPixel& p = c.at(x, y);
      p.red = p.green = p.blue = p.highlight = p.shading = uint8_t(x % 2 ? 255 : 0);
      p.height = float(x % 2 ? 3.0 : -1.0);
    }
  }
  c.at(599, 0).red = 77;
  c.resample(1200, 300);
  ASSERT_EQ(c.width, 1200u);
  ASSERT_EQ(c.height, 300u);
  // X = 1 is halfway between source columns 0 and 1: 127.5 truncates to 127.
  const CanvasPixel& mid = c.at(1, 0);
  for (int v : {mid.red, mid.green, mid.blue, mid.highlight, mid.shading}) EXPECT_EQ(v, 127);
  EXPECT_FLOAT_EQ(mid.height, 1.0f);
  // X = 1199 maps to 599.5: the missing column 600 repeats 599, so the edge stays sharp.
  EXPECT_EQ(c.at(1199, 0).red, 77);
  EXPECT_EQ(c.at(1198, 0).red, 77);
  EXPECT_EQ(c.at(1199, 299).shading, 255);
  EXPECT_FLOAT_EQ(c.at(1199, 299).height, 3.0f);
}

TEST(Canvas, ResampleBlendsRowsOnlyWithTheRowBelow) {
  Canvas c;
  c.create(1, 2);
  c.at(0, 0).height = 0.0f;
  c.at(0, 1).height = 8.0f;
  c.resample(1, 4);
  EXPECT_FLOAT_EQ(c.at(0, 0).height, 0.0f);
  EXPECT_FLOAT_EQ(c.at(0, 1).height, 4.0f);
  EXPECT_FLOAT_EQ(c.at(0, 2).height, 8.0f);
  EXPECT_FLOAT_EQ(c.at(0, 3).height, 8.0f);  // held last row
}

TEST(DocumentSize, OutOfRangeSizesWarnAndKeepThePaintingAndHistory) {
  Document doc;
  ScriptedMessages messages;
  ASSERT_TRUE(newDocumentChecked(doc, 20, 10, messages));
  doc.canvas.at(3, 3).red = 9;
  doc.pushUndo();
  for (auto [w, h] : {std::pair<int64_t, int64_t>{0, 10}, {10, 0}, {5001, 10}, {10, 5001}, {-5, 3}}) {
    EXPECT_FALSE(newDocumentChecked(doc, w, h, messages));
    EXPECT_FALSE(imageSize(doc, w, h, messages));
  }
  ASSERT_EQ(messages.shown.size(), 10u);
  EXPECT_EQ(messages.shown[0].text,
            "The document can be no less than 1x1 pixels and no greater than 5000x5000 pixels!");
  EXPECT_EQ(messages.shown[0].caption, "Warning");
  EXPECT_EQ(doc.canvas.width, 20u);
  EXPECT_EQ(doc.canvas.at(3, 3).red, 9);
  EXPECT_EQ(doc.history.count(), 1u);
}

TEST(DocumentSize, NewAcceptsTheLimitsAndStartsAFreshDocument) {
  Document doc;
  ScriptedMessages messages;
  doc.zoom = 3.0;
  doc.modified = true;
  ASSERT_TRUE(newDocumentChecked(doc, 5000, 1, messages));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(doc.canvas.kind, kDocumentCanvas);
  EXPECT_EQ(doc.zoom, 1.0);
  EXPECT_FALSE(doc.modified);
  EXPECT_FALSE(doc.canvas.lightingValid);
  EXPECT_EQ(doc.statusText, "Click on the canvas to begin drawing!");
}

TEST(CanvasView, QuarterZoomRepaintCopiesTheCanvasRectangleUnderTheWindowRectangle) {
  EXPECT_EQ(zoomedSize(600, 0.25), 150);
  const ZoomCopy copy = zoomCopy({3, 3, 7, 7}, 0.25);
  EXPECT_EQ(copy.source, (IntRect{12, 12, 28, 28}));
  EXPECT_EQ(copy.target, (IntRect{3, 3, 7, 7}));
}

TEST(CanvasView, ZoomedCopyTruncatesAtEveryStep) {
  const ZoomCopy copy = zoomCopy({5, 7, 11, 8}, 3.0);
  EXPECT_EQ(copy.source, (IntRect{1, 2, 3, 2}));
  EXPECT_EQ(copy.target, (IntRect{3, 6, 9, 6}));
  EXPECT_EQ(kZoomItems.front().menuId, 1258);
  EXPECT_EQ(kZoomItems.back().caption, "400%");
}

// Every window pixel of an update rectangle is drawn, at every zoom, also when the
// rectangle is narrower than one canvas pixel or ends inside one.
TEST(CanvasView, TheCoveringCopyPaintsEveryPixelOfTheUpdateRectangle) {
  const uint32_t w = 150, h = 101;
  for (const ZoomItem& z : kZoomItems) {
    const int ww = zoomedSize(w, z.factor), wh = zoomedSize(h, z.factor);
    for (int left = 0; left < ww; left += 7)
      for (int width : {1, 2, 3, 5, 13}) {
        const IntRect u{left, (left * 3) % wh, std::min(left + width, ww), std::min((left * 3) % wh + width, wh)};
        const ZoomCopy c = zoomCover(u, z.factor, w, h);
        EXPECT_LE(c.target.left, u.left) << z.caption << " " << left << "+" << width;
        EXPECT_LE(c.target.top, u.top) << z.caption;
        EXPECT_GE(c.target.right, u.right) << z.caption << " " << left << "+" << width;
        EXPECT_GE(c.target.bottom, u.bottom) << z.caption;
        EXPECT_GE(c.source.left, 0);
        EXPECT_LE(c.source.right, int(w));
        EXPECT_LE(c.source.bottom, int(h));
        // Whole canvas pixels: the stretch keeps the zoom.
        EXPECT_EQ(c.target.width(), int(c.source.width() * z.factor)) << z.caption;
      }
  }
  // At 400 % a three-pixel strip inside one canvas pixel is that pixel.
  const ZoomCopy strip = zoomCover({401, 0, 404, 8}, 4.0, w, h);
  EXPECT_EQ(strip.source, (IntRect{100, 0, 101, 2}));
  EXPECT_EQ(strip.target, (IntRect{400, 0, 404, 8}));
}

}  // namespace
}  // namespace daubwell
