#include "TexLibRoots.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "TKVXLibView.h"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

struct Settings {
  std::mutex mutex;
  std::string texLibFolder;
  std::vector<std::string> paths;
};

Settings& settings() {
  static Settings s;
  return s;
}

// Sub-folders searched below each place, and how many entries at most: a library in a
// folder the window browsed is found again without walking a whole disk.
constexpr int kSearchDepth = 3;
constexpr int kSearchEntries = 20000;

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> searchPlaces() {
  std::vector<std::string> places = {TexLibFolder()};
  for (const std::string& p : LibraryPaths()) places.push_back(p);
  places.push_back(UserTexLibFolder());
  return places;
}

std::string findBelow(const fs::path& place, const std::string& name) {
  const std::string wanted = lower(name);
  std::error_code ec;
  int seen = 0;
  for (fs::recursive_directory_iterator it(place, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end && seen < kSearchEntries; it.increment(ec), ++seen) {
    if (it.depth() >= kSearchDepth) it.disable_recursion_pending();
    std::error_code fileEc;
    if (lower(it->path().filename().string()) == wanted && it->is_regular_file(fileEc)) return it->path().string();
  }
  return {};
}

}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return RootPath((ec ? fs::current_path() : exe.parent_path()).string());
}

std::string TexLibFolder() {
  {
    std::lock_guard lock(settings().mutex);
    if (!settings().texLibFolder.empty()) return RootPath(settings().texLibFolder);
  }
  return (fs::path(ProgramFolder()) / "texlib").string();
}

void SetTexLibFolder(const std::string& folder) {
  std::lock_guard lock(settings().mutex);
  settings().texLibFolder = folder;
}

std::string UserTexLibFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return (fs::path(data) / "kelvane" / "texlib").string();
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : "/") / ".local" / "share" / "kelvane" / "texlib").string();
}

std::vector<std::string> LibraryPaths() {
  std::lock_guard lock(settings().mutex);
  return settings().paths;
}

void SetLibraryPaths(std::vector<std::string> paths) {
  std::vector<std::string> kept;
  for (const std::string& p : paths) AddLibraryPath(kept, p);
  std::lock_guard lock(settings().mutex);
  settings().paths = std::move(kept);
}

std::string RootPath(const std::string& folder) {
  std::string p = folder;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  return p;
}

bool AddLibraryPath(std::vector<std::string>& paths, const std::string& folder) {
  const std::string p = RootPath(folder);
  if (p.empty() || std::find(paths.begin(), paths.end(), p) != paths.end()) return false;
  paths.push_back(p);
  return true;
}

std::vector<std::string> LibraryRoots() {
  std::vector<std::string> roots;
  AddLibraryPath(roots, ProgramFolder());
  for (const std::string& p : LibraryPaths()) AddLibraryPath(roots, p);
  AddLibraryPath(roots, UserTexLibFolder());
  return roots;
}

Result<std::string> FindLibrary(const std::string& name) {
  // The name comes from a project file: a file name, never a way out of the folders.
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
    return fail("\"" + name + "\" is not a library file name");
  const std::vector<std::string> places = searchPlaces();
  std::error_code ec;
  for (const std::string& place : places) {
    const fs::path candidate = fs::path(place) / name;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  for (const std::string& place : places)
    if (std::string found = findBelow(place, name); !found.empty()) return found;
  std::string where;
  for (const std::string& place : places) where += (where.empty() ? "" : ", ") + place;
  return fail("not found in " + where);
}

Result<TBitmap32> FetchLibraryTexture(const std::string& name, int32_t index) {
  const std::string what = "Cannot read texture " + std::to_string(index) + " of the texture library \"" + name + "\": ";
  auto path = FindLibrary(name);
  if (!path) return fail(what + path.error());
  TKVXLibView lib;
  if (Status s = lib.Open(path.value()); !s) return fail(what + s.error());
  if (index < 0 || size_t(index) >= lib.Count())
    return fail(what + "the library has " + std::to_string(lib.Count()) + " textures");
  auto texture = lib.LoadTexture(size_t(index));
  if (!texture) return fail(what + texture.error());
  if (texture->Empty()) {
    auto format = lib.LoadFormat(size_t(index));
    return fail(what + "it is stored as \"" + (format ? format.value() : "") + "\", a format this program cannot read");
  }
  return texture;
}

}  // namespace kelvane
