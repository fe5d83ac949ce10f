#include "TexlibCommands.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "CliErrors.h"
#include "CliSupport.h"
#include "raster/FileIO.h"
#include "raster/PictureFormats.h"
#include "texlib/TKVXLibView.h"
#include "texlib/TTextureLibrary.h"
#include "texlib/Thumbnail.h"

namespace kelvane::cli {
namespace {

using Args = std::vector<std::string>;

void expect(const Args& a, size_t n, const char* form) {
  if (a.size() != n) throw UsageError(std::string("expected ") + form);
}

TTextureLibrary loadLibrary(const std::string& path) {
  auto lib = TTextureLibrary::Load(path);
  if (!lib) throw Failed(lib.error());
  return std::move(lib.value());
}

TKVXLibView openLibrary(const std::string& path) {
  TKVXLibView view;
  if (Status s = view.Open(path); !s) throw Failed(s.error());
  return view;
}

size_t textureIndex(size_t count, const std::string& text) {
  const int64_t i = ParseInteger(text, "INDEX");
  if (i < 0 || uint64_t(i) >= count)
    throw Failed("the library has no texture " + text + " (it has " + std::to_string(count) + ")");
  return size_t(i);
}

// Adds the pictures and saves, or writes nothing when any picture could not be added.
void addAndSave(TTextureLibrary& lib, const Args& pictures, const std::string& out) {
  const std::vector<std::string> failures = lib.AddPictures(pictures);
  for (const std::string& f : failures) std::fprintf(stderr, "kelvane-cli: %s\n", f.c_str());
  if (!failures.empty())
    throw Failed(std::to_string(failures.size()) + " pictures could not be added; " + out + " was not written");
  if (Status s = lib.Save(out); !s) throw Failed(s.error());
}

// The library commands take no options.
void rejectOptions(const Args& a) {
  for (const std::string& w : a)
    if (w.size() > 2 && w.rfind("--", 0) == 0) throw UsageError("unknown option " + w);
}

}  // namespace

int TexlibCreateCommand(const Args& a) {
  rejectOptions(a);
  if (a.size() < 2) throw UsageError("expected OUT.kvt PICTURE|DIR...");
  TTextureLibrary lib;
  addAndSave(lib, {a.begin() + 1, a.end()}, a[0]);
  return 0;
}

int TexlibAddCommand(const Args& a) {
  rejectOptions(a);
  if (a.size() < 3) throw UsageError("expected IN.kvt PICTURE|DIR... OUT.kvt");
  TTextureLibrary lib = loadLibrary(a[0]);
  addAndSave(lib, {a.begin() + 1, a.end() - 1}, a.back());
  return 0;
}

int TexlibRemoveCommand(const Args& a) {
  rejectOptions(a);
  expect(a, 3, "IN.kvt INDEX OUT.kvt");
  TTextureLibrary lib = loadLibrary(a[0]);
  if (Status s = lib.Remove(textureIndex(lib.Count(), a[1])); !s) throw Failed(s.error());
  if (Status s = lib.Save(a[2]); !s) throw Failed(s.error());
  return 0;
}

namespace {

// Four bytes of a file: letters and digits as they are, anything else escaped.
std::string jsonFormat(const std::string& format) {
  std::string out = "\"";
  for (unsigned char c : format) {
    if (std::isalnum(c)) {
      out += char(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    }
  }
  return out + "\"";
}

}  // namespace

int TexlibListCommand(const Args& a) {
  rejectOptions(a);
  expect(a, 1, "IN.kvt");
  const TKVXLibView view = openLibrary(a[0]);
  std::string json = "{\"count\":" + std::to_string(view.Count()) + ",\"textures\":[";
  for (size_t i = 0; i < view.Count(); ++i) {
    auto record = view.LoadRecord(i);
    if (!record) throw Failed(record.error());
    auto size = ProbePictureSize(record->Image, record->Format);
    json += std::string(i ? "," : "") + "{\"index\":" + std::to_string(i) + ",\"format\":" + jsonFormat(record->Format) +
            ",\"width\":" + (size ? std::to_string(size->Width) : "null") +
            ",\"height\":" + (size ? std::to_string(size->Height) : "null") + "}";
  }
  std::printf("%s]}\n", json.c_str());
  return 0;
}

int TexlibExtractCommand(const Args& a) {
  rejectOptions(a);
  expect(a, 3, "IN.kvt INDEX OUT");
  const TKVXLibView view = openLibrary(a[0]);
  auto record = view.LoadRecord(textureIndex(view.Count(), a[1]));
  if (!record) throw Failed(record.error());
  if (Status s = SaveFileAtomically(a[2], record->Image); !s) throw Failed(s.error());
  return 0;
}

int TexlibThumbnailCommand(const Args& a) {
  rejectOptions(a);
  expect(a, 3, "IN.kvt INDEX OUT.png");
  const TKVXLibView view = openLibrary(a[0]);
  auto thumb = view.LoadThumbnail(textureIndex(view.Count(), a[1]));
  if (!thumb) throw Failed(thumb.error());
  SavePictureOrFail(a[2], thumb.value());
  return 0;
}

}  // namespace kelvane::cli
