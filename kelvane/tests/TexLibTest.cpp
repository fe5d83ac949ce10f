#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/ScaledJpeg.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TTextureLibrary.h"
#include "texlib/TextureList.h"
#include "texlib/Thumbnail.h"

namespace kelvane {
namespace {

std::string saved(const test::TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  EXPECT_TRUE(SaveFileAtomically(dir.file(name), bytes).ok());
  return dir.file(name);
}

void putI64(std::vector<uint8_t>& b, size_t at, int64_t v) { std::memcpy(b.data() + at, &v, 8); }

// Two textures: a PNG and a JPEG stored under the four-character "jpeg".
std::vector<uint8_t> twoTextures() {
  const TBitmap32 a = test::gradient(8, 8), b = test::gradient(12, 6);
  return WriteTextureLibrary({{"png", WritePng(a).value()}, {"jpeg", WriteJpeg(b, 95).value()}}, {a, b});
}

TEST(TexLib, EmptyLibraryHasNoThumbnailsAndAnEmptyIndex) {
  test::TempDir dir;
  const auto bytes = WriteTextureLibrary(std::vector<TLibraryRecord>{});
  ASSERT_EQ(bytes.size(), 10u);  // signature and N = 0, no index entries
  EXPECT_EQ(std::memcmp(bytes.data(), kLibrarySignature, 6), 0);
  TKVXLibView lib;
  ASSERT_TRUE(lib.Open(saved(dir, "e.kvt", bytes)).ok());
  EXPECT_EQ(lib.Count(), 0u);
  EXPECT_TRUE(lib.LoadThumbnails()->empty());
}

TEST(TexLib, TexturesAreFoundThroughTheIndexWhateverTheRecordOrder) {
  test::TempDir dir;
  auto bytes = twoTextures();
  // Swap the two index entries: texture 0 is now the second record.
  int64_t first, second;
  std::memcpy(&first, bytes.data() + bytes.size() - 16, 8);
  std::memcpy(&second, bytes.data() + bytes.size() - 8, 8);
  putI64(bytes, bytes.size() - 16, second);
  putI64(bytes, bytes.size() - 8, first);
  TKVXLibView lib;
  ASSERT_TRUE(lib.Open(saved(dir, "l.kvt", bytes)).ok());
  auto t0 = lib.LoadTexture(0);
  ASSERT_TRUE(t0.ok()) << t0.error();
  EXPECT_EQ(t0->Width(), 12);
  EXPECT_EQ(lib.LoadFormat(0).value(), "jpeg");  // all four bytes, no zero
  auto t1 = lib.LoadTexture(1);
  ASSERT_TRUE(t1.ok());
  EXPECT_EQ(t1->Pixel(3, 3), test::gradient(8, 8).Pixel(3, 3));
  // The first record's picture ends where the second record starts.
  EXPECT_EQ(lib.LoadRecord(1)->Image, WritePng(test::gradient(8, 8)).value());
  EXPECT_FALSE(lib.LoadTexture(2).ok());
}

TEST(TexLib, DamagedLibrariesAreRefusedWhenOpened) {
  test::TempDir dir;
  const auto good = twoTextures();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"shorter than its count", {'K', 'V', 'X', 'L', 'I', 'B', 1, 0}});
  cases.push_back({"N larger than the file", {'K', 'V', 'X', 'L', 'I', 'B', 0xFF, 0xFF, 0xFF, 0x0F}});
  auto cut = good;
  cut.resize(cut.size() - 5);  // the index is cut short: its entries point anywhere
  cases.push_back({"truncated index", cut});
  auto past = good;
  putI64(past, past.size() - 8, int64_t(past.size()) + 100);
  cases.push_back({"offset past the end", past});
  auto negative = good;
  putI64(negative, negative.size() - 8, -30054);  // would wrap to offset 0 unchecked
  cases.push_back({"negative offset", negative});
  auto intoIndex = good;
  putI64(intoIndex, intoIndex.size() - 8, int64_t(intoIndex.size()) - 16 - 100);
  cases.push_back({"record running into the index", intoIndex});
  for (const Case& c : cases) {
    TKVXLibView lib;
    Status s = lib.Open(saved(dir, "bad.kvt", c.bytes));
    ASSERT_FALSE(s.ok()) << c.what;
    EXPECT_NE(s.error().find(dir.file("bad.kvt")), std::string::npos) << c.what << ": " << s.error();
    EXPECT_FALSE(lib.IsOpen());
  }
  TKVXLibView lib;
  EXPECT_FALSE(lib.Open(dir.file("none.kvt")).ok());
}

