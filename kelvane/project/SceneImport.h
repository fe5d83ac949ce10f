#pragma once
#include <string>

#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "TKVXFile2.h"

// The scene import: a picture rendered from a 3D scene, with its scene file beside it,
// becomes one object per material part (or group of parts), each with the mask of the
// pixels where it is visible and two grids of its mesh.
namespace kelvane {

inline constexpr const char* kGroupByNamesQuestion = "Grouping by Material names?";
inline constexpr const char* kUseOldGroupedQuestion = "Kelvane Find Old Grouped File.\r\nUse Old File?";

// The questions of an import, answered Yes (true) or No. The application shows them in
// its prompt window; the command line answers from its options.
struct TSceneQuestions {
  virtual ~TSceneQuestions() = default;
  virtual bool Ask(const std::string& text) = 0;
};

// Fixed answers, by the question's text.
struct TSceneAnswers final : TSceneQuestions {
  bool ByName = true;  // "Grouping by Material names?"
  bool UseOld = true;  // "Kelvane Find Old Grouped File. Use Old File?"
  bool Ask(const std::string& text) override;
};

struct TSceneImportOptions {
  bool GroupByMaterials = true;  // the option "Group By Materials"
};

// The scene file of a picture: its path with the extension ".kv"; "" when there is none.
std::string SceneFileBeside(const std::string& picturePath);

// Imports the scene at kvPath into a document whose picture is loaded (its width and
// height set). With grouping, the parts are grouped into the ".gkv" file beside the
// scene first (or an old one is used) and read from there. The document's objects are
// replaced by the scene's visible parts; the grids and masks are swapped out as soon as
// they are built. On a failure the document keeps the objects it had.
Status ImportScene(TKVXFile2& doc, const std::string& kvPath, const TSceneImportOptions& options,
                   TSceneQuestions& questions, TProgress* progress = nullptr);

}  // namespace kelvane
