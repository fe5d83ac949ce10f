#include "GroupedScene.h"

#include <filesystem>

namespace kelvane {

bool PartsBelong(const TMatHead& a, const TMatHead& b, bool byName) {
  if (byName) return a.BlockName == b.BlockName;
  auto joins = [](const TMatHead& x, const TMatHead& y) {
    return x.Flag == 1 && y.Flag == 0 && x.SubName == y.BlockName;
  };
  return (a.BlockName == b.BlockName && a.Flag == 0 && b.Flag == 0) || joins(a, b) || joins(b, a) ||
         (a.Flag == 1 && b.Flag == 1 && a.SubName == b.SubName);
}

std::string GroupedScenePath(const std::string& scenePath) {
  return std::filesystem::path(scenePath).replace_extension(".gkv").string();
}

namespace {

// The parts table: one entry per (block, sub-material) of the first mapping, with the
// positions of its block in both mappings.
Result<std::vector<TMatHead>> ReadParts(TSceneReader& r, TProgress* progress) {
  std::vector<TMatHead> parts;
  std::vector<size_t> firstPart;  // per block, its first entry
  TSceneBlock block;
  for (int32_t b = 0; b < r.BlockCount(); ++b) {
    const uint64_t at = r.Position();
    if (Status s = r.ReadBlock(block); !s) return fail(s.error());
    firstPart.push_back(parts.size());
    for (size_t j = 0; j < block.SubMaterials.size(); ++j)
      parts.push_back({block.Name, block.SubMaterials[j].Name, int32_t(j), block.SubMaterials[j].Flag, at, 0});
    if (int64_t(parts.size()) > kMaxSceneParts) return fail("The scene has more parts than can be told apart");
  }
  firstPart.push_back(parts.size());
  for (int32_t b = 0; b < r.BlockCount(); ++b) {
    if (progress) progress->Message(std::to_string(firstPart[size_t(b)]) + " i=" + std::to_string(b));
    const uint64_t at = r.Position();
    if (Status s = r.ReadBlock(block); !s) return fail(s.error());
    for (size_t p = firstPart[size_t(b)]; p < firstPart[size_t(b) + 1]; ++p) parts[p].Second = at;
  }
  return parts;
}

// Groups from the last part to the first: each unused part A takes every unused part
// before it that belongs with it. A part goes into one group only.
std::vector<std::vector<size_t>> GroupParts(const std::vector<TMatHead>& parts, bool byName) {
  std::vector<std::vector<size_t>> groups;
  std::vector<bool> used(parts.size(), false);
  for (size_t a = parts.size(); a-- > 0;) {
    if (used[a]) continue;
    used[a] = true;
    std::vector<size_t> group{a};
    for (size_t i = 0; i < a; ++i)
      if (!used[i] && PartsBelong(parts[a], parts[i], byName)) {
        used[i] = true;
        group.push_back(i);
      }
    groups.push_back(std::move(group));
  }
  return groups;
}

// One mapping's merged blocks: each group's parts with their own triangles, vertex
// indices shifted past the vertices already merged, sub-material 0.
Status WriteMapping(TSceneReader& r, const std::vector<TMatHead>& parts, const std::vector<std::vector<size_t>>& groups,
                    bool second, ByteWriter& out, uint64_t& records) {
  TSceneBlock block;
  std::vector<TMapNode> vertices;
  std::vector<TSceneTriangle> triangles;
  for (const auto& group : groups) {
    vertices.clear();
    triangles.clear();
    for (size_t p : group) {
      if (Status s = r.Seek(second ? parts[p].Second : parts[p].First); !s) return s;
      if (Status s = r.ReadMesh(block); !s) return s;
      records += block.Vertices.size() + block.Triangles.size();
      if (records > kMaxSceneRecords || vertices.size() + block.Vertices.size() > size_t(INT32_MAX))
        return fail("The grouped scene would be too large");
      const auto base = int32_t(vertices.size());
      vertices.insert(vertices.end(), block.Vertices.begin(), block.Vertices.end());
      for (const TSceneTriangle& t : block.Triangles)
        if (t.Sub == parts[p].SubIndex) triangles.push_back({t.A + base, t.B + base, t.C + base, 0});
    }
    const TMatHead& a = parts[group.front()];
    WriteSceneMesh(out, vertices, triangles);
    WriteSceneName(out, a.BlockName);
    out.le<int32_t>(a.Flag);
    out.le<int32_t>(1);
    WriteSceneName(out, a.SubName);
    out.le<int32_t>(a.Flag);
  }
  return Ok{};
}

}  // namespace

Status BuildGroupedScene(const std::string& scenePath, const std::string& groupedPath, bool byName,
                         TProgress* progress) {
  auto reader = TSceneReader::Open(scenePath);
  if (!reader) return fail(reader.error());
  TSceneReader& r = reader.value();
  auto parts = ReadParts(r, progress);
  if (!parts) return fail(parts.error());
  const auto groups = GroupParts(parts.value(), byName);

  ByteWriter out;
  out.le(r.FieldOfView());
  uint64_t records = 0;
  for (bool second : {false, true})
    if (Status s = WriteMapping(r, parts.value(), groups, second, out, records); !s) return s;
  out.le<int32_t>(int32_t(2 * groups.size()));
  return SaveFileAtomically(groupedPath, out.bytes());
}

}  // namespace kelvane
