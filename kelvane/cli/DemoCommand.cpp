#include "DemoCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "CliErrors.h"
#include "CliSupport.h"
#include "DemoSofa.h"
#include "app/ObjectFill.h"
#include "project/TKVXFile2.h"
#include "raster/PictureFormats.h"

namespace kelvane::cli {
namespace {

constexpr int kW = 1200, kH = 900;
// The curtain hangs from the rod between these columns, down to about kHem.
constexpr double kLeft = 260, kRight = 940, kTop = 96, kHem = 842;
constexpr double kFold = 68;  // the width of one fold at the top, pixels

// Smooth value noise in 0..1.
double Hash(int x, int y) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return double(h ^ (h >> 16)) / 4294967295.0;
}
double Noise(double x, double y) {
  const int ix = int(std::floor(x)), iy = int(std::floor(y));
  const double fx = x - ix, fy = y - iy;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double a = Hash(ix, iy) + (Hash(ix + 1, iy) - Hash(ix, iy)) * sx;
  const double b = Hash(ix, iy + 1) + (Hash(ix + 1, iy + 1) - Hash(ix, iy + 1)) * sx;
  return a + (b - a) * sy;
}

uint8_t Byte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }
TColor32 Rgb(double r, double g, double b) { return Color32(Byte(r), Byte(g), Byte(b)); }

// The folds: depth of the cloth at column x and height y (the folds widen towards the
// hem), and its slope across.
double FoldPhase(double x, double y) {
  const double t = (y - kTop) / (kHem - kTop);
  return 2 * std::numbers::pi * (x - kLeft) / (kFold * (1 + 0.12 * t));
}
double FoldDepth(double x, double y) { return 14 * (1 + 0.6 * (y - kTop) / (kHem - kTop)) * std::sin(FoldPhase(x, y)); }
double HemAt(double x) { return kHem + 10 * std::sin(FoldPhase(x, kHem)); }

// How much the cloth faces the light from the upper left: 0.45 .. 1.
double ClothLight(double x, double y) {
  const double e = 0.5;
  const double dz = (FoldDepth(x + e, y) - FoldDepth(x - e, y)) / (2 * e);
  const double nx = -dz, nz = 1, len = std::sqrt(nx * nx + nz * nz);
  const double lx = -0.45, lz = 0.89;
  const double lambert = std::max(0.0, (nx * lx + nz * lz) / len);
  const double valley = 0.5 + 0.5 * std::sin(FoldPhase(x, y));  // crests catch more light
  return 0.3 + 0.6 * lambert + 0.1 * valley;
}

double CurtainCoverage(double x, double y) {
  const double inside = std::min({x - kLeft + 0.5, kRight - x + 0.5, HemAt(x) - y + 0.5, y - kTop + 0.5});
  return std::clamp(inside, 0.0, 1.0);
}

TBitmap32 Room(TByteMap& mask) {
  TBitmap32 room(kW, kH);
  mask.SetSize(kW, kH);
  const double floorY = 760;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const double n = Noise(x / 3.0, y / 3.0) * 0.04 + Noise(x / 40.0, y / 40.0) * 0.05;
      double r, g, b;
      if (y < floorY) {  // a warm wall, lit from the upper left, with the curtain's shadow
        const double light = 0.95 - 0.25 * (x / double(kW)) - 0.15 * (y / floorY) + n;
        const double shadow =
            x > kRight && x < kRight + 60 && y > kTop ? 0.82 + 0.18 * std::min(1.0, (x - kRight) / 60.0) : 1.0;
        r = 236 * light * shadow, g = 222 * light * shadow, b = 198 * light * shadow;
      } else {  // floor boards
        const double grain = Noise(x / 90.0, (y - floorY) / 4.0);
        const double seam = std::fmod(x + (int((y - floorY) / 28) % 2) * 110, 220.0) < 2 ? 0.7 : 1.0;
        const double light = (0.55 + 0.2 * grain + n) * seam * (1.0 - 0.2 * (y - floorY) / (kH - floorY));
        r = 170 * light, g = 120 * light, b = 80 * light;
      }
      // The rod with its rings.
      if (y >= 78 && y < 90 && x > kLeft - 40 && x < kRight + 40) {
        const double v = 0.5 + 0.5 * std::cos((y - 84) / 6.0 * 1.5);
        r = 40 + 60 * v, g = 34 + 50 * v, b = 30 + 40 * v;
      }
      const double cover = CurtainCoverage(x + 0.5, y + 0.5);
      if (cover > 0) {
        const double l = ClothLight(x + 0.5, y + 0.5) + 0.03 * (Noise(x / 2.0, y / 2.0) - 0.5);
        const double top = y < kTop + 14 ? 0.75 + 0.25 * (y - kTop) / 14.0 : 1.0;  // gathered under the rod
        const double cr = 250 * l * top, cg = 248 * l * top, cb = 244 * l * top;
        r = r * (1 - cover) + cr * cover, g = g * (1 - cover) + cg * cover, b = b * (1 - cover) + cb * cover;
      }
      room.SetPixel(x, y, Rgb(r, g, b));
      mask.SetValue(x, y, Byte(cover * 255));
    }
  }
  return room;
}

