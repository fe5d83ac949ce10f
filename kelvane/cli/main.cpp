// kelvane-cli: the draping engine from the command line, for batch work and black-box
// tests. Exit codes: 0 success, 1 failure, 2 bad usage.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CliErrors.h"
#include "CliSupport.h"
#include "DemoCommand.h"
#include "DrapeCommands.h"
#include "FilterCommand.h"
#include "Json.h"
#include "GridPerspectiveCommand.h"
#include "ProjectCommands.h"
#include "SceneCommands.h"
#include "SelectCommand.h"
#include "TexlibCommands.h"
#include "drape/FollowFolds.h"
#include "drape/KVXGridTools.h"
#include "project/TKVXFile2.h"
#include "raster/FileIO.h"

using namespace kelvane;

namespace {

using cli::Failed;
using cli::UsageError;
using Args = std::vector<std::string>;

constexpr int64_t kFar = 1000000;  // pixels: no picture is larger
constexpr int64_t kInt32Min = INT32_MIN, kInt32Max = INT32_MAX;

// `count` whole numbers "a,b,...", each lo..hi.
std::vector<int64_t> integers(const std::string& s, size_t count, const char* what, int64_t lo, int64_t hi) {
  std::vector<int64_t> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = s.find(',', start);
    out.push_back(cli::ParseIntegerIn(s.substr(start, comma - start), what, lo, hi));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (out.size() != count) throw UsageError(std::string(what) + ": expected " + std::to_string(count) + " numbers");
  return out;
}

int side(const std::string& s, const char* what) { return int(cli::ParseIntegerIn(s, what, 1, kFar)); }

TMapGrid load(const std::string& path) {
  auto g = LoadGridFile(path);
  if (!g) throw Failed(g.error());
  return std::move(g.value());
}

void save(const std::string& path, const TMapGrid& g) {
  if (Status s = SaveGridFile(path, g); !s) throw Failed(s.error());
}

// The value of --OPTION, taken out of the words.
std::optional<std::string> takeOption(Args& a, const std::string& option) {
  std::optional<std::string> value;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != option) continue;
    if (i + 1 >= a.size()) throw UsageError(option + " needs a value");
    value = a[i + 1];
    a.erase(a.begin() + std::ptrdiff_t(i), a.begin() + std::ptrdiff_t(i) + 2);
    --i;
  }
  return value;
}

// The n arguments; an option left among them is bad usage.
const Args& expect(const Args& a, size_t n) {
  for (const std::string& w : a)
    if (w.size() > 2 && w.rfind("--", 0) == 0) throw UsageError("unknown option " + w);
  if (a.size() != n) throw UsageError("expected " + std::to_string(n) + " arguments");
  return a;
}

void dump(const TMapGrid& g) {
  std::printf("{\"cols\":%lld,\"rows\":%lld,\"nodes\":[", (long long)g.Cols, (long long)g.Rows);
  for (size_t i = 0; i < g.Nodes.size(); ++i) {
    const TMapNode& n = g.Nodes[i];
    std::printf("%s[%s,%s,%s,%s,%s]", i ? "," : "", cli::JsonNumber(n.X).c_str(), cli::JsonNumber(n.Y).c_str(),
                cli::JsonNumber(n.Z).c_str(), cli::JsonNumber(n.U).c_str(), cli::JsonNumber(n.V).c_str());
  }
  std::printf("],\"cells\":[");
  for (size_t i = 0; i < g.Cells.size(); ++i) {
    const TMapCell& c = g.Cells[i];
    std::printf("%s[%d,%d,%d,%d,%d,%d,%d]", i ? "," : "", c.TopLeft, c.TopRight, c.BottomRight, c.BottomLeft,
                c.Col, c.Row, c.Key);
  }
  std::printf("]}\n");
}

