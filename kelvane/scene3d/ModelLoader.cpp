#include "ModelLoader.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <assimp/DefaultLogger.hpp>
#include <assimp/Importer.hpp>
#include <assimp/LogStream.hpp>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "raster/ByteStream.h"
#include "raster/PictureFormats.h"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMaxMessage = uint64_t(1) << 30;
constexpr uint64_t kMaxTextureFile = uint64_t(256) << 20;
constexpr uint32_t kMaxName = 4096;

enum TextureKind : uint8_t { kNoTexture = 0, kTextureFile = 1, kTextureBytes = 2, kTextureTexels = 3 };

// ---- the child: the library's scene flattened into the message ----

void PutString(ByteWriter& out, const std::string& s) {
  const auto n = uint32_t(std::min<size_t>(s.size(), kMaxName));
  out.le(n);
  out.raw(s.data(), n);
}

uint8_t ColorByte(float v) { return uint8_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

void PutTexture(ByteWriter& out, const aiScene& scene, const aiMaterial& m, const fs::path& folder) {
  aiString name;
  if (m.GetTexture(aiTextureType_BASE_COLOR, 0, &name) != AI_SUCCESS &&
      m.GetTexture(aiTextureType_DIFFUSE, 0, &name) != AI_SUCCESS) {
    out.le<uint8_t>(kNoTexture);
    return;
  }
  if (const aiTexture* t = scene.GetEmbeddedTexture(name.C_Str())) {
    if (t->mHeight == 0) {  // a compressed picture file of mWidth bytes
      out.le<uint8_t>(kTextureBytes);
      out.le<uint32_t>(t->mWidth);
      out.raw(t->pcData, t->mWidth);
    } else {
      out.le<uint8_t>(kTextureTexels);
      out.le<uint32_t>(t->mWidth);
      out.le<uint32_t>(t->mHeight);
      out.raw(t->pcData, size_t(t->mWidth) * t->mHeight * 4);  // B, G, R, A: a TColor32 each
    }
    return;
  }
  std::string file = name.C_Str();
  std::replace(file.begin(), file.end(), '\\', '/');
  fs::path p = fs::path(file).is_absolute() ? fs::path(file) : folder / file;
  std::error_code ec;
  if (!fs::exists(p, ec)) p = folder / fs::path(file).filename();
  out.le<uint8_t>(kTextureFile);
  PutString(out, p.string());
}

void PutMaterials(ByteWriter& out, const aiScene& scene, const fs::path& folder) {
  out.le<uint32_t>(scene.mNumMaterials);
  for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
    const aiMaterial& m = *scene.mMaterials[i];
    aiString name;
    m.Get(AI_MATKEY_NAME, name);
    PutString(out, name.C_Str());
    aiColor4D c(1, 1, 1, 1);
    if (m.Get(AI_MATKEY_BASE_COLOR, c) != AI_SUCCESS) m.Get(AI_MATKEY_COLOR_DIFFUSE, c);
    out.le<uint32_t>(Color32(ColorByte(c.r), ColorByte(c.g), ColorByte(c.b)));
    PutTexture(out, scene, m, folder);
  }
}

void PutMesh(ByteWriter& out, const aiMesh& m, const aiMatrix4x4& world) {
  aiMatrix3x3 normalMatrix(world);
  normalMatrix.Inverse().Transpose();
  out.le<uint32_t>(m.mMaterialIndex);
  out.le<uint32_t>(m.mNumVertices);
  for (unsigned v = 0; v < m.mNumVertices; ++v) {
    const aiVector3D p = world * m.mVertices[v];
    for (float f : {p.x, p.y, p.z}) out.le(f);
  }
  out.le<uint8_t>(m.HasNormals());
  if (m.HasNormals())
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      const aiVector3D n = (normalMatrix * m.mNormals[v]).NormalizeSafe();
      for (float f : {n.x, n.y, n.z}) out.le(f);
    }
  out.le<uint8_t>(m.HasTextureCoords(0));
  if (m.HasTextureCoords(0))
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      out.le(m.mTextureCoords[0][v].x);
      out.le(m.mTextureCoords[0][v].y);
    }
  uint32_t triangles = 0;
  for (unsigned f = 0; f < m.mNumFaces; ++f) triangles += m.mFaces[f].mNumIndices == 3;
  out.le(triangles);
  for (unsigned f = 0; f < m.mNumFaces; ++f)
    if (m.mFaces[f].mNumIndices == 3)
      for (int k = 0; k < 3; ++k) out.le<uint32_t>(m.mFaces[f].mIndices[k]);
}

