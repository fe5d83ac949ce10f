// daubwell-cli: the paint engine from the command line, for batch work, the demo and
// black-box tests. Exit codes: 0 success, 1 failure, 2 bad usage.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CliArgs.h"
#include "canvas/DemoPainting.h"
#include "canvas/Document.h"
#include "canvas/Lighting.h"
#include "files/AtomicFile.h"
#include "files/BmpWriter.h"
#include "files/PaintDocument.h"
#include "effects/Effects.h"
#include "files/DocumentFlows.h"
#include "files/PngWriter.h"
#include "files/ProgramFolders.h"
#include "files/ReliefExport.h"
#include "tools/BrushEngine.h"
#include "tools/ToolTable.h"

using namespace daubwell;
using namespace daubwell::cli;

namespace {

const char* kUsage =
    "usage: daubwell-cli COMMAND ...\n"
    "\n"
    "  new W H OUT.dwp                 a blank painting (sides 1..5000)\n"
    "  info IN.dwp                     prints: W H VERSION\n"
    "  inspect IN.dwp X,Y [X,Y ...]    prints: X Y red green blue highlight shading height\n"
    "  render IN.dwp OUT.bmp|OUT.png [--lighting on|off] [--quality high|low]\n"
    "                                  relights the whole painting, writes the shown image\n"
    "  resize IN.dwp W H OUT.dwp       Image Size with bilinear resampling\n"
    "  demo OUT.dwp                    the sample painting (thick strokes with gloss)\n"
    "  paint IN.dwp OUT.dwp --tool ID|NAME [--color RRGGBB] [--size N] [--strength F] [--depth F]\n"
    "        [--shading N] [--style N] [--texture N] [--hardness N] [--dynamics k=v,...]\n"
    "        [--seed N] [--offsets SX,SY,TX,TY] --stroke X,Y[:N] [X,Y[:N] ...]\n"
    "                                  a stroke: button down at the first point, for each point\n"
    "                                  a move there and N dabs (default 1), then button up\n"
    "  effect NAME IN.dwp OUT.dwp [--color RRGGBB] [--style N] [--texture N]\n"
    "        [--offsets SX,SY,TX,TY]   one of the seventeen effects (names below)\n"
    "  import PICTURE OUT.dwp          a picture as a painting (colour above grey, grey as gloss)\n"
    "  export-height IN.dwp OUT.png    the relief as 16-bit grey, lowest to highest, the range\n"
    "                                  in the PNG's \"Height range\" text\n"
    "  export-normals IN.dwp OUT.png   the lighting's surface normals as 8-bit RGB\n"
    "                                  (red right, green up, blue towards the viewer)\n"
    "\n"
    "Commands that change a painting accept --print X,Y (repeatable: prints those\n"
    "records after the change, before saving) and OUT '-' (do not save).\n";

// The usage with the tools and effects of the program's own tables.
std::string usage() {
  std::string text = kUsage;
  text += "\nTools (--tool takes the number or the name):\n";
  for (const ToolInfo& t : tools())
    text += "  " + std::to_string(int(t.id)) + "\t" + std::string(t.name) + "\t" + std::string(t.caption) + "\n";
  text += "\nEffects:\n ";
  for (const Effect& e : effects()) text += " " + std::string(e.name);
  return text + "\n";
}


// Prints messages of the engine on stderr, as "Caption: text".
class StderrMessages : public Messages {
public:
  void show(std::string_view text, std::string_view caption, MessageIcon) override {
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                 text.data());
  }
  Answer ask(std::string_view text, std::string_view caption, MessageButtons, MessageIcon) override {
    show(text, caption, MessageIcon::Question);
    return Answer::No;
  }
};

StderrMessages messages;

Document load(const std::string& path) {
  Document doc;
  if (!readDocument(doc, path, messages)) throw Failed("cannot load " + path);
  doc.canvas.kind = kDocumentCanvas;
  return doc;
}

