#include "ModelScene.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "drape/OglRender.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"

namespace kelvane {

namespace {

TVec3 Minus(const TVec3& a, const TVec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
float Dot(const TVec3& a, const TVec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
TVec3 Cross(const TVec3& a, const TVec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
std::optional<TVec3> Unit(const TVec3& a) {
  const float n = std::sqrt(Dot(a, a));
  if (!(n > 1e-20f) || !std::isfinite(n)) return std::nullopt;
  return TVec3{a[0] / n, a[1] / n, a[2] / n};
}

// The model's bounding box: its lowest corner and its half diagonal.
struct TBounds {
  TVec3 Low{}, Centre{};
  float Radius = 1;
};

template <class Fn>
void ForEachPosition(const TModel& model, Fn&& fn) {
  for (const TModelPart& p : model.Parts)
    for (const TModelMesh& m : p.Meshes)
      for (const TVec3& v : m.Positions)
        if (std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2])) fn(v);
}

TBounds BoundsOf(const TModel& model) {
  TVec3 lo{}, hi{};
  bool any = false;
  ForEachPosition(model, [&](const TVec3& v) {
    for (int k = 0; k < 3; ++k) {
      lo[k] = any ? std::min(lo[k], v[k]) : v[k];
      hi[k] = any ? std::max(hi[k], v[k]) : v[k];
    }
    any = true;
  });
  TBounds b;
  b.Low = lo;
  b.Centre = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
  const float r = std::sqrt(Dot(Minus(hi, lo), Minus(hi, lo))) / 2;
  b.Radius = r > 1e-20f && std::isfinite(r) ? r : 1;
  return b;
}

// World to camera space: (p - eye) in the camera's axes, scaled so the model is about
// 100 units across whatever its own units, well beyond the near plane at 1.
struct TView {
  TVec3 Eye{}, X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};
  float Scale = 1, FieldOfView = kDefaultModelFov;
  TVec3 Point(const TVec3& p) const {
    const TVec3 d = Minus(p, Eye);
    return {Dot(d, X) * Scale, Dot(d, Y) * Scale, Dot(d, Z) * Scale};
  }
  TVec3 Direction(const TVec3& n) const { return {Dot(n, X), Dot(n, Y), Dot(n, Z)}; }
};

Result<TView> ChooseView(const TModel& model, const TModelSceneOptions& o, const TBounds& b) {
  const double longSide = std::max(o.Width, o.Height);
  TView v;
  v.Scale = 100 / b.Radius;
  const TModelCamera* camera = model.Cameras.empty() ? nullptr : &model.Cameras.front();
  if (!o.Camera.empty()) {
    camera = nullptr;
    std::string names;
    for (const TModelCamera& c : model.Cameras) {
      if (c.Name == o.Camera) camera = &c;
      names += (names.empty() ? "" : ", ") + c.Name;
    }
    if (!camera)
      return fail("The model has no camera " + o.Camera +
                  (names.empty() ? " (it has none)" : " (it has " + names + ")"));
  }
  if (camera) {
    const auto z = Unit({-camera->Direction[0], -camera->Direction[1], -camera->Direction[2]});
    const auto x = z ? Unit(Cross(camera->Up, *z)) : std::nullopt;
    if (!z || !x) return fail("The camera " + camera->Name + " has no direction to look in");
    v.Eye = camera->Position;
    v.Z = *z;
    v.X = *x;
    v.Y = Cross(*z, *x);
    // The picture's width spans the camera's horizontal angle; the scene's angle spans
    // the square of the longer side.
    const double h = camera->HorizontalFov;
    v.FieldOfView = o.FieldOfView      ? *o.FieldOfView
                    : h > 0 && h < 3.1 ? float(2 * std::atan(std::tan(h / 2) * longSide / o.Width))
                                       : kDefaultModelFov;
    return v;
  }
  // From the front, as near as the whole model fits in the picture with a small margin.
  v.FieldOfView = o.FieldOfView.value_or(kDefaultModelFov);
  const double t = std::tan(v.FieldOfView / 2.0), tx = t * o.Width / longSide, ty = t * o.Height / longSide;
  double distance = 0;
  ForEachPosition(model, [&](const TVec3& p) {
    const double across = std::max(std::fabs(p[0] - b.Centre[0]) / tx, std::fabs(p[1] - b.Centre[1]) / ty);
    distance = std::max(distance, 1.08 * across + (p[2] - b.Centre[2]) + 0.05 * b.Radius);
  });
  v.Eye = {b.Centre[0], b.Centre[1], b.Centre[2] + float(distance)};
  return v;
}

// The box mapping: each vertex projected along the axis its normal is nearest to, one
// repeat per half the model's size.
std::pair<float, float> BoxUV(const TVec3& p, const TVec3& n, const TBounds& b) {
  const TVec3 q = {(p[0] - b.Low[0]) / b.Radius, (p[1] - b.Low[1]) / b.Radius, (p[2] - b.Low[2]) / b.Radius};
  const float ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
  if (ax >= ay && ax >= az) return {n[0] > 0 ? -q[2] : q[2], -q[1]};
  if (ay >= az) return {q[0], n[1] > 0 ? q[2] : -q[2]};
  return {n[2] >= 0 ? q[0] : -q[0], -q[1]};
}

}  // namespace

Result<TModelScene> MakeModelScene(const TModel& model, const TModelSceneOptions& options) {
  if (options.Width < 1 || options.Height < 1) return fail("The picture needs a size");
  const TBounds bounds = BoundsOf(model);
  auto view = ChooseView(model, options, bounds);
  if (!view) return fail(view.error());
  TModelScene scene;
  scene.FieldOfView = view->FieldOfView;
  std::vector<TShadedMesh> shaded;

  for (size_t i = 0; i < model.Parts.size(); ++i) {
    const TModelPart& part = model.Parts[i];
    std::vector<uint32_t> materials;  // the part's, in order of first use
    for (const TModelMesh& m : part.Meshes)
      if (std::find(materials.begin(), materials.end(), m.Material) == materials.end()) materials.push_back(m.Material);
    TSceneBlock first;
    const bool several = materials.size() > 1;
    first.Name = several ? (part.Name.empty() ? "Part " + std::to_string(i + 1) : part.Name)
                         : model.Materials[materials.front()].Name;
    first.Flag = several;
    for (uint32_t m : materials) first.SubMaterials.push_back({model.Materials[m].Name, int32_t(several)});
    TSceneBlock second = first;

    for (const TModelMesh& m : part.Meshes) {
      if (first.Vertices.size() + m.Positions.size() > size_t(INT32_MAX)) return fail("The model is too large");
      const auto base = int32_t(first.Vertices.size());
      const auto sub = int32_t(std::find(materials.begin(), materials.end(), m.Material) - materials.begin());
      TShadedMesh& s = shaded.emplace_back();
      s.Color = model.Materials[m.Material].Diffuse;
      s.Texture = &model.Materials[m.Material].Texture;
      for (size_t k = 0; k < m.Positions.size(); ++k) {
        const TVec3 n = m.Normals.empty() ? TVec3{0, 0, 1} : m.Normals[k];
        const TVec3 p = view->Point(m.Positions[k]), d = view->Direction(n);
        const auto [bu, bv] = BoxUV(m.Positions[k], n, bounds);
        const auto [u, v] = m.TexCoords.empty() ? std::pair{bu, bv} : std::pair{m.TexCoords[k][0], m.TexCoords[k][1]};
        first.Vertices.push_back({p[0], p[1], p[2], u, v});
        second.Vertices.push_back({p[0], p[1], p[2], bu, bv});
        s.Positions.insert(s.Positions.end(), p.begin(), p.end());
        s.Normals.insert(s.Normals.end(), d.begin(), d.end());
        s.TexCoords.insert(s.TexCoords.end(), {u, v});
      }
      for (const auto& t : m.Triangles) {
        first.Triangles.push_back({base + int32_t(t[0]), base + int32_t(t[1]), base + int32_t(t[2]), sub});
        s.Indices.insert(s.Indices.end(), t.begin(), t.end());
      }
    }
    second.Triangles = first.Triangles;
    scene.First.push_back(std::move(first));
    scene.Second.push_back(std::move(second));
  }

  scene.Picture = TBitmap32(options.Width, options.Height);
  if (scene.Picture.Empty()) return fail("The picture size is out of range");
  if (Status s = RenderShaded(shaded, scene.FieldOfView, 0xFFE6E2DAu, scene.Picture); !s) return fail(s.error());
  return scene;
}

Status WriteModelScene(const std::string& modelPath, const std::string& picturePath, const TModelSceneOptions& options,
                       std::vector<std::string>* warnings) {
  auto model = LoadModel(modelPath);
  if (!model) return fail(model.error());
  if (warnings) warnings->insert(warnings->end(), model->Warnings.begin(), model->Warnings.end());
  auto scene = MakeModelScene(model.value(), options);
  if (!scene) return fail("Model " + modelPath + ": " + scene.error());
  if (Status s = SavePicture(picturePath, scene->Picture); !s) return s;
  const std::string kv = std::filesystem::path(picturePath).replace_extension(".kv").string();
  return SaveFileAtomically(kv, WriteScene(scene->FieldOfView, scene->First, scene->Second));
}

}  // namespace kelvane
