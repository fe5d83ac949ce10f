// daubwell-cli: the paint engine from the command line, for batch work, the demo and
// black-box tests. Exit codes: 0 success, 1 failure, 2 bad usage.
#include <cctype>
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
#include "files/PngWriter.h"

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
    "\n"
    "Commands that change a painting accept --print X,Y (repeatable: prints those\n"
    "records after the change, before saving) and OUT '-' (do not save).\n";

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

struct Command {
  std::string_view name;
  int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"new", cmdNew},       {"info", cmdInfo},     {"inspect", cmdInspect},
    {"render", cmdRender}, {"resize", cmdResize}, {"demo", cmdDemo},
};

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
  for (const Command& c : kCommands) {
    if (words[0] != c.name) continue;
    try {
      return c.run({words.begin() + 1, words.end()});
    } catch (const UsageError& e) {
      std::fprintf(stderr, "daubwell-cli %s: %s\n%s", words[0].c_str(), e.what(), kUsage);
      return 2;
    } catch (const Failed& e) {
      std::fprintf(stderr, "daubwell-cli %s: %s\n", words[0].c_str(), e.what());
      return 1;
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "daubwell-cli %s: out of memory\n", words[0].c_str());
      return 1;
    }
  }
  std::fprintf(stderr, "daubwell-cli: unknown command %s\n%s", words[0].c_str(), kUsage);
  return 2;
}
