#pragma once
#include <string>
#include <vector>

#include "project/SceneImport.h"
#include "project/TKVXFile2.h"

namespace kelvane::cli {

// scene from-model MODEL OUT.png [--size WxH] [--camera NAME] [--fov RADIANS]
int SceneFromModelCommand(const std::vector<std::string>& args);
// project get-mask IN.kvx OBJ OUT.png: the object's mask as a grey picture
int ProjectGetMaskCommand(const std::vector<std::string>& args);
// project get-grid IN.kvx OBJ OUT.kvg [--second]
int ProjectGetGridCommand(const std::vector<std::string>& args);

// How `project new` imports a scene beside its picture: --group-by-materials on|off,
// --by-name yes|no and --use-old yes|no (the answers to the import's questions).
struct TSceneOptions {
  TSceneImportOptions Import;
  TSceneAnswers Answers;
};
// Takes those options out of the words; any other option is bad usage.
TSceneOptions TakeSceneOptions(std::vector<std::string>& words);
// Imports the scene when a ".kv" lies beside the picture, as opening it does.
void ImportSceneBesideOrFail(TKVXFile2& doc, const std::string& picturePath, TSceneOptions& options);

}  // namespace kelvane::cli
