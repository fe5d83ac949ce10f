#include "DemoSofa.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

#include "CliErrors.h"
#include "CliSupport.h"
#include "app/ObjectFill.h"
#include "project/SceneImport.h"
#include "scene3d/ModelScene.h"

namespace kelvane::cli {
namespace {

using Vec = std::array<double, 3>;

// An OBJ file being written: vertices, texture coordinates and faces of named objects.
class ObjWriter {
public:
  explicit ObjWriter(std::FILE* f) : f_(f) {}
  // The model is turned towards the camera (which looks along -Z from the front), so
  // the front view sees the sofa from a little above and to the left.
  void Object(const std::string& name, const std::string& material) {
    std::fprintf(f_, "o %s\nusemtl %s\n", name.c_str(), material.c_str());
  }
  int Vertex(Vec p, double u, double v) {
    const double a = -28 * std::numbers::pi / 180, b = 16 * std::numbers::pi / 180;
    const double x = p[0] * std::cos(a) + p[2] * std::sin(a), z = -p[0] * std::sin(a) + p[2] * std::cos(a);
    const double y = p[1] * std::cos(b) - z * std::sin(b), z2 = p[1] * std::sin(b) + z * std::cos(b);
    std::fprintf(f_, "v %.4f %.4f %.4f\nvt %.4f %.4f\n", x, y, z2, u, v);
    return ++count_;
  }
  void Face(int a, int b, int c) { std::fprintf(f_, "f %d/%d %d/%d %d/%d\n", a, a, b, b, c, c); }

private:
  std::FILE* f_;
  int count_ = 0;
};

// A box of half sizes h about c with edges rounded by r; `fold` moves each surface point
// along its normal (a function of the point relative to the centre and of the normal).
// Each side is an n x n grid; texture coordinates run one repeat per 40 units.
void RoundedBox(ObjWriter& obj, Vec c, Vec h, double r, int n,
                const std::function<double(const Vec&, const Vec&)>& fold = nullptr) {
  for (int axis = 0; axis < 3; ++axis)
    for (int side : {-1, 1}) {
      const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
      std::vector<int> ids;
      for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
          Vec cube{};
          cube[size_t(axis)] = side;
          cube[size_t(ua)] = -1 + 2.0 * i / n;
          cube[size_t(va)] = -1 + 2.0 * j / n;
          Vec p{}, d{};
          double len = 0;
          for (size_t k = 0; k < 3; ++k) {
            p[k] = cube[k] * h[k];
            const double inner = std::max(h[k] - r, 0.0), q = std::clamp(p[k], -inner, inner);
            d[k] = p[k] - q;
            p[k] = q;
            len += d[k] * d[k];
          }
          len = std::sqrt(len);
          Vec normal{};
          for (size_t k = 0; k < 3; ++k) normal[k] = len > 0 ? d[k] / len : 0;
          Vec s{};
          for (size_t k = 0; k < 3; ++k) s[k] = p[k] + normal[k] * r;
          const double move = fold ? fold(s, normal) : 0;
          for (size_t k = 0; k < 3; ++k) s[k] += c[k] + normal[k] * move;
          ids.push_back(obj.Vertex(s, cube[size_t(ua)] * h[size_t(ua)] / 40, cube[size_t(va)] * h[size_t(va)] / 40));
        }
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          const int a = ids[size_t(j * (n + 1) + i)], b = a + 1, d = a + n + 1, e = d + 1;
          if (side > 0) {
            obj.Face(a, b, e);
            obj.Face(a, e, d);
          } else {
            obj.Face(a, e, b);
            obj.Face(a, d, e);
          }
        }
    }
}

void Quad(ObjWriter& obj, Vec a, Vec b, Vec c, Vec d, double repeat) {
  const int i = obj.Vertex(a, 0, 0), j = obj.Vertex(b, repeat, 0), k = obj.Vertex(c, repeat, repeat),
            l = obj.Vertex(d, 0, repeat);
  obj.Face(i, j, k);
  obj.Face(i, k, l);
}

// A cushion's folds: it sags in the middle of its broad sides, and creases run across
// them, deeper towards the edges where the cover gathers.
std::function<double(const Vec&, const Vec&)> CushionFolds(Vec h, int seed) {
  return [h, seed](const Vec& p, const Vec& n) {
    const size_t broad = h[1] < h[2] ? 1 : 2;  // seat cushions lie flat, back cushions stand
    if (std::fabs(n[broad]) < 0.5) return 0.4 * std::sin(0.5 * (p[0] + p[1] + p[2]) + seed);
    const double x = p[0] / h[0], w = p[broad == 1 ? 2 : 1] / h[broad == 1 ? 2 : 1];
    const double sag = -2.2 * (1 - x * x) * (1 - w * w);
    const double crease = std::sin(9 * x + 2.5 * w + seed) * std::sin(4 * w - 3 * x + 1.7 * seed);
    return sag + 0.9 * crease * (0.4 + 0.6 * std::max(std::fabs(x), std::fabs(w)));
  };
}

}  // namespace

