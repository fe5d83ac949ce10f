// Texture libraries and export, each beside its baseline in the same run:
// - thumbnails of a 200-picture folder in the background (the first shown, all shown),
//   beside decoding the same pictures whole;
// - creating a 50-texture library, beside reading the pictures' bytes and decoding them;
// - the JPEG size preview of 12 megapixels at quality 80, beside a plain libjpeg encode.
// The pictures are photographs of Debian's python3-skimage, enlarged to camera sizes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <jpeglib.h>

#include "output/ExportJpeg.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TTextureLibrary.h"
#include "texlib/TThumbnailer.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

const fs::path kPhotos = "/usr/lib/python3/dist-packages/skimage/data";
const fs::path kDir = fs::temp_directory_path() / "kelvane-bench-texlib";
const char* kNames[] = {"coffee.png", "chelsea.png", "astronaut.png", "motorcycle_left.png", "rocket.jpg",
                        "brick.png",  "grass.png",   "gravel.png",    "retina.jpg",          "hubble_deep_field.jpg"};

std::vector<TBitmap32> photos() {
  std::vector<TBitmap32> out;
  for (const char* name : kNames)
    if (auto p = LoadPicture((kPhotos / name).string()); p && p->Width() > 100) out.push_back(std::move(p.value()));
  return out;
}

TBitmap32 enlarged(const TBitmap32& p, int w, int h) {
  TBitmap32 copy = p;
  copy.StretchFilter = TStretchFilter::sfLinear;
  return copy.Resampled(w, h);
}

// 200 JPEGs of 2048 x 1536 (3 megapixels) at quality 90, made once.
const std::vector<std::string>& folderPictures() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> out;
    const fs::path folder = kDir / "folder";
    fs::create_directories(folder);
    const std::vector<TBitmap32> sources = photos();
    if (sources.empty()) return out;
    std::vector<std::vector<uint8_t>> jpegs;
    for (const TBitmap32& p : sources) jpegs.push_back(WriteJpeg(enlarged(p, 2048, 1536), 90).value());
    for (int i = 0; i < 200; ++i) {
      const std::string path = (folder / ("fabric" + std::to_string(1000 + i) + ".jpg")).string();
      if (!fs::exists(path)) (void)SaveFileAtomically(path, jpegs[size_t(i) % jpegs.size()]);
      out.push_back(path);
    }
    return out;
  }();
  return files;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_FolderThumbnails(benchmark::State& state) {
  if (folderPictures().empty()) return state.SkipWithError("python3-skimage's photographs are missing");
  const TTexLibNode node{TTexLibNodeKind::Folder, "folder", (kDir / "folder").string(), nullptr, {}};
  TThumbnailer thumbnailer;
  double first = 0, all = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    thumbnailer.Show(node);
    size_t shown = 0;
    while (shown < 200) {
      const size_t got = thumbnailer.Take().size();
      if (got && !shown) first += seconds(start);
      shown += got;
      if (thumbnailer.Finished() && !got) break;
      if (!got) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    all += seconds(start);
    state.SetIterationTime(seconds(start));
  }
  state.counters["first_ms"] = first * 1e3 / double(state.iterations());
  state.counters["all_ms"] = all * 1e3 / double(state.iterations());
}
BENCHMARK(BM_FolderThumbnails)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FolderDecodeWhole_Baseline(benchmark::State& state) {
  if (folderPictures().empty()) return state.SkipWithError("python3-skimage's photographs are missing");
  for (auto _ : state)
    for (const std::string& f : folderPictures()) benchmark::DoNotOptimize(LoadPicture(f)->Width());
}
BENCHMARK(BM_FolderDecodeWhole_Baseline)->Unit(benchmark::kMillisecond)->Iterations(1);

std::vector<std::string> fiftyPictures() {
  const auto& all = folderPictures();
  return {all.begin(), all.begin() + std::min<std::ptrdiff_t>(50, std::ptrdiff_t(all.size()))};
}