TEST(TexLib, EveryTruncationAndByteFlipFailsCleanlyOrReads) {
  test::TempDir dir;
  const auto good = twoTextures();
  for (size_t n = 0; n < good.size(); n += 97) {
    TKVXLibView lib;
    if (!lib.Open(saved(dir, "cut.kvt", {good.begin(), good.begin() + std::ptrdiff_t(n)})).ok()) continue;
    for (size_t i = 0; i < lib.Count(); ++i) (void)lib.LoadTexture(i);
  }
  for (size_t at : {size_t(7), size_t(9), good.size() - 1, good.size() - 9, size_t(30060), size_t(30070)}) {
    auto flipped = good;
    flipped[at] ^= 0xA5;
    TKVXLibView lib;
    if (!lib.Open(saved(dir, "flip.kvt", flipped)).ok()) continue;
    for (size_t i = 0; i < lib.Count(); ++i) {
      (void)lib.LoadTexture(i);
      (void)lib.LoadThumbnail(i);
    }
  }
}

TEST(TexLib, UnknownFormatsGiveNoTexture) {
  test::TempDir dir;
  TKVXLibView lib;
  ASSERT_TRUE(lib.Open(saved(dir, "u.kvt", WriteTextureLibrary({{"xyz", {1, 2, 3}}}, {test::gradient(4, 4)}))).ok());
  EXPECT_TRUE(lib.LoadTexture(0)->Empty());
}

TEST(Thumbnail, BandsKeepTheProportionsCentred) {
  EXPECT_EQ(ThumbnailRect(200, 100), (TRect{0, 25, 100, 75}));
  EXPECT_EQ(ThumbnailRect(100, 200), (TRect{25, 0, 75, 100}));
  EXPECT_EQ(ThumbnailRect(640, 640), (TRect{0, 0, 100, 100}));
  EXPECT_EQ(ThumbnailRect(3, 2), (TRect{0, 17, 100, 84}));    // c = round(66.67) = 67
  EXPECT_EQ(ThumbnailRect(8, 1), (TRect{0, 44, 100, 56}));    // c = round(12.5) = 12, halves to even
  EXPECT_EQ(ThumbnailRect(1, 8), (TRect{44, 0, 56, 100}));
  EXPECT_TRUE(ThumbnailRect(0, 5).Empty());
}

TEST(Thumbnail, PicturesAreAveragedIntoTheBandOnWhite) {
  // A 200 x 100 picture, left half black, right half red, the red half's top row
  // see-through: the band is y = 25..75, white elsewhere.
  TBitmap32 p(200, 100, Color32(0, 0, 0));
  p.FillRect({100, 0, 200, 100}, Color32(255, 0, 0));
  p.FillRect({100, 0, 200, 2}, 0x00000000u);
  const TBitmap32 t = MakeThumbnail(p);
  ASSERT_EQ(t.Width(), 100);
  EXPECT_EQ(t.Pixel(10, 24), 0xFFFFFFFFu);
  EXPECT_EQ(t.Pixel(10, 75), 0xFFFFFFFFu);
  EXPECT_EQ(t.Pixel(10, 25), Color32(0, 0, 0));
  EXPECT_EQ(t.Pixel(80, 50), Color32(255, 0, 0));
  EXPECT_EQ(t.Pixel(80, 25), Color32(255, 255, 255));  // both source rows see-through
  EXPECT_EQ(t.Pixel(49, 50), Color32(0, 0, 0));          // no bleeding across the edge
  // Enlarging a tiny picture keeps its pixels.
  const TBitmap32 tiny = MakeThumbnail(test::gradient(2, 2));
  EXPECT_EQ(tiny.Pixel(10, 10), test::gradient(2, 2).Pixel(0, 0));
  EXPECT_EQ(tiny.Pixel(90, 90), test::gradient(2, 2).Pixel(1, 1));
}