void printRecord(const Canvas& c, const std::string& where) {
  const XY p = parseXY(where, "pixel");
  if (p.x < 0 || p.y < 0 || p.x >= c.width || p.y >= c.height)
    throw Failed("pixel " + where + " is outside the " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " painting");
  const CanvasPixel& px = c.at(uint32_t(p.x), uint32_t(p.y));
  std::printf("%lld %lld %d %d %d %d %d %.9g\n", (long long)p.x, (long long)p.y, px.red,
              px.green, px.blue, px.highlight, px.shading, double(px.height));
}

// --print, then save unless OUT is "-".
void finish(const Document& doc, const CliArgs& args, const std::string& out) {
  for (const std::string& where : args.options("print")) printRecord(doc.canvas, where);
  if (out != "-" && !writeDocument(doc.canvas, out)) throw Failed("File Save failed! (" + out + ")");
}

int cmdNew(const std::vector<std::string>& words) {
  CliArgs a(words, {"print"});
  a.expectCount(3, 3);
  const int64_t w = parseInt(a.at(0), "width"), h = parseInt(a.at(1), "height");
  Document doc;
  if (!newDocumentChecked(doc, w, h, messages)) return 1;
  finish(doc, a, a.at(2));
  return 0;
}

int cmdInfo(const std::vector<std::string>& words) {
  CliArgs a(words, {});
  a.expectCount(1, 1);
  auto bytes = readWholeFile(a.at(0));
  if (!bytes) throw Failed(kCannotOpenText);
  auto header = parseDocumentHeader(bytes.value());
  if (!header || header->magic != kDocumentMagic) throw Failed(kNotDaubwellText);
  std::printf("%d %d %d\n", header->width, header->height, header->version);
  return 0;
}

int cmdInspect(const std::vector<std::string>& words) {
  CliArgs a(words, {});
  a.expectCount(2, SIZE_MAX);
  const Document doc = load(a.at(0));
  for (size_t i = 1; i < a.count(); ++i) printRecord(doc.canvas, a.at(i));
  return 0;
}

bool endsWith(const std::string& s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::tolower((unsigned char)s[s.size() - tail.size() + i]) != tail[i]) return false;
  return true;
}

int cmdRender(const std::vector<std::string>& words) {
  CliArgs a(words, {"lighting", "quality"});
  a.expectCount(2, 2);
  const std::string out = a.at(1);
  const bool png = endsWith(out, ".png");
  if (!png && !endsWith(out, ".bmp")) throw UsageError("render writes .bmp or .png: " + out);
  Document doc = load(a.at(0));
  if (auto v = a.option("lighting")) doc.canvas.lightingOn = parseSwitch(*v, "on", "off", "--lighting");
  if (auto v = a.option("quality")) doc.canvas.highQuality = parseSwitch(*v, "high", "low", "--quality");
  relightAll(doc.canvas);
  if (png) {
    if (Status s = writePng(doc.canvas.surface, out); !s) throw Failed(s.error());
  } else if (!writeBmp(doc.canvas.surface, out)) {
    throw Failed("cannot write " + out);
  }
  return 0;
}

int cmdResize(const std::vector<std::string>& words) {
  CliArgs a(words, {"print"});
  a.expectCount(4, 4);
  Document doc = load(a.at(0));
  const int64_t w = parseInt(a.at(1), "width"), h = parseInt(a.at(2), "height");
  if (!imageSize(doc, w, h, messages)) return 1;
  finish(doc, a, a.at(3));
  return 0;
}

int cmdDemo(const std::vector<std::string>& words) {
  CliArgs a(words, {"print"});
  a.expectCount(1, 1);
  Document doc;
  paintDemo(doc.canvas);
  finish(doc, a, a.at(0));
  return 0;
}

Rgb parseColor(const std::string& text) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (text.size() != 6 || *end) throw UsageError("--color: expected RRGGBB, got " + text);
  return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

double parseReal(const std::string& text, const char* what) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end || !std::isfinite(v)) throw UsageError(std::string(what) + ": not a number: " + text);
  return v;
}

int64_t ranged(const std::string& text, const char* what, int64_t lo, int64_t hi) {
  const int64_t v = parseInt(text, what);
  if (v < lo || v > hi)
    throw UsageError(std::string(what) + " must be " + std::to_string(lo) + ".." + std::to_string(hi));
  return v;
}

