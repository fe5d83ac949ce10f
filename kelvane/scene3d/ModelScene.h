#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ModelLoader.h"
#include "project/KVScene.h"
#include "raster/Result.h"
#include "raster/TBitmap32.h"

// A 3D model turned into what a rendering package would hand over: a shaded picture
// and its scene (".kv") with one block per part of the model.
namespace kelvane {

struct TModelSceneOptions {
  int Width = 1200, Height = 900;
  std::string Camera;                // a camera of the model by name; "" for its first
  std::optional<float> FieldOfView;  // radians across the square view; else the camera's
};

struct TModelScene {
  TBitmap32 Picture;
  float FieldOfView = 0;
  std::vector<TSceneBlock> First, Second;  // the model's texture coordinates; a box mapping
};

inline constexpr float kDefaultModelFov = 0.8f;

// The scene seen from the model's camera (the named one, else its first), or from the
// front when it has none: looking along -Z with the whole model in view. A part is one
// node's meshes: one material gives a block named after it; several give a block named
// after the node with one sub-material (flag 1) per material.
Result<TModelScene> MakeModelScene(const TModel& model, const TModelSceneOptions& options);

// LoadModel, MakeModelScene, then the picture at picturePath and its scene beside it
// (the same path with ".kv"). Warnings about textures are added to `warnings`.
Status WriteModelScene(const std::string& modelPath, const std::string& picturePath, const TModelSceneOptions& options,
                       std::vector<std::string>* warnings = nullptr);

}  // namespace kelvane