TEST(Thumbnail, JpegsAreDecodedReducedButCoverTheBand) {
  TBitmap32 big(1600, 900, Color32(40, 90, 200));
  const auto jpeg = WriteJpeg(big, 90).value();
  auto reduced = ReadJpegReduced(jpeg, kThumbnailSide);
  ASSERT_TRUE(reduced.ok()) << reduced.error();
  EXPECT_EQ(reduced->Width(), 200);  // 1/8
  EXPECT_EQ(reduced->Height(), 113);
  EXPECT_EQ(ReadJpegReduced(jpeg, 800)->Width(), 800);  // 1/2
  const uint32_t c = reduced->Pixel(100, 50);
  EXPECT_NEAR(RedComponent(c), 40, 3);
  EXPECT_NEAR(BlueComponent(c), 200, 3);
  EXPECT_EQ(AlphaComponent(c), 255);
  EXPECT_EQ(ReadJpegSize(jpeg).value(), (std::pair{1600, 900}));
  // A cut JPEG is left to the full reader.
  EXPECT_FALSE(ReadJpegReduced({jpeg.data(), jpeg.size() / 2}, kThumbnailSide).ok());
}

TEST(Thumbnail, PictureSizesComeFromTheHeaders) {
  const TBitmap32 p = test::gradient(7, 5);
  EXPECT_EQ(ProbePictureSize(WritePng(p).value(), "png")->Width, 7);
  EXPECT_EQ(ProbePictureSize(WriteBmp(p, 24), "BMP")->Height, 5);
  EXPECT_EQ(ProbePictureSize(WriteJpeg(p, 80).value(), "jpeg")->Width, 7);
  EXPECT_FALSE(ProbePictureSize({}, "png").ok());
  EXPECT_FALSE(ProbePictureSize(WritePng(p).value(), "xyz").ok());
}

TEST(TextureLibrary, WrittenAndReadBackGivesTheSameFilesByteForByte) {
  test::TempDir dir;
  const std::vector<uint8_t> png = WritePng(test::gradient(30, 10)).value();
  const std::vector<uint8_t> jpg = WriteJpeg(test::gradient(10, 30), 70).value();
  ASSERT_TRUE(SaveFileAtomically(dir.file("a.PNG"), png).ok());
  ASSERT_TRUE(SaveFileAtomically(dir.file("b.jpg"), jpg).ok());
  TTextureLibrary lib;
  EXPECT_TRUE(lib.AddPictures({dir.file("a.PNG"), dir.file("b.jpg")}).empty());
  ASSERT_TRUE(lib.Save(dir.file("out.kvt")).ok());
  TKVXLibView view;
  ASSERT_TRUE(view.Open(dir.file("out.kvt")).ok());
  ASSERT_EQ(view.Count(), 2u);
  EXPECT_EQ(view.LoadRecord(0)->Image, png);
  EXPECT_EQ(view.LoadRecord(0)->Format, "png");
  EXPECT_EQ(view.LoadRecord(1)->Image, jpg);
  const TBitmap32 thumb = view.LoadThumbnail(0).value();
  EXPECT_EQ(thumb.Pixel(50, 10), 0xFFFFFFFFu);  // a 30 x 10 picture: band y = 34..67
  EXPECT_NE(thumb.Pixel(50, 50), 0xFFFFFFFFu);
  EXPECT_EQ(view.LoadRecord(0)->Thumbnail.size(), kThumbnailBytes);
  // Loading and saving again changes nothing.
  ASSERT_TRUE(TTextureLibrary::Load(dir.file("out.kvt"))->Save(dir.file("again.kvt")).ok());
  EXPECT_EQ(ReadFileBytes(dir.file("again.kvt")).value(), ReadFileBytes(dir.file("out.kvt")).value());
}

