#include "ProgramFolders.h"

#include <cstdio>
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

std::string listFolder() {
  const std::string beside = programFolder() + "data/";
  std::error_code ec;
  fs::create_directories(beside, ec);
  const fs::path probe = fs::path(beside) / ".write-test";
  if (std::FILE* f = std::fopen(probe.string().c_str(), "wb")) {
    std::fclose(f);
    fs::remove(probe, ec);
    return beside;
  }
  std::string user;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    user = std::string(xdg) + "/daubwell/";
  else if (const char* home = std::getenv("HOME"); home && *home)
    user = std::string(home) + "/.local/share/daubwell/";
  if (!user.empty()) fs::create_directories(user, ec);
  return user.empty() ? beside : user;
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
