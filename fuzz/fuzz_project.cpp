// Any bytes as a project file: opened, then every item of every object used, as a
// document window would. Also the same bytes as a texture library.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "project/TKVXFile2.h"
#include "raster/FileIO.h"
#include "texlib/TKVXLibView.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz-project-" + std::to_string(getpid()) + ".kvx";
  if (!kelvane::SaveFileAtomically(path, {data, size})) return 0;
  kelvane::TKVXFile2 doc;
  if (doc.LoadFromFile(path).ok())
    for (int i = 0; i <= doc.HighIndex() && i < 8; ++i) (void)doc.GetObjectView(i);
  (void)kelvane::ReadProjectResultImage({data, size});
  kelvane::TKVXLibView lib;
  if (lib.Open(path).ok()) {
    (void)lib.LoadThumbnails();
    (void)lib.LoadTexture(0);
  }
  return 0;
}
