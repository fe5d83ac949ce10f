// Any bytes as a texture library: opened, every record read as the library window, the
// editor and a project's texture fetch would. Also the same bytes as a JPEG for the
// reduced decoding of thumbnails.
#include <unistd.h>

#include <string>

#include "raster/FileIO.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TTextureLibrary.h"
#include "texlib/Thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz-texlib-" + std::to_string(getpid()) + ".kvt";
  if (!kelvane::SaveFileAtomically(path, {data, size})) return 0;
  kelvane::TKVXLibView lib;
  if (lib.Open(path).ok()) {
    for (size_t i = 0; i < lib.Count() && i < 8; ++i) {
      (void)lib.LoadThumbnail(i);
      (void)lib.LoadTexture(i);
      if (auto r = lib.LoadRecord(i)) (void)kelvane::ProbePictureSize(r->Image, r->Format);
    }
    (void)kelvane::TTextureLibrary::Load(path);
  }
  (void)kelvane::DecodeForThumbnail({data, size}, "jpg");
  return 0;
}