// The grid of `grid dump`'s JSON. A node value of null (what the dump writes for a number
// that is not finite) reads as NaN; counts and cell fields must be whole numbers.
TMapGrid fromJson(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) throw Failed(bytes.error());
  auto json = cli::ParseJson(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  if (!json) throw Failed(json.error());
  const cli::Json::Object* root = json->object();
  auto member = [&](const std::string& key) -> const cli::Json& {
    auto it = root ? root->find(key) : cli::Json::Object::const_iterator{};
    if (!root || it == root->end()) throw Failed("JSON: missing \"" + key + "\"");
    return it->second;
  };
  auto whole = [](const std::string& where, double v, double lo, double hi) {
    if (!(v >= lo && v <= hi) || v != std::floor(v))
      throw Failed("JSON: " + where + " must be a whole number " + cli::RangeText(lo, hi) + ", got " +
                   cli::JsonNumber(v));
    return v;
  };
  // The entries of the list `key`, each `width` numbers (null: NaN).
  auto rows = [&](const std::string& key, size_t width) {
    const cli::Json::Array* list = member(key).array();
    if (!list) throw Failed("JSON: \"" + key + "\" is not a list");
    std::vector<std::vector<double>> out;
    for (const cli::Json& item : *list) {
      const cli::Json::Array* a = item.array();
      if (!a || a->size() != width)
        throw Failed("JSON: every entry of \"" + key + "\" needs " + std::to_string(width) + " numbers");
      std::vector<double> row;
      for (const cli::Json& v : *a) {
        if (!v.number() && v.kind != cli::Json::Kind::Null)
          throw Failed("JSON: \"" + key + "\" holds something that is not a number");
        row.push_back(v.number() ? *v.number() : NAN);
      }
      out.push_back(std::move(row));
    }
    return out;
  };
  TMapGrid g;
  for (const char* key : {"cols", "rows"}) {
    const double* v = member(key).number();
    if (!v) throw Failed(std::string("JSON: \"") + key + "\" must be a number");
    (key[0] == 'c' ? g.Cols : g.Rows) = int64_t(whole(std::string("\"") + key + "\"", *v, 0, double(kInt32Max)));
  }
  for (const auto& n : rows("nodes", 5)) {
    for (double v : n)
      if (std::fabs(v) > FLT_MAX) throw Failed("JSON: a node value is too large for a single: " + cli::JsonNumber(v));
    g.Nodes.push_back({float(n[0]), float(n[1]), float(n[2]), float(n[3]), float(n[4])});
  }
  for (const auto& c : rows("cells", 7)) {
    int32_t f[7];
    for (size_t k = 0; k < 7; ++k)
      f[k] = int32_t(whole("a cell field", c[k], double(kInt32Min), double(kInt32Max)));
    g.Cells.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
  }
  return g;
}

int gridLattice(const Args& args) {
  Args a = args;
  const auto cell = takeOption(a, "--cell");
  expect(a, 3);
  int cw = 0, ch = 0;
  if (cell) {
    const auto v = integers(*cell, 2, "--cell", 0, kFar);
    cw = int(v[0]);
    ch = int(v[1]);
  }
  TMapGrid g;
  BuildLattice(g, side(a[0], "W"), side(a[1], "H"), cw, ch);
  save(a[2], g);
  return 0;
}

int gridDivide(const Args& args) {
  const Args& a = expect(args, 6);
  const auto r = integers(a[2], 4, "L,T,R,B", -kFar, kFar);
  const int cols = int(cli::ParseIntegerIn(a[3], "COLS", 1, 10000));
  const int rows = int(cli::ParseIntegerIn(a[4], "ROWS", 1, 10000));
  TMapGrid g;
  DivideRect(g, int(r[0]), int(r[1]), int(r[2]), int(r[3]), side(a[0], "W"), side(a[1], "H"), cols, rows);
  save(a[5], g);
  return 0;
}

int gridFollowFolds(const Args& args) {
  const Args& a = expect(args, 6);
  TFoldOptions o;
  o.Cols = int(cli::ParseIntegerIn(a[2], "COLS", 1, 2000));
  o.Rows = int(cli::ParseIntegerIn(a[3], "ROWS", 1, 2000));
  o.Strength = cli::ParseRealIn(a[4], "STRENGTH", -1000, 1000);
  const TBitmap32 photo = cli::LoadPictureOrFail(a[0]);
  const TByteMap mask = cli::LoadMaskPicture(a[1], photo.Width(), photo.Height(), "the photo");
  auto g = FollowFoldsGrid(photo, mask, o);
  if (!g) throw Failed(g.error());
  save(a[5], g.value());
  return 0;
}