PatternOffsets parseOffsets(const std::string& text) {
  std::vector<float> v;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    v.push_back(float(parseReal(text.substr(start, comma - start), "--offsets")));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (v.size() != 4) throw UsageError("--offsets: expected SX,SY,TX,TY");
  return {v[0], v[1], v[2], v[3]};
}

const PatternImages& patterns() {
  static PatternImages images;
  static bool loaded = false;
  if (!loaded) {
    loadPatternImages(images, messages);
    loaded = true;
  }
  return images;
}

// --dynamics fadeStrength=1,fadeSize=0,oscillate=1,fadeStrengthLength=F,fadeSizeLength=F,
// oscillateAmount=F,oscillatePhase=F,oscillatePeriod=F
StrokeDynamics parseDynamics(const std::string& text) {
  StrokeDynamics d;
  size_t start = 0;
  while (start < text.size()) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma - start);
    const size_t eq = item.find('=');
    if (eq == std::string::npos) throw UsageError("--dynamics: expected key=value, got " + item);
    const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
    const double v = parseReal(value, "--dynamics");
    if (key == "fadeStrength") d.fadeStrength = v != 0;
    else if (key == "fadeSize") d.fadeSize = v != 0;
    else if (key == "oscillate") d.oscillate = v != 0;
    else if (key == "fadeStrengthLength") d.fadeStrengthLength = float(v);
    else if (key == "fadeSizeLength") d.fadeSizeLength = float(v);
    else if (key == "oscillateAmount") d.oscillateAmount = float(v);
    else if (key == "oscillatePhase") d.oscillatePhase = float(v);
    else if (key == "oscillatePeriod") d.oscillatePeriod = float(v);
    else throw UsageError("--dynamics: unknown key " + key);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return d;
}

// --tool: a tool's number (0..18; 3 and 4 are numbers without a tool, which paint
// nothing) or its name.
int32_t parseTool(const std::string& text) {
  if (const ToolInfo* t = findTool(text)) return int32_t(t->id);
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
    throw UsageError("--tool: no tool is called " + text);
  return int32_t(ranged(text, "--tool", 0, kToolCount - 1));
}

int cmdPaint(const std::vector<std::string>& words) {
  // The points after --stroke run to the next option.
  std::vector<std::string> rest, points;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] != "--stroke") {
      rest.push_back(words[i]);
      continue;
    }
    while (i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0) points.push_back(words[++i]);
  }
  CliArgs a(rest, {"tool", "color", "size", "strength", "depth", "shading", "style", "texture", "hardness",
                   "dynamics", "seed", "offsets", "print"});
  a.expectCount(2, 2);
  if (points.empty()) throw UsageError("--stroke needs at least one point");
  const auto tool = a.option("tool");
  if (!tool) throw UsageError("--tool is required");
  Document doc = load(a.at(0));
  PaintRandom random(uint32_t(a.option("seed") ? ranged(*a.option("seed"), "--seed", 0, UINT32_MAX) : 1));
  PaintEngine engine(patterns(), random);
  engine.messages = &messages;
  Brush& b = engine.brush;
  b.tool = parseTool(*tool);
  if (auto v = a.option("color")) {
    const Rgb c = parseColor(*v);
    b.red = c.r;
    b.green = c.g;
    b.blue = c.b;
  }
  b.size = int32_t(a.option("size") ? ranged(*a.option("size"), "--size", 1, 100) : 30);
  b.strength = float(a.option("strength") ? parseReal(*a.option("strength"), "--strength") : 1.0);
  b.depth = float(a.option("depth") ? parseReal(*a.option("depth"), "--depth") : 0.0);
  b.shading = uint8_t(a.option("shading") ? ranged(*a.option("shading"), "--shading", 0, 255) : 255);
  b.style = uint8_t(a.option("style") ? ranged(*a.option("style"), "--style", 0, kPatternCount - 1) : 0);
  b.texture = uint8_t(a.option("texture") ? ranged(*a.option("texture"), "--texture", 0, kPatternCount - 1) : 0);
  b.hardness = uint8_t(a.option("hardness") ? ranged(*a.option("hardness"), "--hardness", 1, 100) : 50);
  if (auto v = a.option("dynamics")) engine.dynamics = parseDynamics(*v);

  for (size_t i = 0; i < points.size(); ++i) {
    const std::string& point = points[i];
    const size_t colon = point.find(':');
    const XY p = parseXY(point.substr(0, colon), "--stroke");
    const int64_t dabs = colon == std::string::npos ? 1 : ranged(point.substr(colon + 1), "--stroke dabs", 0, 100000);
    if (std::abs(p.x) > 1000000 || std::abs(p.y) > 1000000) throw UsageError("--stroke: point too far away");
    if (i == 0) {
      engine.press(doc, int(p.x), int(p.y));
      if (auto v = a.option("offsets")) engine.offsets = parseOffsets(*v);
    } else if (p.x != engine.cursorX() || p.y != engine.cursorY()) {
      engine.move(int(p.x), int(p.y));
    }
    for (int64_t k = 0; k < dabs; ++k) engine.frame(doc);
  }
  engine.release();
  finish(doc, a, a.at(1));
  return 0;
}

