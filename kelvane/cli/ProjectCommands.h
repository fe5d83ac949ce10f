#pragma once
#include <string>
#include <vector>

// kelvane-cli project ...: each gets the words after its name.
namespace kelvane::cli {

// new PICTURE OUT.kvx
int ProjectNewCommand(const std::vector<std::string>& args);
// info IN.kvx: JSON on stdout
int ProjectInfoCommand(const std::vector<std::string>& args);
// set IN.kvx OBJ FIELD=VALUE... OUT.kvx
int ProjectSetCommand(const std::vector<std::string>& args);
// set-mask|set-grid|set-texture IN.kvx OBJ FILE OUT.kvx
int ProjectSetMaskCommand(const std::vector<std::string>& args);
int ProjectSetGridCommand(const std::vector<std::string>& args);
int ProjectSetTextureCommand(const std::vector<std::string>& args);
// add-object IN.kvx NAME OUT.kvx: a new object that covers nothing, with the default lattice
int ProjectAddObjectCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