int gridInsert(const Args& args, bool column) {
  const Args& a = expect(args, 3);
  TMapGrid g = load(a[0]);
  const int64_t k = cli::ParseInteger(a[1], "K");
  if (!(column ? InsertColumn(g, k) : InsertRow(g, k)))
    throw Failed("the grid is not a lattice, or K is outside 0.." + std::to_string(column ? g.Cols : g.Rows));
  save(a[2], g);
  return 0;
}

int gridReset(const Args& args) {
  const Args& a = expect(args, 2);
  TMapGrid g = load(a[0]);
  ResetNodePositions(g);
  save(a[1], g);
  return 0;
}

int gridTranslate(const Args& args) {
  const Args& a = expect(args, 4);
  // Node units: the picture spans -1..1.
  const double dx = cli::ParseRealIn(a[1], "DX", -1000, 1000), dy = cli::ParseRealIn(a[2], "DY", -1000, 1000);
  TMapGrid g = load(a[0]);
  TranslateNodes(g, dx, dy);
  save(a[3], g);
  return 0;
}

int gridAppend(const Args& args) {
  const Args& a = expect(args, 5);
  const auto key = int32_t(cli::ParseIntegerIn(a[2], "KEY", kInt32Min, kInt32Max));
  const auto sourceKey = int32_t(cli::ParseIntegerIn(a[3], "SOURCEKEY", kInt32Min, kInt32Max));
  TMapGrid target = load(a[0]);
  AppendGrid(target, load(a[1]), key, sourceKey);
  save(a[4], target);
  return 0;
}

int gridDump(const Args& args) {
  dump(load(expect(args, 1)[0]));
  return 0;
}

int gridFromJson(const Args& args) {
  const Args& a = expect(args, 2);
  save(a[1], fromJson(a[0]));
  return 0;
}

const char* const kRenderOptions =
    "\nrender options: --sampling linear|nearest|smooth (smooth: trilinear over the mipmaps), --passes\n"
    "-1|2|3|4|8|15|24|66 (the antialiasing of perspective (scene) drapes only; -1 none), --no-aa-render,\n"
    "--sharpen (the drape inside the mask), --projective (each cell of a flat grid maps the texture\n"
    "projectively: pattern lines stay straight in cells drawn in perspective), --texture-alpha (the\n"
    "texture's transparency lets the photo show through)";

const char* const kTilingOptions =
    "\ntiling options: --keep-aspect (TileY from TileX so that the texture keeps its proportions on the\n"
    "grid), --object-width CM --repeat CM[,CM] (TileX and TileY from the object's width and the fabric's\n"
    "repeat; a repeat without a height takes the texture's proportions)";

// One command: its group (first word), its name (second word; empty: the group takes
// every word after the first), its usage line and what it does. A new command is a row.
struct Command {
  std::string_view group, name;
  std::string usage, about;
  int (*run)(const Args&);
};

