#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// Where texture libraries live. The library window shows the roots in this order: the
// program's folder, the options' library paths, the user's data folder (an installed
// program's folder is read-only). A project names a library by file name only; it is
// looked for in "texlib" beside the program first, then in the paths and the data folder.

// The folder that holds the running program.
std::string ProgramFolder();
// "texlib" beside the program, or the folder given to SetTexLibFolder (tests, portable
// installs; "" goes back to the default).
std::string TexLibFolder();
void SetTexLibFolder(const std::string& folder);
// $XDG_DATA_HOME/kelvane/texlib, or ~/.local/share/kelvane/texlib.
std::string UserTexLibFolder();

// The options' "Texture Library Paths:", as the application last set them.
std::vector<std::string> LibraryPaths();
void SetLibraryPaths(std::vector<std::string> paths);
// A folder as the roots keep it: no trailing separator.
std::string RootPath(const std::string& folder);
// Appends the folder unless the list has it already; false when nothing changed.
bool AddLibraryPath(std::vector<std::string>& paths, const std::string& folder);
// The library window's roots: the program's folder, the library paths, the data folder,
// each once.
std::vector<std::string> LibraryRoots();

// The library file of that name, looked for in "texlib" beside the program, the library
// paths and the data folder, then in their sub-folders (a few levels down).
Result<std::string> FindLibrary(const std::string& name);
// Texture `index` of the library of that name; the failure names the library and the
// texture ("Cannot read texture 1 of the texture library \"fabrics.kvt\": ...").
Result<TBitmap32> FetchLibraryTexture(const std::string& name, int32_t index);

}  // namespace kelvane
