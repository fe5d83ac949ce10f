// daubwell-patterns OUTDIR: writes the installed pattern images, OUTDIR/Styles/paintN.bmp
// and OUTDIR/Textures/bumpN.bmp for N = 0..17.
#include <cstdio>
#include <filesystem>
#include <string>

#include "PatternGenerator.h"
#include "files/BmpWriter.h"
#include "tools/PatternImages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: daubwell-patterns OUTDIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out / "Styles");
  std::filesystem::create_directories(out / "Textures");
  for (int n = 0; n < daubwell::kPatternCount; ++n) {
    const std::string style = (out / "Styles" / ("paint" + std::to_string(n) + ".bmp")).string();
    const std::string texture = (out / "Textures" / ("bump" + std::to_string(n) + ".bmp")).string();
    if (!daubwell::writeBmp(daubwell::makeStylePattern(n), style) ||
        !daubwell::writeBmp(daubwell::makeTexturePattern(n), texture)) {
      std::fprintf(stderr, "daubwell-patterns: cannot write into %s\n", argv[1]);
      return 1;
    }
  }
  return 0;
}