const Command kCommands[] = {
    {"grid", "lattice", "grid lattice W H OUT.kvg [--cell CW,CH]",
     "the default lattice over a W x H image: 3 x 3 cells, or cells of CW x CH pixels", gridLattice},
    {"grid", "divide", "grid divide W H L,T,R,B COLS ROWS OUT.kvg", "a lattice over a pixel rectangle", gridDivide},
    {"grid", "follow-folds", "grid follow-folds PHOTO MASK COLS ROWS STRENGTH OUT.kvg",
     "a lattice of COLS x ROWS cells over the mask's bounding box whose texture coordinates follow the\n"
     "folds: each node's (U, V) is moved along the slope of the photo's smoothed brightness inside the\n"
     "mask, by STRENGTH pixels (-1000..1000) where the brightness changes by its whole range across one\n"
     "cell. A photo of one brightness gives the plain lattice",
     gridFollowFolds},
    {"grid", "insert-col", "grid insert-col IN.kvg K OUT.kvg", "a column before lattice column K (0..Cols)",
     [](const Args& a) { return gridInsert(a, true); }},
    {"grid", "insert-row", "grid insert-row IN.kvg K OUT.kvg", "a row before lattice row K (0..Rows)",
     [](const Args& a) { return gridInsert(a, false); }},
    {"grid", "reset", "grid reset IN.kvg OUT.kvg", "the nodes back on the regular lattice", gridReset},
    {"grid", "translate", "grid translate IN.kvg DX DY OUT.kvg", "every node moved (node units, -1000..1000)",
     gridTranslate},
    {"grid", "append", "grid append TARGET.kvg SOURCE.kvg KEY SOURCEKEY OUT.kvg",
     "SOURCE merged into TARGET: its cells keyed SOURCEKEY become KEY; only cells keyed KEY stay", gridAppend},
    {"grid", "dump", "grid dump IN.kvg",
     "the grid as JSON: {\"cols\",\"rows\",\"nodes\":[[x,y,z,u,v],...],\"cells\":[[tl,tr,br,bl,col,row,key],...]};\n"
     "numbers that are not finite are null",
     gridDump},
    {"grid", "from-json", "grid from-json IN.json OUT.kvg", "a grid from the JSON of grid dump", gridFromJson},
    {"grid", "texcoords", "grid texcoords IN.kvg EUX EUY EUZ EKX EVX EVY EVZ EKY OUT.kvg",
     "U = X*EUX - Y*EUY + Z*EUZ + EKX and V likewise, coefficients in thousandths", cli::GridTexCoordsCommand},
    {"grid", "perspective", "grid perspective W H X0,Y0 X1,Y1 X2,Y2 X3,Y3 COLS ROWS OUT.kvg",
     "a lattice whose outline is the quadrilateral of the corners (top left, top right, bottom right,\n"
     "bottom left, image pixels); interior nodes by the projective mapping",
     cli::GridPerspectiveCommand},

    {"texlib", "create", "texlib create OUT.kvt PICTURE|DIR...", "a library of the pictures (a folder: its pictures by name)",
     cli::TexlibCreateCommand},
    {"texlib", "add", "texlib add IN.kvt PICTURE|DIR... OUT.kvt", "the library with the pictures appended",
     cli::TexlibAddCommand},
    {"texlib", "remove", "texlib remove IN.kvt INDEX OUT.kvt", "the library without texture INDEX",
     cli::TexlibRemoveCommand},
    {"texlib", "list", "texlib list IN.kvt", "JSON: {\"count\":N,\"textures\":[{\"index\",\"format\",\"width\",\"height\"},...]}",
     cli::TexlibListCommand},
    {"texlib", "extract", "texlib extract IN.kvt INDEX OUT", "texture INDEX's picture file, byte for byte",
     cli::TexlibExtractCommand},
    {"texlib", "thumbnail", "texlib thumbnail IN.kvt INDEX OUT.png", "texture INDEX's 100 x 100 thumbnail",
     cli::TexlibThumbnailCommand},

    {"project", "new",
     "project new PICTURE OUT.kvx [--group-by-materials on|off] [--by-name yes|no] [--use-old yes|no]",
     "a project of one object (\"KVXObject0\") over the picture; when PICTURE.kv lies beside it, one object per\n"
     "visible part of that scene instead (grouped by default; the yes|no options answer the questions\n"
     "\"Grouping by Material names?\" and \"Use Old File?\", both yes by default)",
     cli::ProjectNewCommand},
    {"project", "info", "project info IN.kvx",
     "JSON: size, every object's parameters, included pictures (names in UTF-8, numbers that are not finite null)",
     cli::ProjectInfoCommand},
    {"project", "add-object", "project add-object IN.kvx NAME OUT.kvx",
     "a new object named NAME (up to 30 characters) that covers nothing, with the default lattice",
     cli::ProjectAddObjectCommand},
    {"project", "set", "project set IN.kvx OBJ FIELD=VALUE... OUT.kvx [tiling options]",
     "OBJ is an object's index or its Name. Fields: Name (up to 100 characters), Color (AARRGGBB),\n"
     "Glare, LevelUp, HiContrast (0|1), Transparency (0..255), Rotate (0..360), TileX, TileY (0.001..100),\n"
     "SeamlessX, SeamlessY (0..0.5), ShiftX, ShiftY (-1..1), FieldOfView (radians, 0 for a flat object,\n"
     "below pi), MaterialKey, MaterialKey2" + std::string(kTilingOptions),
     cli::ProjectSetCommand},
    {"project", "set-mask", "project set-mask IN.kvx OBJ MASK.png OUT.kvx",
     "the mask from a grey picture of the project's size", cli::ProjectSetMaskCommand},
    {"project", "set-grid", "project set-grid IN.kvx OBJ GRID.kvg OUT.kvx", "the object's grid from a grid file",
     cli::ProjectSetGridCommand},
    {"project", "set-texture", "project set-texture IN.kvx OBJ PICTURE|texlib:LIBRARY:INDEX OUT.kvx",
     "the texture's pixels from a picture, or a reference to a library entry", cli::ProjectSetTextureCommand},
    {"project", "fill",
     "project fill IN.kvx OBJ OUT.kvx [--export PICTURE] [--objects A,B,...] [--quality Q] [render options]",
     std::string("drapes the object with its texture, colour and options; --objects drapes OBJ's texture across\n"
                 "the objects as one surface") + kRenderOptions,
     cli::ProjectFillCommand},
    {"project", "aa-mask", "project aa-mask IN.kvx OBJ OUT.kvx [--passes N]",
     "a scene object's mask: its visible part, antialiased", cli::ProjectAAMaskCommand},
    {"project", "get-mask", "project get-mask IN.kvx OBJ OUT.png", "the object's mask as a grey picture",
     cli::ProjectGetMaskCommand},
    {"project", "get-grid", "project get-grid IN.kvx OBJ OUT.kvg [--second]",
     "the object's grid (or its second grid) as a grid file", cli::ProjectGetGridCommand},

    {"drape", "",
     "drape PHOTO TEXTURE|- OUT [--grid G.kvg] [--mask M.png] [--color AARRGGBB] [--tile X,Y] [--rotate DEG]\n"
     "      [--shift X,Y] [--seamless X,Y] [--glare] [--level-up] [--hi-contrast] [--transparency T]\n"
     "      [--fov RADIANS] [--key K] [--quality Q] [--verbose] [tiling options] [render options]",
     std::string("the texture (- for the colour alone) draped over the photo through the grid. Ranges: --tile\n"
                 "0.001..100, --rotate 0..360, --shift -1..1, --seamless 0..0.5, --transparency 0..255, --fov 0\n"
                 "(flat) or below pi, --quality 1..100") + kTilingOptions + kRenderOptions,
     cli::DrapeCommand},
    {"batch", "",
     "batch IN.kvx --object OBJ --textures DIR|LIB.kvt|LIST.kvp --out DIR [--quality Q] [--format jpg|png|bmp]\n"
     "      [--shard K/N] [--manifest OUT.json] [--resume] [tiling options] [render options]",
     std::string("one draped picture per texture of the folder (by file name), library or list.\n"
                 "--shard K/N: only slice K (0..N-1) of N: textures K, K+N, K+2N, ... of the list; N runs, one\n"
                 "per K, give exactly the pictures of one run without --shard. --manifest: one JSON record per\n"
                 "texture of the slice (input, output, milliseconds, status ok|skipped|failed, message).\n"
                 "--resume: outputs that exist are complete (written under a temporary name, then renamed) and\n"
                 "are not made again. The tiling options are applied to each texture's proportions") +
         kTilingOptions + kRenderOptions,
     cli::BatchCommand},
    {"demo", "", "demo DIR", "a sample room, fabrics and the curtain's project; drapes it", cli::DemoCommand},

    {"filter", "", "filter NAME PICTURE OUT [--mask M.png] [--param k=v ...] [--entry k=v,k=v,...]",
     "blur sharpen find-edge sobel blur-edge(needs --mask) water-color\n"
     "npr (noise 0..100, intensity 1..255, distortion 0..10, mode=find-edge|sobel, seed)\n"
     "replace-color (ref=RRGGBB, H 0..1, kS 0..5, kL 0..2, deltaH 1..50, deltaS 0..1, deltaL 0..1),\n"
     "  as --param for one entry or as repeated --entry ref=..,H=..,kS=.. applied in order\n"
     "whole-picture adjustments, which take no --mask: balance (brightness, contrast, gamma: -100..100),\n"
     "rotate-90 rotate-180 rotate-270 flip-h flip-v, rotate (angle, filter=linear|nearest),\n"
     "resize (width, height, filter)",
     cli::FilterCommand},
    {"select", "",
     "select TOOL PICTURE MASK_IN|- MASK_OUT [tool options] [--mode replace|add|subtract] [--feather 0..100]",
     "rectangle|ellipse --from X,Y --to X,Y;  polygon|lasso --points X,Y;X,Y;...\n"
     "wand --seed X,Y [--color RRGGBB] [--tolerance 1..100];  color-range --color RRGGBB [--tolerance 1..100]\n"
     "hsl-range --color RRGGBB [--dh 1..50] [--ds 0..1] [--dl 0..1]",
     cli::SelectCommand},

    {"scene", "from-model", "scene from-model MODEL OUT.png [--size WxH] [--camera NAME] [--fov RADIANS]",
     "a shaded picture of a 3D model (OBJ, glTF, Collada, 3DS, FBX, PLY, ...) from its first or the named\n"
     "camera, or from the front, and its scene file OUT.kv: one block per part, named after its material.\n"
     "Default size 1200x900, --fov 0.01..3.1 across the square of the longer side",
     cli::SceneFromModelCommand},
};