bool HasTriangles(const aiMesh& m) { return (m.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) && m.mNumVertices > 0; }

void CollectParts(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent, uint32_t& count,
                  ByteWriter& out) {
  const aiMatrix4x4 world = parent * node.mTransformation;
  uint32_t meshes = 0;
  for (unsigned i = 0; i < node.mNumMeshes; ++i) meshes += HasTriangles(*scene.mMeshes[node.mMeshes[i]]);
  if (meshes > 0) {
    ++count;
    PutString(out, node.mName.C_Str());
    out.le(meshes);
    for (unsigned i = 0; i < node.mNumMeshes; ++i)
      if (HasTriangles(*scene.mMeshes[node.mMeshes[i]])) PutMesh(out, *scene.mMeshes[node.mMeshes[i]], world);
  }
  for (unsigned i = 0; i < node.mNumChildren; ++i) CollectParts(scene, *node.mChildren[i], world, count, out);
}

aiMatrix4x4 WorldOf(const aiNode* node) {
  aiMatrix4x4 m;
  for (; node; node = node->mParent) m = node->mTransformation * m;
  return m;
}

void PutCameras(ByteWriter& out, const aiScene& scene) {
  out.le<uint32_t>(scene.mNumCameras);
  for (unsigned i = 0; i < scene.mNumCameras; ++i) {
    const aiCamera& c = *scene.mCameras[i];
    const aiMatrix4x4 world = WorldOf(scene.mRootNode->FindNode(c.mName));
    const aiMatrix3x3 turn(world);
    const aiVector3D p = world * c.mPosition, d = turn * c.mLookAt, u = turn * c.mUp;
    PutString(out, c.mName.C_Str());
    for (float f : {p.x, p.y, p.z, d.x, d.y, d.z, u.x, u.y, u.z, c.mHorizontalFOV}) out.le(f);
  }
}

// The library's own error reports: a model it complained about while reading is not
// taken, even where it carried on with something in place of what was broken.
struct TErrorLog final : Assimp::LogStream {
  std::string first;
  void write(const char* message) override {
    if (!first.empty()) return;
    first = message;
    // "Error, T0: OBJ: ..." becomes "OBJ: ...".
    if (const size_t at = first.find(": "); first.rfind("Error, T", 0) == 0 && at != std::string::npos)
      first.erase(0, at + 2);
    while (!first.empty() && (first.back() == '\n' || first.back() == '\r')) first.pop_back();
  }
};

std::vector<uint8_t> ReadWithLibrary(const std::string& path) {
  ByteWriter out;
  auto failure = [](const std::string& message) {
    ByteWriter e;
    e.le<uint8_t>(1);
    PutString(e, message);
    return std::move(e.bytes());
  };
  auto* errors = new TErrorLog;  // owned by the logger
  Assimp::DefaultLogger::create("", Assimp::Logger::NORMAL, 0);
  Assimp::DefaultLogger::get()->attachStream(errors, Assimp::Logger::Err);
  Assimp::Importer importer;
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  // The scene is validated before any post-processing step trusts it.
  const aiScene* scene = importer.ReadFile(path, aiProcess_ValidateDataStructure);
  if (scene)
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                         aiProcess_GenSmoothNormals | aiProcess_SortByPType | aiProcess_FlipUVs);
  if (!scene) {
    const std::string why = importer.GetErrorString();
    return failure(why == "std::bad_alloc" ? "it needs more memory than the reader may take" : why);
  }
  if (!errors->first.empty()) return failure(errors->first);
  if ((scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) return failure("the model holds no scene");
  out.le<uint8_t>(0);
  PutMaterials(out, *scene, fs::path(path).parent_path());
  ByteWriter parts;
  uint32_t count = 0;
  CollectParts(*scene, *scene->mRootNode, aiMatrix4x4(), count, parts);
  out.le(count);
  out.raw(parts.bytes());
  PutCameras(out, *scene);
  return std::move(out.bytes());
}

