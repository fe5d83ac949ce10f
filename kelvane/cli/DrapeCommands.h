#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// drape PHOTO TEXTURE OUT [options]: one object over a picture, draped and written.
int DrapeCommand(const std::vector<std::string>& args);
// batch IN.kvx --object N --textures DIR|LIB.kvt|LIST.kvp --out DIR: one picture per texture.
int BatchCommand(const std::vector<std::string>& args);
// project fill IN.kvx OBJ OUT.kvx [--export PICTURE] [--objects A,B,...] [render options]
int ProjectFillCommand(const std::vector<std::string>& args);
// project aa-mask IN.kvx OBJ OUT.kvx [--passes N]
int ProjectAAMaskCommand(const std::vector<std::string>& args);
// grid texcoords IN.kvg EUX EUY EUZ EKX EVX EVY EVZ EKY OUT.kvg
int GridTexCoordsCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