void setBytes(benchmark::State& state, const std::vector<std::string>& files) {
  double bytes = 0;
  for (const std::string& f : files) bytes += double(fs::file_size(f));
  state.SetBytesProcessed(int64_t(bytes) * int64_t(state.iterations()));
}

void BM_CreateLibrary50(benchmark::State& state) {
  const auto files = fiftyPictures();
  if (files.empty()) return state.SkipWithError("python3-skimage's photographs are missing");
  for (auto _ : state) {
    TTextureLibrary lib;
    benchmark::DoNotOptimize(lib.AddPictures(files).size());
    benchmark::DoNotOptimize(lib.Save((kDir / "fifty.kvt").string()).ok());
  }
  setBytes(state, files);
}
BENCHMARK(BM_CreateLibrary50)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadPictureBytes50_Baseline(benchmark::State& state) {
  const auto files = fiftyPictures();
  for (auto _ : state)
    for (const std::string& f : files) benchmark::DoNotOptimize(ReadFileBytes(f)->size());
  setBytes(state, files);
}
BENCHMARK(BM_ReadPictureBytes50_Baseline)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DecodePictures50_Baseline(benchmark::State& state) {
  const auto files = fiftyPictures();
  for (auto _ : state)
    for (const std::string& f : files) benchmark::DoNotOptimize(LoadPicture(f)->Width());
  setBytes(state, files);
}
BENCHMARK(BM_DecodePictures50_Baseline)->Unit(benchmark::kMillisecond)->Iterations(3);

const TBitmap32& twelveMegapixels() {
  static const TBitmap32 p = [] {
    auto coffee = LoadPicture((kPhotos / "coffee.png").string());
    return coffee ? enlarged(coffee.value(), 4000, 3000) : TBitmap32();
  }();
  return p;
}

void BM_JpegSizePreviewQ80_12MP(benchmark::State& state) {
  if (twelveMegapixels().Empty()) return state.SkipWithError("python3-skimage's photographs are missing");
  size_t size = 0;
  for (auto _ : state) size = EncodeJpeg(twelveMegapixels(), 80)->size();
  state.counters["bytes"] = double(size);
}
BENCHMARK(BM_JpegSizePreviewQ80_12MP)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_JpegPreviewWithDecodeQ80_12MP(benchmark::State& state) {
  if (twelveMegapixels().Empty()) return state.SkipWithError("python3-skimage's photographs are missing");
  for (auto _ : state) benchmark::DoNotOptimize(PreviewJpeg(twelveMegapixels(), 80)->Size);
}
BENCHMARK(BM_JpegPreviewWithDecodeQ80_12MP)->Unit(benchmark::kMillisecond)->MinTime(2);

// libjpeg on the same pixels as packed RGB rows, made before the clock starts.
void BM_PlainLibjpegEncodeQ80_12MP_Baseline(benchmark::State& state) {
  const TBitmap32& p = twelveMegapixels();
  if (p.Empty()) return state.SkipWithError("python3-skimage's photographs are missing");
  std::vector<uint8_t> rgb(size_t(p.Width()) * p.Height() * 3);
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) {
      const TColor32 c = p.Pixel(x, y);
      uint8_t* d = &rgb[(size_t(y) * p.Width() + x) * 3];
      d[0] = RedComponent(c), d[1] = GreenComponent(c), d[2] = BlueComponent(c);
    }
  size_t size = 0;
  for (auto _ : state) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long bytes = 0;
    jpeg_mem_dest(&cinfo, &buffer, &bytes);
    cinfo.image_width = JDIMENSION(p.Width());
    cinfo.image_height = JDIMENSION(p.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 80, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = &rgb[size_t(cinfo.next_scanline) * p.Width() * 3];
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    size = bytes;
    std::free(buffer);
  }
  state.counters["bytes"] = double(size);
}
BENCHMARK(BM_PlainLibjpegEncodeQ80_12MP_Baseline)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
}  // namespace kelvane
