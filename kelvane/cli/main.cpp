// kelvane-cli: the draping engine from the command line, for batch work and black-box
// tests. Exit codes: 0 success, 1 failure, 2 bad usage.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "CliErrors.h"
#include "DemoCommand.h"
#include "DrapeCommands.h"
#include "Json.h"
#include "FilterCommand.h"
#include "ProjectCommands.h"
#include "SelectCommand.h"
#include "TexlibCommands.h"
#include "drape/KVXGridTools.h"
#include "raster/FileIO.h"

using namespace kelvane;

namespace {

const char* kUsage =
    "usage: kelvane-cli grid|project|drape|batch|filter|select COMMAND ...\n"
    "\n"
    "  grid lattice W H OUT.kvg [--cell CW,CH]    the default lattice over a W x H image\n"
    "  grid divide W H L,T,R,B COLS ROWS OUT.kvg  a lattice over a pixel rectangle\n"
    "  grid insert-col IN.kvg K OUT.kvg           a column before lattice column K\n"
    "  grid insert-row IN.kvg K OUT.kvg           a row before lattice row K\n"
    "  grid reset IN.kvg OUT.kvg                  nodes back on the regular lattice\n"
    "  grid translate IN.kvg DX DY OUT.kvg        every node moved (node units)\n"
    "  grid append TARGET.kvg SOURCE.kvg KEY SOURCEKEY OUT.kvg\n"
    "                                             merge SOURCE into TARGET by material key\n"
    "  grid dump IN.kvg                           the grid as JSON\n"
    "  grid from-json IN.json OUT.kvg             a grid from that JSON\n"
    "  grid texcoords IN.kvg EUX EUY EUZ EKX EVX EVY EVZ EKY OUT.kvg\n"
    "                                             U = X*EUX - Y*EUY + Z*EUZ + EKX (and V), in thousandths\n"
    "\n"
    "  project new PICTURE OUT.kvx                a project of one object over the picture\n"
    "  project info IN.kvx                        JSON: size, every object's parameters, included pictures\n"
    "  project set IN.kvx OBJ FIELD=VALUE... OUT.kvx\n"
    "                                             parameter fields: Name Color(AARRGGBB) Glare LevelUp\n"
    "                                             HiContrast Transparency Rotate TileX TileY SeamlessX\n"
    "                                             SeamlessY ShiftX ShiftY FieldOfView MaterialKey MaterialKey2\n"
    "  project set-mask IN.kvx OBJ MASK.png OUT.kvx     the mask from a grey picture of the project's size\n"
    "  project set-grid IN.kvx OBJ GRID.kvg OUT.kvx\n"
    "  project set-texture IN.kvx OBJ PICTURE|texlib:LIBRARY:INDEX OUT.kvx\n"
    "  project fill IN.kvx OBJ OUT.kvx [--export PICTURE] [--objects A,B,...] [--quality Q] [render options]\n"
    "                                             drape the object (or OBJ's texture across the objects)\n"
    "  project aa-mask IN.kvx OBJ OUT.kvx [--passes N]\n"
    "                                             a scene object's mask: its visible part, antialiased\n"
    "\n"
    "  drape PHOTO TEXTURE|- OUT [--grid G.kvg] [--mask M.png] [--color AARRGGBB] [--tile X,Y]\n"
    "        [--rotate DEG] [--shift X,Y] [--seamless X,Y] [--glare] [--level-up] [--hi-contrast]\n"
    "        [--transparency T] [--fov RADIANS] [--key K] [--quality Q] [--verbose] [render options]\n"
    "                                             the texture draped over the photo through the grid\n"
    "  batch IN.kvx --object N --textures DIR --out DIR [--quality Q] [--format jpg|png|bmp] [render options]\n"
    "                                             one draped picture per texture of DIR (or of a .kvt or .kvp)\n"
    "  demo DIR                                   a sample room, fabrics and the curtain's project; drapes it\n"
    "  render options: --sampling linear|nearest  --passes -1|2|3|4|8|15|24|66  --no-aa-render  --sharpen\n"
    "\n"
    "  filter NAME PICTURE OUT [--mask M.png] [--param k=v ...]\n"
    "        blur sharpen find-edge sobel blur-edge water-color\n"
    "        npr (noise intensity distortion mode=find-edge|sobel seed)\n"
    "        replace-color (ref=RRGGBB H kS kL deltaH deltaS deltaL)\n"
    "        balance (brightness contrast gamma)  rotate-90 rotate-180 rotate-270 flip-h flip-v\n"
    "        rotate (angle filter=linear|nearest)  resize (width height filter)\n"
    "\n"
    "  select TOOL PICTURE MASK_IN|- MASK_OUT [--mode replace|add|subtract] [--feather R]\n"
    "        rectangle|ellipse --from X,Y --to X,Y    polygon|lasso --points X,Y;X,Y;...\n"
    "        wand --seed X,Y [--color RRGGBB] [--tolerance T]\n"
    "        color-range --color RRGGBB [--tolerance T]\n"
    "        hsl-range --color RRGGBB [--dh 1..50] [--ds 0..1] [--dl 0..1]\n"
    "\n"
    "  texlib create|add|remove|list|extract|thumbnail ...  texture libraries (kelvane-cli texlib --help)\n";

using cli::Failed;
using cli::UsageError;

int64_t integer(const std::string& s, const char* what) { return cli::ParseInteger(s, what); }
double real(const std::string& s, const char* what) { return cli::ParseReal(s, what); }

std::vector<int64_t> integers(const std::string& s, size_t count, const char* what) {
  std::vector<int64_t> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = s.find(',', start);
    out.push_back(integer(s.substr(start, comma - start), what));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (out.size() != count) throw UsageError(std::string(what) + ": expected " + std::to_string(count) + " numbers");
  return out;
}

int side(const std::string& s, const char* what) {
  const int64_t v = integer(s, what);
  if (v < 1 || v > 1000000) throw UsageError(std::string(what) + " must be 1..1000000");
  return int(v);
}

TMapGrid load(const std::string& path) {
  auto g = LoadGridFile(path);
  if (!g) throw Failed(g.error());
  return std::move(g.value());
}

void save(const std::string& path, const TMapGrid& g) {
  if (Status s = SaveGridFile(path, g); !s) throw Failed(s.error());
}

void expect(const std::vector<std::string>& a, size_t n) {
  if (a.size() != n) throw UsageError("expected " + std::to_string(n) + " arguments");
}

void dump(const TMapGrid& g) {
  std::printf("{\"cols\":%lld,\"rows\":%lld,\"nodes\":[", (long long)g.Cols, (long long)g.Rows);
  for (size_t i = 0; i < g.Nodes.size(); ++i) {
    const TMapNode& n = g.Nodes[i];
    std::printf("%s[%.9g,%.9g,%.9g,%.9g,%.9g]", i ? "," : "", n.X, n.Y, n.Z, n.U, n.V);
  }
  std::printf("],\"cells\":[");
  for (size_t i = 0; i < g.Cells.size(); ++i) {
    const TMapCell& c = g.Cells[i];
    std::printf("%s[%d,%d,%d,%d,%d,%d,%d]", i ? "," : "", c.TopLeft, c.TopRight, c.BottomRight, c.BottomLeft,
                c.Col, c.Row, c.Key);
  }
  std::printf("]}\n");
}

TMapGrid fromJson(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) throw Failed(bytes.error());
  auto json = cli::ParseJson(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  if (!json) throw Failed(json.error());
  const cli::Json::Object* root = json->object();
  auto member = [&](const char* key) -> const cli::Json& {
    auto it = root ? root->find(key) : cli::Json::Object::const_iterator{};
    if (!root || it == root->end()) throw Failed(std::string("JSON: missing \"") + key + "\"");
    return it->second;
  };
  auto rows = [&](const char* key, size_t width) {
    const cli::Json::Array* list = member(key).array();
    if (!list) throw Failed(std::string("JSON: \"") + key + "\" is not a list");
    std::vector<std::vector<double>> out;
    for (const cli::Json& item : *list) {
      const cli::Json::Array* a = item.array();
      if (!a || a->size() != width)
        throw Failed(std::string("JSON: every entry of \"") + key + "\" needs " + std::to_string(width) + " numbers");
      std::vector<double> row;
      for (const cli::Json& v : *a) {
        if (!v.number()) throw Failed(std::string("JSON: \"") + key + "\" holds something that is not a number");
        row.push_back(*v.number());
      }
      out.push_back(std::move(row));
    }
    return out;
  };
  TMapGrid g;
  const double* cols = member("cols").number();
  const double* rowsCount = member("rows").number();
  if (!cols || !rowsCount) throw Failed("JSON: \"cols\" and \"rows\" must be numbers");
  g.Cols = int64_t(*cols);
  g.Rows = int64_t(*rowsCount);
  for (const auto& n : rows("nodes", 5))
    g.Nodes.push_back({float(n[0]), float(n[1]), float(n[2]), float(n[3]), float(n[4])});
  for (const auto& c : rows("cells", 7))
    g.Cells.push_back({int32_t(c[0]), int32_t(c[1]), int32_t(c[2]), int32_t(c[3]), int32_t(c[4]), int32_t(c[5]),
                       int32_t(c[6])});
  return g;
}

int grid(std::vector<std::string> a) {
  if (a.empty()) throw UsageError("missing grid command");
  const std::string cmd = a[0];
  a.erase(a.begin());
  std::string cell;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--cell" && cmd == "lattice" && i + 1 < a.size()) {
      cell = a[i + 1];
      a.erase(a.begin() + std::ptrdiff_t(i), a.begin() + std::ptrdiff_t(i) + 2);
      --i;
    } else if (a[i].rfind("--", 0) == 0) {
      throw UsageError("unknown option " + a[i]);
    }
  }
  if (cmd == "lattice") {
    expect(a, 3);
    int cw = 0, ch = 0;
    if (!cell.empty()) {
      const auto v = integers(cell, 2, "--cell");
      cw = int(std::clamp<int64_t>(v[0], 0, 1000000));
      ch = int(std::clamp<int64_t>(v[1], 0, 1000000));
    }
    TMapGrid g;
    BuildLattice(g, side(a[0], "W"), side(a[1], "H"), cw, ch);
    save(a[2], g);
  } else if (cmd == "divide") {
    expect(a, 6);
    const auto r = integers(a[2], 4, "L,T,R,B");
    const int64_t cols = integer(a[3], "COLS"), rows = integer(a[4], "ROWS");
    if (cols < 1 || rows < 1 || cols > 10000 || rows > 10000) throw UsageError("COLS and ROWS must be 1..10000");
    TMapGrid g;
    DivideRect(g, int(r[0]), int(r[1]), int(r[2]), int(r[3]), side(a[0], "W"), side(a[1], "H"), int(cols), int(rows));
    save(a[5], g);
  } else if (cmd == "insert-col" || cmd == "insert-row") {
    expect(a, 3);
    TMapGrid g = load(a[0]);
    const int64_t k = integer(a[1], "K");
    const bool ok = cmd == "insert-col" ? InsertColumn(g, k) : InsertRow(g, k);
    if (!ok) throw Failed("the grid is not a lattice, or K is outside 0.." + std::to_string(cmd == "insert-col" ? g.Cols : g.Rows));
    save(a[2], g);
  } else if (cmd == "reset") {
    expect(a, 2);
    TMapGrid g = load(a[0]);
    ResetNodePositions(g);
    save(a[1], g);
  } else if (cmd == "translate") {
    expect(a, 4);
    TMapGrid g = load(a[0]);
    TranslateNodes(g, real(a[1], "DX"), real(a[2], "DY"));
    save(a[3], g);
  } else if (cmd == "append") {
    expect(a, 5);
    TMapGrid target = load(a[0]);
    AppendGrid(target, load(a[1]), int32_t(integer(a[2], "KEY")), int32_t(integer(a[3], "SOURCEKEY")));
    save(a[4], target);
  } else if (cmd == "dump") {
    expect(a, 1);
    dump(load(a[0]));
  } else if (cmd == "texcoords") {
    return cli::GridTexCoordsCommand(a);
  } else if (cmd == "from-json") {
    expect(a, 2);
    save(a[1], fromJson(a[0]));
  } else {
    throw UsageError("unknown grid command " + cmd);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  try {
    if (words[0] == "grid") return grid({words.begin() + 1, words.end()});
    if (words[0] == "project") return cli::ProjectCommand({words.begin() + 1, words.end()});
    if (words[0] == "drape") return cli::DrapeCommand({words.begin() + 1, words.end()});
    if (words[0] == "demo") return cli::DemoCommand({words.begin() + 1, words.end()});
    if (words[0] == "batch") return cli::BatchCommand({words.begin() + 1, words.end()});
    if (words[0] == "filter") return cli::FilterCommand({words.begin() + 1, words.end()});
    if (words[0] == "select") return cli::SelectCommand({words.begin() + 1, words.end()});
    if (words[0] == "texlib") return cli::TexlibCommand({words.begin() + 1, words.end()});
    throw UsageError("unknown command " + words[0]);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "kelvane-cli: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const Failed& e) {
    std::fprintf(stderr, "kelvane-cli: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kelvane-cli: out of memory\n");
    return 1;
  }
}
