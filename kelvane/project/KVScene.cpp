#include "KVScene.h"

#include <cstring>

namespace kelvane {

Result<TSceneReader> TSceneReader::Open(const std::string& path) {
  auto f = PositionedFile::Open(path);
  if (!f) return fail(f.error());
  TSceneReader r;
  r.file_ = f.value();
  r.name_ = path;
  if (Status s = r.Init(); !s) return fail(s.error());
  return r;
}

Result<TSceneReader> TSceneReader::FromBytes(std::span<const uint8_t> bytes, const std::string& name) {
  TSceneReader r;
  r.memory_ = bytes;
  r.name_ = name;
  if (Status s = r.Init(); !s) return fail(s.error());
  return r;
}

Status TSceneReader::Init() {
  const uint64_t size = file_ ? file_->Size() : memory_.size();
  if (size < 8) return fail("Scene file " + name_ + ": too short (" + std::to_string(size) + " bytes)");
  end_ = size;  // the trailer is read first, then kept out of reach
  pos_ = size - 4;
  auto trailer = Read(4, "block count");
  if (!trailer) return fail(trailer.error());
  int32_t twice;
  std::memcpy(&twice, trailer->data(), 4);
  end_ = size - 4;
  pos_ = 0;
  auto fov = Read(4, "field of view");
  if (!fov) return fail(fov.error());
  std::memcpy(&fov_, fov->data(), 4);
  blocks_ = twice / 2;
  if (blocks_ < 0 || uint64_t(blocks_) * 2 * kMinSceneBlockSize > end_ - pos_)
    return fail("Scene file " + name_ + ": " + std::to_string(twice) + " blocks do not fit in the file");
  return Ok{};
}

Status TSceneReader::Seek(uint64_t position) {
  if (position > end_)
    return fail("Scene file " + name_ + ": position " + std::to_string(position) + " is past the end");
  pos_ = position;
  return Ok{};
}

Result<std::vector<uint8_t>> TSceneReader::Read(uint64_t count, const char* what) {
  if (count > end_ - pos_)
    return fail("Scene file " + name_ + ": " + what + " truncated at offset " + std::to_string(pos_));
  std::vector<uint8_t> out;
  if (file_) {
    auto b = file_->ReadAt(pos_, count);
    if (!b) return fail("Scene file " + name_ + ": " + b.error());
    out = std::move(b.value());
  } else {
    out.assign(memory_.begin() + std::ptrdiff_t(pos_), memory_.begin() + std::ptrdiff_t(pos_ + count));
  }
  pos_ += count;
  return out;
}

// A count of records of `recordSize` bytes that must all lie in what is left.
Result<int32_t> TSceneReader::Count(uint64_t recordSize, const char* what) {
  auto b = Read(4, what);
  if (!b) return fail(b.error());
  int32_t n;
  std::memcpy(&n, b->data(), 4);
  if (n < 0 || uint64_t(n) * recordSize > end_ - pos_)
    return fail("Scene file " + name_ + ": " + what + " " + std::to_string(n) + " at offset " +
                std::to_string(pos_ - 4) + " does not fit in the file");
  return n;
}

Status TSceneReader::ReadMesh(TSceneBlock& block) {
  auto v = Count(sizeof(TMapNode), "vertex count");
  if (!v) return fail(v.error());
  auto vertices = Read(uint64_t(*v) * sizeof(TMapNode), "vertices");
  if (!vertices) return fail(vertices.error());
  block.Vertices.resize(size_t(*v));
  if (*v) std::memcpy(block.Vertices.data(), vertices->data(), vertices->size());

  auto t = Count(sizeof(TSceneTriangle), "triangle count");
  if (!t) return fail(t.error());
  const uint64_t at = pos_;
  auto triangles = Read(uint64_t(*t) * sizeof(TSceneTriangle), "triangles");
  if (!triangles) return fail(triangles.error());
  block.Triangles.resize(size_t(*t));
  if (*t) std::memcpy(block.Triangles.data(), triangles->data(), triangles->size());
  for (size_t i = 0; i < block.Triangles.size(); ++i) {
    const TSceneTriangle& tri = block.Triangles[i];
    for (int32_t k : {tri.A, tri.B, tri.C})
      if (k < 0 || k >= *v)
        return fail("Scene file " + name_ + ": triangle " + std::to_string(i) + " at offset " +
                    std::to_string(at + 16 * i) + " uses vertex " + std::to_string(k) + " of " + std::to_string(*v));
  }
  return Ok{};
}

namespace {

std::string NameField(const std::vector<uint8_t>& field) {
  const auto* p = reinterpret_cast<const char*>(field.data());
  return std::string(p, strnlen(p, field.size()));
}

}  // namespace

Status TSceneReader::ReadTail(TSceneBlock& block) {
  auto name = Read(kSceneNameSize, "block name");
  if (!name) return fail(name.error());
  block.Name = NameField(name.value());
  auto flag = Read(4, "part flag");
  if (!flag) return fail(flag.error());
  std::memcpy(&block.Flag, flag->data(), 4);
  auto k = Count(kSceneNameSize + 4, "sub-material count");
  if (!k) return fail(k.error());
  auto records = Read(uint64_t(*k) * (kSceneNameSize + 4), "sub-materials");
  if (!records) return fail(records.error());
  block.SubMaterials.resize(size_t(*k));
  for (size_t j = 0; j < block.SubMaterials.size(); ++j) {
    const uint8_t* rec = records->data() + j * (kSceneNameSize + 4);
    block.SubMaterials[j].Name = NameField({rec, rec + kSceneNameSize});
    std::memcpy(&block.SubMaterials[j].Flag, rec + kSceneNameSize, 4);
  }
  return Ok{};
}

Status TSceneReader::ReadBlock(TSceneBlock& block) {
  if (Status s = ReadMesh(block); !s) return s;
  return ReadTail(block);
}

void WriteSceneName(ByteWriter& out, const std::string& name) {
  uint8_t field[kSceneNameSize] = {};
  std::memcpy(field, name.data(), std::min(name.size(), kSceneNameSize - 1));
  out.raw(field, sizeof field);
}

void WriteSceneMesh(ByteWriter& out, std::span<const TMapNode> vertices, std::span<const TSceneTriangle> triangles) {
  out.le<int32_t>(int32_t(vertices.size()));
  out.raw(vertices.data(), vertices.size_bytes());
  out.le<int32_t>(int32_t(triangles.size()));
  out.raw(triangles.data(), triangles.size_bytes());
}

void WriteSceneBlock(ByteWriter& out, const TSceneBlock& block) {
  WriteSceneMesh(out, block.Vertices, block.Triangles);
  WriteSceneName(out, block.Name);
  out.le<int32_t>(block.Flag);
  out.le<int32_t>(int32_t(block.SubMaterials.size()));
  for (const TSceneSubMaterial& s : block.SubMaterials) {
    WriteSceneName(out, s.Name);
    out.le<int32_t>(s.Flag);
  }
}

std::vector<uint8_t> WriteScene(float fieldOfView, std::span<const TSceneBlock> first,
                                std::span<const TSceneBlock> second) {
  ByteWriter out;
  out.le(fieldOfView);
  for (const TSceneBlock& b : first) WriteSceneBlock(out, b);
  for (const TSceneBlock& b : second) WriteSceneBlock(out, b);
  out.le<int32_t>(int32_t(first.size() + second.size()));
  return std::move(out.bytes());
}

}  // namespace kelvane
