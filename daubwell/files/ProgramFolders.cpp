#include "ProgramFolders.h"

#include <cstdlib>
#include <filesystem>

namespace daubwell {
namespace fs = std::filesystem;

std::string programFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const fs::path dir = ec ? fs::current_path(ec) : exe.parent_path();
  return dir.string() + "/";
}

std::string userCacheFolder() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) return std::string(xdg) + "/daubwell/";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.cache/daubwell/";
  return {};
}

ImageFolders styleFolders() {
  return {programFolder() + "WorkData/Styles/", programFolder() + "data/", userCacheFolder()};
}

ImageFolders textureFolders() {
  return {programFolder() + "WorkData/Textures/", programFolder() + "data/", userCacheFolder()};
}

void loadPatternImages(PatternImages& patterns, Messages& messages) {
  const ImageFolders styles = styleFolders(), textures = textureFolders();
  for (int n = 0; n < kPatternCount; ++n) {
    loadGreyImage(patterns.style[size_t(n)], "paint" + std::to_string(n), styles, messages);
    loadGreyImage(patterns.texture[size_t(n)], "bump" + std::to_string(n), textures, messages);
  }
}

}  // namespace daubwell