[[noreturn]] void ChildMain(const std::string& path, int fd, const TModelLoadOptions& options) {
  std::signal(SIGPIPE, SIG_IGN);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  const rlimit memory{options.MemoryLimit, options.MemoryLimit};
  setrlimit(RLIMIT_AS, &memory);
#endif
  const rlim_t seconds = rlim_t(options.TimeoutSeconds) + 5;
  const rlimit cpu{seconds, seconds};
  setrlimit(RLIMIT_CPU, &cpu);
  if (int null = open("/dev/null", O_WRONLY); null >= 0) dup2(null, STDOUT_FILENO);
  std::vector<uint8_t> message;
  try {
    message = ReadWithLibrary(path);
  } catch (const std::exception& e) {
    ByteWriter out;
    out.le<uint8_t>(1);
    PutString(out, std::string("the model reader failed: ") + e.what());
    message = std::move(out.bytes());
  }
  for (size_t done = 0; done < message.size();) {
    const ssize_t n = write(fd, message.data() + done, message.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) _exit(3);
    done += size_t(n);
  }
  _exit(0);  // no exit handlers of the parent's (its temporary files) run here
}

// ---- the parent: the message read back ----

class TMessageReader {
public:
  TMessageReader(std::span<const uint8_t> bytes, std::string name) : r_(bytes), name_(std::move(name)) {}

  template <class T>
  Result<T> Le(const char* what) {
    auto v = r_.le<T>(what);
    if (!v) return Damaged(v.error());
    return v;
  }
  // n records of `size` bytes, refused before allocating when they cannot be there.
  Result<std::span<const uint8_t>> Records(uint64_t n, uint64_t size, const char* what) {
    if (n > r_.remaining() / std::max<uint64_t>(size, 1)) return Damaged(std::string(what) + ": more than was sent");
    auto b = r_.bytes(size_t(n * size), what);
    if (!b) return Damaged(b.error());
    return b;
  }
  Result<std::string> String(const char* what) {
    auto n = Le<uint32_t>(what);
    if (!n) return fail(n.error());
    if (*n > kMaxName) return Damaged(std::string(what) + ": too long");
    auto b = Records(*n, 1, what);
    if (!b) return fail(b.error());
    return std::string(reinterpret_cast<const char*>(b->data()), b->size());
  }
  Failure Damaged(const std::string& why) const {
    return fail("Model " + name_ + ": the reader sent damaged data (" + why + ")");
  }
  size_t Remaining() const { return r_.remaining(); }

private:
  ByteReader r_;
  std::string name_;
};

template <class T, size_t N>
std::vector<std::array<T, N>> Unpack(std::span<const uint8_t> b) {
  std::vector<std::array<T, N>> out(b.size() / sizeof(std::array<T, N>));
  if (!out.empty()) std::memcpy(out.data(), b.data(), out.size() * sizeof(out[0]));
  return out;
}

// A picture of our own readers, from a file or from bytes, known by its signature.
Result<TBitmap32> DecodePicture(std::span<const uint8_t> b) {
  if (b.size() >= 8 && std::memcmp(b.data(), "\x89PNG", 4) == 0) return ReadPng(b);
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8) return ReadJpeg(b);
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return ReadBmp(b);
  return fail("not a BMP, JPEG or PNG picture");
}