// The curtain's grid: columns close enough to follow each fold, and U measured along the
// cloth, so the pattern bunches where the cloth turns away from the camera.
TMapGrid CurtainGrid() {
  const int cols = 96, rows = 12;
  TMapGrid g;
  DivideRect(g, int(kLeft), int(kTop), int(kRight), int(kHem), kW, kH, cols, rows);
  for (int r = 0; r <= rows; ++r) {
    const double y = kTop + (kHem - kTop) * r / rows;
    std::vector<double> length(size_t(cols) + 1, 0.0);
    for (int c = 1; c <= cols; ++c) {
      const double x0 = kLeft + (kRight - kLeft) * (c - 1) / cols, x1 = kLeft + (kRight - kLeft) * c / cols;
      double s = 0;
      for (int k = 0; k < 16; ++k) {  // arc length of the fold across this column
        const double a = x0 + (x1 - x0) * k / 16, b = x0 + (x1 - x0) * (k + 1) / 16;
        s += std::hypot(b - a, FoldDepth(b, y) - FoldDepth(a, y));
      }
      length[size_t(c)] = length[size_t(c) - 1] + s;
    }
    for (int c = 0; c <= cols; ++c) {
      TMapNode& n = g.Nodes[size_t(r * (cols + 1) + c)];
      n.U = float(length[size_t(c)] / length.back());
      if (r == rows) n.Y = float(2 * (HemAt(NodeToPixel(n.X, kW)) + 1) / kH - 1);  // the hem follows the folds
    }
  }
  return g;
}

// A woven tartan: coloured bands across and down, crossed as a twill.
TBitmap32 Tartan(const TColor32 bands[4], int size) {
  TBitmap32 t(size, size);
  auto band = [&](int v) {
    const int widths[] = {34, 10, 52, 8, 34, 6, 52, 10};
    int p = (v % 206 + 206) % 206;
    for (int i = 0;; i = (i + 1) % 8) {
      if (p < widths[i]) return bands[i % 4];
      p -= widths[i];
    }
  };
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const bool warp = ((x + y) / 2) % 2 == 0;  // the twill's diagonal
      const TColor32 c = warp ? band(x * 206 / size * 2 % 206) : band(y * 206 / size * 2 % 206);
      const double shade = 0.9 + 0.1 * Noise(x / 1.5, y / 1.5);
      t.SetPixel(x, y, Rgb(RedComponent(c) * shade, GreenComponent(c) * shade, BlueComponent(c) * shade));
    }
  return t;
}

TBitmap32 Stripes(int size) {
  TBitmap32 t(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int p = x * 8 / size;
      const double weave = 0.92 + 0.08 * (((x / 2) + (y / 2)) % 2);
      const TColor32 c = p % 4 == 0 ? Rgb(40, 70, 130) : p % 2 ? Rgb(240, 232, 214) : Rgb(180, 60, 50);
      t.SetPixel(x, y, Rgb(RedComponent(c) * weave, GreenComponent(c) * weave, BlueComponent(c) * weave));
    }
  return t;
}

TBitmap32 Dots(int size) {
  TBitmap32 t(size, size);
  const double cell = size / 4.0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double dx = std::fmod(x + 0.5, cell) - cell / 2, dy = std::fmod(y + 0.5, cell) - cell / 2;
      const double d = std::hypot(dx, dy), inside = std::clamp(cell * 0.28 - d, 0.0, 1.0);
      const double r = 60 * (1 - inside) + 245 * inside, g = 110 * (1 - inside) + 205 * inside,
                   b = 90 * (1 - inside) + 120 * inside;
      t.SetPixel(x, y, Rgb(r, g, b));
    }
  return t;
}

void Save(const std::filesystem::path& path, const TBitmap32& b) { SavePictureOrFail(path.string(), b); }

}  // namespace

int DemoCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError("expected DIR");
  namespace fs = std::filesystem;
  const fs::path dir = args[0];
  std::error_code ec;
  fs::create_directories(dir / "fabrics", ec);
  if (ec) throw Failed("cannot make " + (dir / "fabrics").string() + ": " + ec.message());

  TByteMap mask;
  const TBitmap32 room = Room(mask);
  const TColor32 red[4] = {Rgb(236, 226, 200), Rgb(170, 36, 40), Rgb(236, 226, 200), Rgb(40, 70, 60)};
  const TColor32 green[4] = {Rgb(30, 80, 50), Rgb(20, 30, 60), Rgb(30, 80, 50), Rgb(200, 60, 40)};
  const TBitmap32 fabric = Tartan(red, 512);
  Save(dir / "room.png", room);
  Save(dir / "fabrics" / "1-red-tartan.png", fabric);
  Save(dir / "fabrics" / "2-green-tartan.png", Tartan(green, 512));
  Save(dir / "fabrics" / "3-ticking-stripe.png", Stripes(256));
  Save(dir / "fabrics" / "4-polka-dot.png", Dots(256));

  RegisterKvxPictureFormat();
  TKVXFile2 doc;
  NewProjectFromPicture(doc, room);
  const int i = 0;
  TObjectView v = doc.GetObjectView(i);
  v.Param.Name = "Curtain";
  v.Param.TileX = 3;
  v.Param.TileY = 3;
  v.Param.LevelUp = 1;
  v.Mask = mask;
  v.Grid = CurtainGrid();
  v.Texture = fabric;
  if (Status s = FillObject(doc, i, TDocumentFill{}); !s) throw Failed(s.error());
  Save(dir / "draped.png", doc.Result);
  SaveProjectOrFail(doc, (dir / "room.kvx").string());  // the room as the program opens it, draped
  doc.Result = room;
  SaveProjectOrFail(doc, (dir / "curtain.kvx").string());
  SofaDemo(dir, fabric);
  std::printf("%s\n", (dir / "draped.png").c_str());
  return 0;
}

}  // namespace kelvane::cli