std::string WriteDemoSofa(const std::filesystem::path& dir) {
  const std::string mtlPath = (dir / "sofa.mtl").string(), objPath = (dir / "sofa.obj").string();
  std::FILE* mtl = std::fopen(mtlPath.c_str(), "w");
  if (!mtl) throw Failed("Cannot create file " + mtlPath);
  const struct {
    const char* name;
    double r, g, b;
  } materials[] = {{"Seat", 0.42, 0.40, 0.38},     {"Back", 0.42, 0.40, 0.38}, {"Arms", 0.46, 0.43, 0.40},
                   {"Cushions", 0.86, 0.84, 0.80}, {"Legs", 0.22, 0.14, 0.09}, {"Rug", 0.36, 0.42, 0.46}};
  for (const auto& m : materials) std::fprintf(mtl, "newmtl %s\nKd %.2f %.2f %.2f\n\n", m.name, m.r, m.g, m.b);
  std::fclose(mtl);

  std::FILE* f = std::fopen(objPath.c_str(), "w");
  if (!f) throw Failed("Cannot create file " + objPath);
  std::fprintf(f, "# A sofa, written by kelvane-cli demo\nmtllib sofa.mtl\n");
  ObjWriter obj(f);
  obj.Object("Rug", "Rug");
  Quad(obj, {-135, 0, 80}, {135, 0, 80}, {135, 0, -60}, {-135, 0, -60}, 4);
  obj.Object("SeatBase", "Seat");
  RoundedBox(obj, {0, 24, 2}, {90, 14, 40}, 5, 10);
  obj.Object("Back", "Back");
  RoundedBox(obj, {0, 56, -32}, {90, 28, 9}, 7, 10);
  for (int s : {-1, 1}) {
    obj.Object(s < 0 ? "ArmLeft" : "ArmRight", "Arms");
    RoundedBox(obj, {s * 101.0, 36, 2}, {11, 26, 42}, 8, 10);
    for (int z : {-1, 1}) {
      obj.Object("Leg", "Legs");
      RoundedBox(obj, {s * 101.0, 5, z * 36.0}, {5, 5, 5}, 1.5, 2);
    }
  }
  for (int i = 0; i < 3; ++i) {
    const double x = -60 + 60.0 * i;
    obj.Object("SeatCushion" + std::to_string(i + 1), "Cushions");
    RoundedBox(obj, {x, 46, 6}, {29.5, 8, 35}, 6, 28, CushionFolds({29.5, 8, 35}, i));
    obj.Object("BackCushion" + std::to_string(i + 1), "Cushions");
    RoundedBox(obj, {x, 74, -18}, {29.5, 20, 7}, 6, 28, CushionFolds({29.5, 20, 7}, i + 3));
  }
  const bool ok = std::ferror(f) == 0;
  if (std::fclose(f) != 0 || !ok) throw Failed("Cannot write file " + objPath);
  return objPath;
}

void SofaDemo(const std::filesystem::path& dir, const TBitmap32& fabric) {
  const std::string model = WriteDemoSofa(dir), picture = (dir / "sofa.png").string();
  std::vector<std::string> warnings;
  if (Status s = WriteModelScene(model, picture, {}, &warnings); !s) throw Failed(s.error());
  TKVXFile2 doc;
  NewProjectFromPicture(doc, LoadPictureOrFail(picture));
  TSceneAnswers answers;
  answers.UseOld = false;
  if (Status s = ImportScene(doc, (dir / "sofa.kv").string(), {}, answers); !s) throw Failed(s.error());
  int cushions = -1;
  for (int i = 0; i <= doc.HighIndex(); ++i)
    if (doc.GetObjectView(i).Param.Name == "Cushions") cushions = i;
  if (cushions < 0) throw Failed("the sofa's scene has no cushions");
  {
    TObjectView v = doc.GetObjectView(cushions);
    v.Texture = fabric;
    v.Param.TileX = v.Param.TileY = 0.75f;
  }
  // The imported mask has hard edges; the antialiased one blends the fabric into them.
  if (Status s = GetAntialiasedMask(doc, cushions, TRenderOptions{}); !s) throw Failed(s.error());
  if (Status s = FillObject(doc, cushions, TDocumentFill{}); !s) throw Failed(s.error());
  SavePictureOrFail((dir / "sofa-draped.png").string(), doc.Result);
  SaveProjectOrFail(doc, (dir / "sofa.kvx").string());
}

}  // namespace kelvane::cli