Status ReadTexture(TMessageReader& in, TModelMaterial& m, std::vector<std::string>& warnings) {
  auto kind = in.Le<uint8_t>("texture kind");
  if (!kind) return fail(kind.error());
  Result<TBitmap32> picture = fail("");
  std::string source = "an embedded texture";
  if (*kind == kNoTexture) return Ok{};
  if (*kind == kTextureFile) {
    auto path = in.String("texture path");
    if (!path) return fail(path.error());
    source = *path;
    std::error_code ec;
    if (!fs::is_regular_file(*path, ec) || fs::file_size(*path, ec) > kMaxTextureFile)
      picture = fail("no picture file of a sensible size");
    else
      picture = LoadPicture(*path);
  } else if (*kind == kTextureBytes) {
    auto n = in.Le<uint32_t>("texture size");
    if (!n) return fail(n.error());
    auto b = in.Records(*n, 1, "texture");
    if (!b) return fail(b.error());
    picture = DecodePicture(*b);
  } else if (*kind == kTextureTexels) {
    auto w = in.Le<uint32_t>("texture width");
    auto h = in.Le<uint32_t>("texture height");
    if (!w || !h) return in.Damaged("texture size");
    if (*w > uint32_t(TBitmap32::kMaxSide) || *h > uint32_t(TBitmap32::kMaxSide)) return in.Damaged("texture size");
    auto b = in.Records(uint64_t(*w) * *h, 4, "texels");
    if (!b) return fail(b.error());
    TBitmap32 t{int(*w), int(*h)};
    if (!b->empty()) std::memcpy(t.Bits(), b->data(), b->size());
    picture = std::move(t);
  } else {
    return in.Damaged("texture kind " + std::to_string(*kind));
  }
  if (picture)
    m.Texture = std::move(picture.value());
  else
    warnings.push_back("material " + m.Name + ": texture " + source + ": " + picture.error());
  return Ok{};
}

Status ReadMesh(TMessageReader& in, TModelMesh& mesh, size_t materials) {
  auto material = in.Le<uint32_t>("material");
  auto vertices = in.Le<uint32_t>("vertex count");
  if (!material || !vertices) return in.Damaged("mesh");
  if (*material >= materials) return in.Damaged("material " + std::to_string(*material));
  mesh.Material = *material;
  const uint32_t v = *vertices;
  auto positions = in.Records(v, 12, "positions");
  if (!positions) return fail(positions.error());
  mesh.Positions = Unpack<float, 3>(*positions);
  for (auto [size, what] : {std::pair{12, "normals"}, std::pair{8, "texture coordinates"}}) {
    auto has = in.Le<uint8_t>(what);
    if (!has) return fail(has.error());
    if (!*has) continue;
    auto b = in.Records(v, uint64_t(size), what);
    if (!b) return fail(b.error());
    if (size == 12)
      mesh.Normals = Unpack<float, 3>(*b);
    else
      mesh.TexCoords = Unpack<float, 2>(*b);
  }
  auto count = in.Le<uint32_t>("triangle count");
  if (!count) return fail(count.error());
  auto triangles = in.Records(*count, 12, "triangles");
  if (!triangles) return fail(triangles.error());
  mesh.Triangles = Unpack<uint32_t, 3>(*triangles);
  for (const auto& t : mesh.Triangles)
    if (t[0] >= v || t[1] >= v || t[2] >= v) return in.Damaged("a triangle outside its vertices");
  return Ok{};
}

}  // namespace