int cmdEffect(const std::vector<std::string>& words) {
  CliArgs a(words, {"color", "style", "texture", "offsets", "print"});
  a.expectCount(3, 3);
  const Effect* effect = findEffect(a.at(0));
  if (!effect) throw UsageError("unknown effect " + a.at(0));
  Document doc = load(a.at(1));
  EffectParams params;
  if (auto v = a.option("color")) params.color = parseColor(*v);
  if (auto v = a.option("style")) params.style = int(ranged(*v, "--style", 0, kPatternCount - 1));
  if (auto v = a.option("texture")) params.texture = int(ranged(*v, "--texture", 0, kPatternCount - 1));
  if (auto v = a.option("offsets")) params.offsets = parseOffsets(*v);
  params.patterns = &patterns();
  applyEffect(doc, *effect, params);
  finish(doc, a, a.at(2));
  return 0;
}

int cmdImport(const std::vector<std::string>& words) {
  CliArgs a(words, {"print"});
  a.expectCount(2, 2);
  Document doc;
  if (!importImage(doc, a.at(0), messages)) return 1;
  finish(doc, a, a.at(1));
  return 0;
}

// export-height and export-normals: a painting's relief for other programs.
int exportRelief(const std::vector<std::string>& words, Status (*write)(const Canvas&, const std::string&)) {
  CliArgs a(words, {});
  a.expectCount(2, 2);
  if (!endsWith(a.at(1), ".png")) throw UsageError("the relief is written as .png: " + a.at(1));
  Document doc = load(a.at(0));
  if (Status s = write(doc.canvas, a.at(1)); !s) throw Failed(s.error());
  return 0;
}
int cmdExportHeight(const std::vector<std::string>& words) { return exportRelief(words, writeHeightMap); }
int cmdExportNormals(const std::vector<std::string>& words) { return exportRelief(words, writeNormalMap); }

struct Command {
  std::string_view name;
  int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"new", cmdNew},       {"info", cmdInfo},     {"inspect", cmdInspect},
    {"render", cmdRender}, {"resize", cmdResize}, {"demo", cmdDemo},
    {"paint", cmdPaint},   {"effect", cmdEffect}, {"import", cmdImport},
    {"export-height", cmdExportHeight}, {"export-normals", cmdExportNormals},
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    std::fputs(usage().c_str(), stderr);
    return 2;
  }
  if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::fputs(usage().c_str(), stdout);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (words[0] != c.name) continue;
    try {
      return c.run({words.begin() + 1, words.end()});
    } catch (const UsageError& e) {
      std::fprintf(stderr, "daubwell-cli %s: %s\n%s", words[0].c_str(), e.what(), usage().c_str());
      return 2;
    } catch (const Failed& e) {
      std::fprintf(stderr, "daubwell-cli %s: %s\n", words[0].c_str(), e.what());
      return 1;
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "daubwell-cli %s: out of memory\n", words[0].c_str());
      return 1;
    }
  }
  std::fprintf(stderr, "daubwell-cli: unknown command %s\n%s", words[0].c_str(), usage().c_str());
  return 2;
}
