// Any bytes as a scene file: every block of both mappings read, the grouped file built
// from it, and the import into a small picture's document. Also the same bytes as the
// model reader's answer.
#include <unistd.h>

#include <string>

#include "project/GroupedScene.h"
#include "project/KVScene.h"
#include "project/SceneImport.h"
#include "raster/FileIO.h"
#include "scene3d/ModelLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelvane;
  if (auto r = TSceneReader::FromBytes({data, size})) {
    TSceneBlock block;
    for (int i = 0; i < 2 * r->BlockCount() && r->ReadBlock(block).ok(); ++i) {
    }
  }
  static const std::string path = "/tmp/fuzz-scene-" + std::to_string(getpid()) + ".kv";
  if (WriteFileBytes(path, {data, size}).ok()) {
    for (bool grouping : {false, true}) {
      TKVXFile2 doc;
      doc.Width = 24;
      doc.Height = 16;
      TSceneAnswers answers;
      answers.UseOld = false;
      answers.ByName = size % 2 == 0;
      (void)ImportScene(doc, path, {.GroupByMaterials = grouping}, answers);
    }
  }
  (void)ReadModelMessage({data, size}, "fuzz");
  return 0;
}
