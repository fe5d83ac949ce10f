#include "TempFiles.h"

#include "../raster/FileIO.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>

namespace kelvane {
namespace fs = std::filesystem;

std::string TempFolder() {
  if (const char* tmp = std::getenv("TMP"); tmp && *tmp) return tmp;
  std::error_code ec;
  const fs::path p = fs::temp_directory_path(ec);
  return ec ? std::string(".") : p.string();
}

std::string RandomTempName() { return RandomFileChars(8); }

std::string CreateTempFile(const std::string& extension) {
  const fs::path folder = TempFolder();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = (folder / (RandomTempName() + extension)).string();
    if (std::FILE* f = std::fopen(path.c_str(), "wbx")) {
      std::fclose(f);
      return path;
    }
  }
  return {};
}

namespace {

struct ExitFiles {
  std::mutex m;
  std::set<std::string> paths;
  ~ExitFiles() { removeAll(); }
  void removeAll() {
    std::lock_guard lock(m);
    std::error_code ec;
    for (const auto& p : paths) fs::remove(p, ec);
    paths.clear();
  }
};

ExitFiles& exitFiles() {
  static ExitFiles files;
  return files;
}

}  // namespace

void RegisterExitTempFile(const std::string& path) {
  std::lock_guard lock(exitFiles().m);
  exitFiles().paths.insert(path);
}

void ForgetExitTempFile(const std::string& path) {
  std::lock_guard lock(exitFiles().m);
  exitFiles().paths.erase(path);
}

void DeleteExitTempFiles() { exitFiles().removeAll(); }

}  // namespace kelvane