Result<TModel> ReadModelMessage(std::span<const uint8_t> bytes, const std::string& modelPath) {
  TMessageReader in(bytes, modelPath);
  auto status = in.Le<uint8_t>("status");
  if (!status) return fail(status.error());
  if (*status != 0) {
    auto why = in.String("message");
    if (!why) return fail(why.error());
    return fail("Model " + modelPath + ": " + (why->empty() ? "it cannot be read" : *why));
  }
  TModel model;
  auto materials = in.Le<uint32_t>("material count");
  if (!materials) return fail(materials.error());
  if (*materials > in.Remaining() / 6) return in.Damaged("material count");
  model.Materials.resize(*materials);
  for (TModelMaterial& m : model.Materials) {
    auto name = in.String("material name");
    auto diffuse = name ? in.Le<uint32_t>("diffuse colour") : Result<uint32_t>(fail(name.error()));
    if (!diffuse) return fail(diffuse.error());
    m.Name = *name;
    m.Diffuse = *diffuse | 0xFF000000u;
    if (Status s = ReadTexture(in, m, model.Warnings); !s) return fail(s.error());
  }
  if (model.Materials.empty()) model.Materials.push_back({"Default", 0xFFC8C8C8u, {}});
  auto parts = in.Le<uint32_t>("part count");
  if (!parts) return fail(parts.error());
  if (*parts > in.Remaining() / 8) return in.Damaged("part count");
  model.Parts.resize(*parts);
  for (TModelPart& p : model.Parts) {
    auto name = in.String("part name");
    auto meshes = name ? in.Le<uint32_t>("mesh count") : Result<uint32_t>(fail(name.error()));
    if (!meshes) return fail(meshes.error());
    if (*meshes > in.Remaining() / 14) return in.Damaged("mesh count");
    p.Name = *name;
    p.Meshes.resize(*meshes);
    for (TModelMesh& m : p.Meshes)
      if (Status s = ReadMesh(in, m, model.Materials.size()); !s) return fail(s.error());
  }
  auto cameras = in.Le<uint32_t>("camera count");
  if (!cameras) return fail(cameras.error());
  if (*cameras > in.Remaining() / 44) return in.Damaged("camera count");
  model.Cameras.resize(*cameras);
  for (TModelCamera& c : model.Cameras) {
    auto name = in.String("camera name");
    auto b = name ? in.Records(10, 4, "camera") : Result<std::span<const uint8_t>>(fail(name.error()));
    if (!b) return fail(b.error());
    c.Name = *name;
    float f[10];
    std::memcpy(f, b->data(), sizeof f);
    c.Position = {f[0], f[1], f[2]};
    c.Direction = {f[3], f[4], f[5]};
    c.Up = {f[6], f[7], f[8]};
    c.HorizontalFov = f[9];
  }
  if (model.Parts.empty()) return fail("Model " + modelPath + ": it holds no triangles");
  return model;
}

Result<TModel> LoadModel(const std::string& path, const TModelLoadOptions& options) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return fail("Model " + path + ": no such file");
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return fail("Model " + path + ": cannot start its reader");
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return fail("Model " + path + ": cannot start its reader");
  }
  if (pid == 0) {
    close(fds[0]);
    ChildMain(path, fds[1], options);
  }
  close(fds[1]);

  std::vector<uint8_t> message;
  std::string problem;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.TimeoutSeconds);
  for (uint8_t chunk[1 << 16];;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    const int ready = left.count() > 0 ? poll(&p, 1, int(std::min<int64_t>(left.count(), 1000))) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0 && left.count() > 0) continue;
    if (ready <= 0) {
      problem = "its reader did not finish within " + std::to_string(options.TimeoutSeconds) + " s";
      break;
    }
    const ssize_t n = read(fds[0], chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (message.size() + size_t(n) > kMaxMessage) {
      problem = "it is too large";
      break;
    }
    message.insert(message.end(), chunk, chunk + n);
  }
  close(fds[0]);
  if (!problem.empty()) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!problem.empty()) return fail("Model " + path + ": " + problem);
  if (WIFSIGNALED(status))
    return fail("Model " + path + ": its reader stopped on a fault (" + std::string(strsignal(WTERMSIG(status))) + ")");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return fail("Model " + path + ": its reader failed");
  return ReadModelMessage(message, path);
}

}  // namespace kelvane
