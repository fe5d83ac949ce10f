#include "ImageCache.h"

#include <atomic>
#include <filesystem>
#include <vector>

#include "AtomicFile.h"
#include "BlockCodec.h"
#include "ByteReader.h"
#include "PictureReaders.h"

namespace daubwell {
namespace fs = std::filesystem;

bool writeJgi(const DisplaySurface& surface, const std::string& path, int level, bool grey) {
  const uint32_t w = surface.width(), h = surface.height();
  std::vector<uint8_t> out(12);
  putU32le(out.data(), uint32_t(level));
  putU32le(out.data() + 4, w);
  putU32le(out.data() + 8, h);
  std::vector<uint8_t> plane(size_t(w) * h);
  // Plane row r holds picture row h - 1 - r; blue, green, red for colour, red for grey.
  for (int channel : grey ? std::vector<int>{2} : std::vector<int>{0, 1, 2}) {
    for (uint32_t r = 0; r < h; ++r) {
      const uint8_t* src = surface.memoryRow(r);
      for (uint32_t x = 0; x < w; ++x) plane[size_t(r) * w + x] = src[size_t(x) * surface.bytesPerPixel() + channel];
    }
    encodePlane(out, plane, w, h, level);
  }
  return saveFileAtomically(path, out);
}

Status readJgi(DisplaySurface& surface, const std::string& path, bool grey) {
  auto bytes = readWholeFile(path);
  if (!bytes) return fail(bytes.error());
  return decodeJgi(surface, bytes.value(), grey);
}

Status decodeJgi(DisplaySurface& surface, std::span<const uint8_t> bytes, bool grey) {
  ByteReader in(bytes);
  auto level = in.i32le("level");
  auto width = in.i32le("width");
  auto height = in.i32le("height");
  if (!level || !width || !height) return fail("jgi header truncated");
  if (width.value() < 1 || height.value() < 1 || width.value() > 65535 || height.value() > 65535)
    return fail("jgi size out of range");
  const uint32_t w = uint32_t(width.value()), h = uint32_t(height.value());
  // Every 4 x 4 block takes at least 12 bits: a size the file cannot hold is refused
  // before the planes are allocated.
  const uint64_t blocks = uint64_t((w + 3) / 4) * ((h + 3) / 4);
  const int planes = grey ? 1 : 3;
  if (blocks * 12 / 8 * planes > in.remaining()) return fail("jgi planes truncated");
  std::vector<std::vector<uint8_t>> decoded(size_t(planes), std::vector<uint8_t>(size_t(w) * h));
  for (auto& plane : decoded)
    if (Status s = decodePlane(in, plane, w, h, level.value()); !s) return s;
  surface.create(w, h, true);
  for (uint32_t r = 0; r < h; ++r) {
    uint8_t* dst = surface.memoryRow(r);
    for (uint32_t x = 0; x < w; ++x, dst += 4) {
      const size_t i = size_t(r) * w + x;
      dst[0] = decoded[0][i];
      dst[1] = grey ? decoded[0][i] : decoded[1][i];
      dst[2] = grey ? decoded[0][i] : decoded[2][i];
    }
  }
  return Ok{};
}

bool loadBitmapFile(DisplaySurface& surface, const std::string& path, Messages& messages) {
  static std::atomic<bool> warned{false};
  surface.release();
  if (readPictureFile(surface, path).ok()) return true;
  surface.release();
  if (!warned.exchange(true)) messages.show("An image failed to load!", "Error", MessageIcon::Error);
  return false;
}

namespace {

bool loadCached(DisplaySurface& surface, const std::string& name, const ImageFolders& f, Messages& messages,
                bool grey) {
  const std::string cache = f.cacheDir + name + ".jgi", bitmap = f.bitmapDir + name + ".bmp";
  const std::string userCache = f.userCacheDir.empty() ? std::string() : f.userCacheDir + name + ".jgi";
  if (readJgi(surface, cache, grey).ok()) return true;
  if (!userCache.empty() && readJgi(surface, userCache, grey).ok()) return true;
  // No cache is written for a bitmap that did not load, so installing it later works.
  DisplaySurface picture;
  if (!loadBitmapFile(picture, bitmap, messages)) return false;
  // The program's folder may be read-only once installed: then the user's cache.
  std::error_code ec;
  fs::create_directories(f.cacheDir, ec);
  if (writeJgi(picture, cache, 3, grey)) return readJgi(surface, cache, grey).ok();
  if (userCache.empty()) return false;
  fs::create_directories(f.userCacheDir, ec);
  return writeJgi(picture, userCache, 3, grey) && readJgi(surface, userCache, grey).ok();
}

}  // namespace

bool loadGreyImage(DisplaySurface& surface, const std::string& name, const ImageFolders& folders, Messages& messages) {
  return loadCached(surface, name, folders, messages, true);
}

bool loadColourImage(DisplaySurface& surface, const std::string& name, const ImageFolders& folders,
                     Messages& messages) {
  return loadCached(surface, name, folders, messages, false);
}

}  // namespace daubwell