bool isHelp(std::string_view w) { return w == "--help" || w == "-h"; }

void printUsage(FILE* out, const Command& c) {
  std::fprintf(out, "kelvane-cli %s\n", c.usage.c_str());
  size_t start = 0;
  for (;;) {  // the description indented under the usage
    const size_t end = c.about.find('\n', start);
    std::fprintf(out, "    %s\n", c.about.substr(start, end - start).c_str());
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

// Every command, or those of one group.
void printCommands(FILE* out, std::string_view group) {
  if (group.empty())
    std::fprintf(out, "usage: kelvane-cli COMMAND ...   (kelvane-cli COMMAND --help: one command)\n\n");
  std::string_view last;
  for (const Command& c : kCommands) {
    if (!group.empty() && c.group != group) continue;
    if (!last.empty() && c.group != last) std::fputc('\n', out);
    last = c.group;
    printUsage(out, c);
  }
}

// Bad usage: the message, and where to read the usage.
int usageError(const std::string& message, const std::string& helpCommand) {
  std::fprintf(stderr, "kelvane-cli: %s\nrun 'kelvane-cli %s--help' for the usage\n", message.c_str(),
               helpCommand.c_str());
  return 2;
}

int run(const Args& words) {
  if (words.empty()) return usageError("missing command", "");
  if (isHelp(words[0]) || words[0] == "help") {
    printCommands(stdout, "");
    return 0;
  }
  const std::string& group = words[0];
  const Command* command = nullptr;
  bool known = false;
  for (const Command& c : kCommands) {
    if (c.group != group) continue;
    known = true;
    if (c.name.empty() || (words.size() > 1 && c.name == words[1])) command = &c;
  }
  if (!known) return usageError("unknown command " + group, "");
  if (!command) {
    if (words.size() > 1 && isHelp(words[1])) {
      printCommands(stdout, group);
      return 0;
    }
    return usageError(words.size() > 1 ? "unknown " + group + " command " + words[1] : "missing " + group + " command",
                      group + " ");
  }
  const Args rest(words.begin() + (command->name.empty() ? 1 : 2), words.end());
  for (const std::string& w : rest)
    if (isHelp(w)) {
      printUsage(stdout, *command);
      return 0;
    }
  const std::string helpCommand = group + " " + (command->name.empty() ? "" : std::string(command->name) + " ");
  try {
    return command->run(rest);
  } catch (const UsageError& e) {
    return usageError(e.what(), helpCommand);
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterKvxPictureFormat();
  try {
    return run(Args(argv + 1, argv + argc));
  } catch (const Failed& e) {
    std::fprintf(stderr, "kelvane-cli: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kelvane-cli: out of memory\n");
    return 1;
  }
}