TEST(TextureLibrary, EditingAddsFoldersRemovesAndReorders) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("pics/sub"));
  for (const char* name : {"pics/c.bmp", "pics/a.png", "pics/sub/z.png"})
    ASSERT_TRUE(SaveFileAtomically(dir.file(name), WritePng(test::gradient(4, 4)).value()).ok());
  ASSERT_TRUE(SaveFileAtomically(dir.file("pics/b.png"), std::vector<uint8_t>{'n', 'o'}).ok());
  ASSERT_TRUE(SaveFileAtomically(dir.file("pics/notes.txt"), std::vector<uint8_t>{'x'}).ok());
  TTextureLibrary lib;
  const auto failures = lib.AddPictures({dir.file("pics")});
  // The folder's pictures by name, not its sub-folder; the damaged one is named.
  ASSERT_EQ(failures.size(), 2u);  // b.png does not decode, c.bmp holds a PNG
  EXPECT_NE(failures[0].find("b.png"), std::string::npos);
  ASSERT_EQ(lib.Count(), 1u);
  ASSERT_TRUE(lib.Add("JPG", WriteJpeg(test::gradient(5, 5), 90).value()).ok());
  EXPECT_EQ(lib.Records()[1].Format, "jpg");
  EXPECT_FALSE(lib.Add("tiff5", WritePng(test::gradient(2, 2)).value()).ok());
  EXPECT_FALSE(lib.Add("png", {1, 2, 3}).ok());
  ASSERT_TRUE(lib.Move(1, 0).ok());
  EXPECT_EQ(lib.Records()[0].Format, "jpg");
  EXPECT_FALSE(lib.Move(0, 2).ok());
  EXPECT_FALSE(lib.Remove(2).ok());
  ASSERT_TRUE(lib.Remove(0).ok());
  EXPECT_EQ(lib.Records()[0].Format, "png");
}

TEST(TextureLibrary, CancellingKeepsWhatWasMade) {
  test::TempDir dir;
  ASSERT_TRUE(SaveFileAtomically(dir.file("a.png"), WritePng(test::gradient(4, 4)).value()).ok());
  std::atomic<bool> cancel{true};
  TTextureLibrary lib;
  EXPECT_TRUE(lib.AddPictures({dir.file("a.png"), dir.file("a.png")}, nullptr, &cancel).empty());
  EXPECT_EQ(lib.Count(), 0u);
}

TEST(TextureList, KeepsReadablePicturesInOrderAndRoundTrips) {
  const auto paths = ReadTextureList("[OTHER]\na=/x/skip.png\n[FILES]\n1=/t/b.jpg\r\n2=/t/c.doc\n3=/t/a.PNG\n");
  EXPECT_EQ(paths, (std::vector<std::string>{"/t/b.jpg", "/t/a.PNG"}));
  EXPECT_EQ(ReadTextureList(WriteTextureList(paths)), paths);
  test::TempDir dir;
  ASSERT_TRUE(SaveTextureList(dir.file("l.kvp"), paths).ok());
  EXPECT_EQ(LoadTextureList(dir.file("l.kvp")).value(), paths);
  EXPECT_FALSE(SaveTextureList(dir.file("bad.kvp"), {"/t/a.png\n[OTHER]"}).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.kvp")));
}

}  // namespace
}  // namespace kelvane
