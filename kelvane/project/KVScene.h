#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "../drape/KVXGridTools.h"
#include "../raster/ByteStream.h"
#include "../raster/FileIO.h"
#include "../raster/Result.h"

// The scene file (".kv") beside a rendered picture, and the grouped scene file (".gkv")
// of the same layout: f32 field of view, 2 x B blocks (B of the first mapping, then B of
// the second in the same part order), and an i32 2 x B as the file's last 4 bytes.
namespace kelvane {

// Three vertex indices and the sub-material the triangle belongs to (0..K-1).
struct TSceneTriangle {
  int32_t A = 0, B = 0, C = 0, Sub = 0;
  friend bool operator==(const TSceneTriangle&, const TSceneTriangle&) = default;
};
static_assert(sizeof(TSceneTriangle) == 16, "a triangle is a 16-byte record");

struct TSceneSubMaterial {
  std::string Name;  // at most 99 characters in the file
  int32_t Flag = 0;
  friend bool operator==(const TSceneSubMaterial&, const TSceneSubMaterial&) = default;
};

// One block: a material part's mesh in camera space (the camera at the origin looking
// along -Z, Y up), its name and sub-materials. Vertices are laid out as grid nodes.
struct TSceneBlock {
  std::vector<TMapNode> Vertices;
  std::vector<TSceneTriangle> Triangles;
  std::string Name;
  int32_t Flag = 0;
  std::vector<TSceneSubMaterial> SubMaterials;
  friend bool operator==(const TSceneBlock&, const TSceneBlock&) = default;
};

inline constexpr size_t kSceneNameSize = 100;
// The smallest block: V, T, name, flag and K with no records.
inline constexpr uint64_t kMinSceneBlockSize = 4 + 4 + kSceneNameSize + 4 + 4;
// The most parts (objects) a scene may make; identification colours are 24-bit numbers.
inline constexpr int64_t kMaxSceneParts = 100000;
// Parts share their block's vertices and triangles, and each part's mesh holds them all,
// so a hostile file could ask for far more than its size: an import or a grouping makes
// at most this many vertices and triangles in all.
inline constexpr uint64_t kMaxSceneRecords = uint64_t(1) << 25;

// Reads a scene file block by block. Every count is checked against what the file still
// holds before anything is allocated, and every vertex index against the block's vertex
// count; a read past the blocks (into the trailer) fails with a message naming the file
// and the field.
class TSceneReader {
public:
  static Result<TSceneReader> Open(const std::string& path);
  // The same over bytes in memory (named `name` in messages).
  static Result<TSceneReader> FromBytes(std::span<const uint8_t> bytes, const std::string& name = "scene");

  float FieldOfView() const { return fov_; }
  int32_t BlockCount() const { return blocks_; }  // B: blocks per mapping
  uint64_t Position() const { return pos_; }
  Status Seek(uint64_t position);

  // V, the vertices, T and the triangles.
  Status ReadMesh(TSceneBlock& block);
  // The name, the flag, K and the sub-material records.
  Status ReadTail(TSceneBlock& block);
  Status ReadBlock(TSceneBlock& block);

private:
  TSceneReader() = default;
  Status Init();
  Result<std::vector<uint8_t>> Read(uint64_t count, const char* what);
  Result<int32_t> Count(uint64_t recordSize, const char* what);

  std::shared_ptr<PositionedFile> file_;
  std::span<const uint8_t> memory_;
  std::string name_;
  uint64_t end_ = 0;  // where the trailer starts
  uint64_t pos_ = 0;
  float fov_ = 0;
  int32_t blocks_ = 0;
};

// A name field: zero-padded to 100 bytes, cut to 99 characters so the terminator stays.
void WriteSceneName(ByteWriter& out, const std::string& name);
void WriteSceneMesh(ByteWriter& out, std::span<const TMapNode> vertices, std::span<const TSceneTriangle> triangles);
void WriteSceneBlock(ByteWriter& out, const TSceneBlock& block);
// A whole scene file; both mappings must hold the same number of blocks.
std::vector<uint8_t> WriteScene(float fieldOfView, std::span<const TSceneBlock> first,
                                std::span<const TSceneBlock> second);

}  // namespace kelvane
