#pragma once
#include <array>
#include <string>
#include <vector>

#include "../drape/OglRender.h"
#include "Services.h"

namespace kelvane {

// One entry of "Anti-aliasing Level:": its text and the pass count (-1: none).
struct TAALevel {
  const char* Text;
  int Passes;
};
inline constexpr std::array<TAALevel, 8> kAALevels = {{
    {"No Anti-aliasing", -1},
    {"2 Pass Antialiasing", 2},
    {"3 Pass Antialiasing", 3},
    {"4 Pass Antialiasing", 4},
    {"8 Pass Antialiasing (Optimal)", 8},
    {"15 Pass Antialiasing", 15},
    {"24 Pass Antialiasing", 24},
    {"66 Pass Antialiasing (Very Slow)", 66},
}};
// The pass count of an entry; out-of-range entries count as the default.
int PassesOfAALevel(int index);

// The options dialog's values and the menu checks that persist between runs.
struct TKVXOptions {
  int NodeSize = 3;                   // "Node Size:", 2..10
  bool ShowTextureWhenDrag = false;   // "Show texture when drag"
  int AALevel = 4;                    // "Anti-aliasing Level:" entry
  bool AutoRender = false;            // "Auto Render After Drag&&Drop"
  bool GroupByMaterials = true;       // "Group By Materials"
  std::vector<std::string> LibraryPaths;  // "Texture Library Paths:"
  std::string ActivePage = "Grid";    // the dialog's page
  bool AntialiasRender = true;        // "Antialiasing Render" (main window)
  bool Nearest = false;               // "Nearest" (not persisted)
  bool SharpenMode = false;           // "Sharpen mode" (not persisted)
  bool Smooth = false;                // "Smooth", beside "Nearest" and "Linear" (not persisted)
  bool ProjectiveCells = false;       // "Projective Cells" (not persisted)
  bool TextureAlpha = false;          // "Use Texture Transparency" (not persisted)

  // The render options these values make.
  TRenderOptions Render() const;
  // "Add Path...": adds the folder unless it is listed; returns whether it was added.
  bool AddLibraryPath(const std::string& folder);
  // "Delete": removes entry i when there is one.
  void DeleteLibraryPath(int i);

  // Under the property names of the settings store.
  void Load(TSettingsStore& store);
  void Save(TSettingsStore& store) const;
};

}  // namespace kelvane
