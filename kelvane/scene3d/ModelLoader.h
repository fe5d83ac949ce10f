#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "raster/Result.h"
#include "raster/TBitmap32.h"

// 3D models read through the model import library, flattened into world-space meshes,
// materials and cameras. The library runs in a child process: a broken model that makes
// it abort, crash, hang or eat memory ends that process, never the caller.
namespace kelvane {

using TVec3 = std::array<float, 3>;

struct TModelMaterial {
  std::string Name;
  TColor32 Diffuse = 0xFFFFFFFFu;
  TBitmap32 Texture;  // empty when it has none or it could not be read
};

// One mesh of one node: a single material's triangles, in world space.
struct TModelMesh {
  uint32_t Material = 0;
  std::vector<TVec3> Positions, Normals;
  std::vector<std::array<float, 2>> TexCoords;  // the first set, (0, 0) the texture's top left; may be empty
  std::vector<std::array<uint32_t, 3>> Triangles;
};

// A node with meshes: the model's "mesh", possibly of several materials.
struct TModelPart {
  std::string Name;
  std::vector<TModelMesh> Meshes;
};

// A camera in world space: where it is, where it looks, which way is up, and its
// horizontal angle in radians (the whole angle, as the library's importers give it).
struct TModelCamera {
  std::string Name;
  TVec3 Position{}, Direction{0, 0, -1}, Up{0, 1, 0};
  float HorizontalFov = 0;
};

struct TModel {
  std::vector<TModelMaterial> Materials;
  std::vector<TModelPart> Parts;
  std::vector<TModelCamera> Cameras;
  std::vector<std::string> Warnings;  // textures that could not be read
};

struct TModelLoadOptions {
  int TimeoutSeconds = 120;
  uint64_t MemoryLimit = uint64_t(4) << 30;  // of the reading process
};

// Reads the model in a child process. Fails with a message naming the file: what the
// library said, or that the reader crashed, ran out of time or sent damaged data.
Result<TModel> LoadModel(const std::string& path, const TModelLoadOptions& options = {});

// The child's answer, read back and checked like a file from outside (every count
// against the bytes left before anything is allocated). Texture files it names are read
// only when they are regular files of a sensible size.
Result<TModel> ReadModelMessage(std::span<const uint8_t> bytes, const std::string& modelPath);

}  // namespace kelvane
