#include "TextureList.h"

#include <sstream>

#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"

namespace kelvane {

std::vector<std::string> ReadTextureList(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  bool inFiles = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inFiles = line == "[FILES]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!inFiles || eq == std::string::npos) continue;
    const std::string path = line.substr(eq + 1);
    if (PictureFormats::instance().canRead(path)) out.push_back(path);
  }
  return out;
}

std::string WriteTextureList(const std::vector<std::string>& paths) {
  std::string text = "[FILES]\r\n";
  for (size_t i = 0; i < paths.size(); ++i) text += std::to_string(i) + "=" + paths[i] + "\r\n";
  return text;
}

Result<std::vector<std::string>> LoadTextureList(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return fail(bytes.error());
  return ReadTextureList(std::string(bytes->begin(), bytes->end()));
}

Status SaveTextureList(const std::string& path, const std::vector<std::string>& paths) {
  for (const std::string& p : paths)
    if (p.find_first_of("\r\n") != std::string::npos) return fail("Texture list " + path + ": a path has a line break");
  const std::string text = WriteTextureList(paths);
  return SaveFileAtomically(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

}  // namespace kelvane
